#pragma once

namespace tarn::platform {

// What the HotSync manager tells about itself, and what it is told. Failures throw
// PlatformError.
class HotSyncNotifier {
  public:
    virtual ~HotSyncNotifier() = default;

    // True only inside the process that is running a HotSync.
    virtual bool IsHotSyncRunning() = 0;
    // The set of registered conduits changed; the manager should reread it.
    virtual void ConduitListChanged() = 0;
};

}  // namespace tarn::platform
