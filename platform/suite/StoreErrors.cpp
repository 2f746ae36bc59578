#include "platform/suite/StoreErrors.h"

#include "platform/Error.h"
#include "platform/suite/SuiteErrors.h"

namespace tarn::platform {

void ThrowIfFailed(StoreStatus status, const std::string& error) {
    switch (status) {
        case StoreStatus::kOk:
            return;
        case StoreStatus::kCorrupt:
            throw PlatformError(suite_error::kFailure, "Damaged sync-suite state: " + error);
        case StoreStatus::kUnwritable:
            throw PlatformError(suite_error::kAccessDenied,
                                "Cannot write sync-suite state: " + error);
    }
}

}  // namespace tarn::platform
