#include "conduit/sync/SyncSession.h"

#include "conduit/sync/ModuleState.h"

namespace tarn::conduit {

SyncSession::SyncSession(ModuleState& module)
    : Platform(module.Platform),
      Log(module.Platform.SyncUtility()),
      WorkFilters(module.WorkFilters),
      DesktopBatchRecords(module.DesktopBatchRecords),
      Progress(module.Platform.SyncUtility()) {}

platform::palm::HandheldFolder& SyncSession::Handheld() {
    if (!handheld_) handheld_ = &Platform.Handheld();
    return *handheld_;
}

}  // namespace tarn::conduit
