#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/suite/SyncUtility.h"

namespace tarn::platform {

// Log entries go, one line each, to users/<user>/HotSync.log under TARN_HOME for the user of
// this process's HotSync session, or to HotSync.log directly under TARN_HOME when this process
// runs no HotSync (a conduit's configuration dialog may log too). The sync information reads
// the session, and the outcome a conduit reports is recorded in it for the host.
//
// The session is read once for as long as its file stays the same: every change to the session
// replaces the file whole, so a new file (a new HotSync, the next conduit, an outcome reported)
// is read again, and a sync at debug level 4 does not read it once per statement (where the
// edition can tell one file from another: SessionFileWatch.h).
class PosixSyncUtility : public SyncUtility {
  public:
    PosixSyncUtility();
    ~PosixSyncUtility() override;
    void AddLogEntry(const std::string& text, std::int32_t activity, std::int32_t flags,
                     std::int32_t reserved) override;
    std::unique_ptr<SyncInformation> GetSyncInformation() override;
    void ReportOutcome(const ConduitOutcome& outcome) override;
    // One line on standard error, rewritten in place, when standard error is a terminal.
    void ReportProgress(const SyncProgress& progress) override;

    class SessionCache;

  private:
    std::shared_ptr<SessionCache> session_;  // shared with the sync information handed out
};

}  // namespace tarn::platform
