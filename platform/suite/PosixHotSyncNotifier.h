#pragma once

#include <cstdint>

#include "platform/suite/HotSyncNotifier.h"

namespace tarn::platform {

// Running means: the session under TARN_HOME belongs to this process (see HotSyncSession).
// A change of the conduit list bumps a counter in "notifier.ini" under TARN_HOME, which a
// host may watch.
class PosixHotSyncNotifier : public HotSyncNotifier {
  public:
    bool IsHotSyncRunning() override;
    void ConduitListChanged() override;

    // How often ConduitListChanged has been called on this machine.
    std::uint64_t ConduitListChanges();
};

}  // namespace tarn::platform
