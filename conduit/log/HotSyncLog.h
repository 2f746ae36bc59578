#pragma once

#include <cstdint>
#include <string>

namespace tarn::platform {
class SyncUtility;
}

namespace tarn::conduit {

// The conduit's only voice during a HotSync. Lines carry a level from 1 (start, end, failures)
// to 4 (everything); only lines within the debug level reach the HotSync log.
class HotSyncLog {
  public:
    explicit HotSyncLog(platform::SyncUtility& syncUtility) : syncUtility_(syncUtility) {}

    // Writes `text` indented by level - 1 blanks when level <= DebugLevel. A failure of the log
    // itself propagates to the caller.
    void WriteLog(const std::string& text, std::int32_t level);

    // Refreshed from the registry (GetDebugLevel) at the start of every synchronisation.
    std::int32_t DebugLevel = 1;

  private:
    platform::SyncUtility& syncUtility_;
};

}  // namespace tarn::conduit
