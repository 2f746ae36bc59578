#pragma once

#include <string>

#include "platform/Error.h"

// Numbers carried by the PlatformError this layer throws, so a log reader can tell a missing
// database from a damaged file or a full disk.
namespace tarn::platform::palm {

enum PalmErrorNumber : int {
    kErrDatabaseNotFound = 0x4A01,
    kErrDatabaseDamaged = 0x4A02,
    kErrDatabaseExists = 0x4A03,
    kErrDatabaseReadOnly = 0x4A04,
    kErrLimitExceeded = 0x4A05,
    kErrWriteFailed = 0x4A06,
    kErrInvalidArgument = 0x4A07,
    kErrFolderUnreadable = 0x4A08,
    kErrDatabaseAmbiguous = 0x4A09,
    kErrResourceDatabase = 0x4A0A,
    kErrInjectedFault = 0x4AFF,  // only thrown by the fakes in testing/
};

[[noreturn]] inline void ThrowPalmError(PalmErrorNumber number, const std::string& description) {
    throw PlatformError(number, description);
}

}  // namespace tarn::platform::palm
