#pragma once

#include <memory>

#include "platform/suite/ComServers.h"
#include "platform/suite/ConduitManager.h"
#include "platform/suite/HotSyncNotifier.h"
#include "platform/suite/HotSyncUsers.h"
#include "platform/suite/Registry.h"
#include "platform/suite/SyncUtility.h"

// The one place each program gets the HotSync manager's side of the machine. The registry and
// the COM class registrations are files under TARN_HOME on POSIX systems and the real registry
// on Windows; the conduit list, the users, the notifier and the sync utility are files under
// TARN_HOME in both editions.
namespace tarn::platform {

std::unique_ptr<ComServers> DefaultComServers();
std::unique_ptr<Registry> DefaultRegistry();
std::unique_ptr<ConduitManager> DefaultConduitManager();
std::unique_ptr<HotSyncUsers> DefaultHotSyncUsers();
std::unique_ptr<HotSyncNotifier> DefaultHotSyncNotifier();
std::unique_ptr<SyncUtility> DefaultSyncUtility();

}  // namespace tarn::platform
