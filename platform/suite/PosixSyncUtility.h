#pragma once

#include <filesystem>
#include <string>

#include "platform/suite/SyncUtility.h"

namespace tarn::platform {

// Log entries go, one line each, to users/<user>/HotSync.log under TARN_HOME for the user of
// this process's HotSync session, or to HotSync.log directly under TARN_HOME when this process
// runs no HotSync (a conduit's configuration dialog may log too). The sync information reads
// the session, and the outcome a conduit reports is recorded in it for the host.
class PosixSyncUtility : public SyncUtility {
  public:
    void AddLogEntry(const std::string& text, std::int32_t activity, std::int32_t flags,
                     std::int32_t reserved) override;
    std::unique_ptr<SyncInformation> GetSyncInformation() override;
    void ReportOutcome(const ConduitOutcome& outcome) override;
    // One line on standard error, rewritten in place, when standard error is a terminal.
    void ReportProgress(const SyncProgress& progress) override;
};

}  // namespace tarn::platform
