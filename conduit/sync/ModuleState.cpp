#include "conduit/sync/ModuleState.h"

namespace tarn::conduit {

ModuleState::ModuleState(SyncPlatform& platform)
    : Platform(platform), Log(platform.SyncUtility()) {}

}  // namespace tarn::conduit
