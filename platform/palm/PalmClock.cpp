#include "platform/palm/PalmClock.h"

#include <ctime>

namespace tarn::platform::palm {

bool UsesUnixDates(uint32_t creationDate) {
    return creationDate != 0 && (creationDate & 0x80000000u) == 0;
}

uint32_t DateNow(bool unixDates) {
    uint64_t unixNow = static_cast<uint64_t>(std::time(nullptr));
    return static_cast<uint32_t>(unixDates ? unixNow : unixNow + kPalmToUnixEpoch);
}

}  // namespace tarn::platform::palm
