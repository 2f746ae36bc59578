#include "platform/suite/DefaultSuite.h"
#include "platform/suite/PosixConduitManager.h"
#include "platform/suite/PosixHotSyncNotifier.h"
#include "platform/suite/PosixHotSyncUsers.h"
#include "platform/suite/PosixSyncUtility.h"

namespace tarn::platform {

std::unique_ptr<ConduitManager> DefaultConduitManager() {
    return std::make_unique<PosixConduitManager>();
}

std::unique_ptr<HotSyncUsers> DefaultHotSyncUsers() {
    return std::make_unique<PosixHotSyncUsers>();
}

std::unique_ptr<HotSyncNotifier> DefaultHotSyncNotifier() {
    return std::make_unique<PosixHotSyncNotifier>();
}

std::unique_ptr<SyncUtility> DefaultSyncUtility() {
    return std::make_unique<PosixSyncUtility>();
}

}  // namespace tarn::platform
