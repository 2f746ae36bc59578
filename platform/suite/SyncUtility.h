#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/suite/ConduitOutcome.h"

namespace tarn::platform {

// Facts about the HotSync in progress.
class SyncInformation {
  public:
    virtual ~SyncInformation() = default;
    // Creator ID number of the conduit the host is running now. Throws PlatformError outside
    // a HotSync.
    virtual std::uint32_t RunningCreatorId() = 0;
};

// The HotSync manager's services for a running conduit.
class SyncUtility {
  public:
    virtual ~SyncUtility() = default;

    // Adds one entry to the HotSync log. The three numbers belong to the log's own
    // bookkeeping; the conduit passes -1, 0, 0 and they are accepted as they come.
    virtual void AddLogEntry(const std::string& text, std::int32_t activity, std::int32_t flags,
                             std::int32_t reserved) = 0;
    virtual std::unique_ptr<SyncInformation> GetSyncInformation() = 0;
    // Tells the host how the running conduit's synchronisation ended; the last report of a
    // conduit stands. Nothing happens outside a HotSync.
    virtual void ReportOutcome(const ConduitOutcome& outcome) = 0;
};

}  // namespace tarn::platform
