#include "conduit/log/HotSyncLog.h"

#include "platform/suite/SyncUtility.h"

namespace tarn::conduit {

void HotSyncLog::WriteLog(const std::string& text, std::int32_t level) {
    if (level > DebugLevel) return;
    std::string line(level > 1 ? static_cast<size_t>(level - 1) : 0, ' ');
    line += text;
    syncUtility_.AddLogEntry(line, -1, 0, 0);
}

}  // namespace tarn::conduit
