#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/files/AtomicFile.h"
#include "platform/process/ProcessIdentity.h"
#include "platform/suite/NumberText.h"

namespace tarn::platform::process {

std::int64_t CurrentProcessId() {
    return getpid();
}

// Field 22 of /proc/PID/stat.
std::uint64_t ProcessStartTime(std::int64_t processId) {
    std::string stat;
    if (!ReadWholeFile("/proc/" + std::to_string(processId) + "/stat", stat)) return 0;
    size_t pos = stat.rfind(')');
    if (pos == std::string::npos) return 0;
    // Fields after the command name start with field 3; the start time is the 20th of them.
    int field = 0;
    size_t start = pos + 2;
    while (start < stat.size()) {
        size_t end = stat.find(' ', start);
        if (end == std::string::npos) end = stat.size();
        if (++field == 20)
            return ParseWhole<std::uint64_t>(std::string_view(stat).substr(start, end - start))
                .value_or(0);
        start = end + 1;
    }
    return 0;
}

bool ProcessExists(std::int64_t processId) {
    if (processId <= 0) return false;
    return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

}  // namespace tarn::platform::process
