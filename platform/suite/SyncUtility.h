#pragma once

#include <cstdint>
#include <filesystem>
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
    // Whether the host runs a dry run: the sync runs in full, but neither side may keep any
    // change. Throws PlatformError outside a HotSync.
    virtual bool DryRun() = 0;
};

// Where a running sync is: the conduit, its table, and how far the step in progress has come.
struct SyncProgress {
    std::string conduit;
    std::string table;
    std::string step;  // "reading the handheld", "writing the desktop", ...
    long done = 0;
    long total = 0;  // 0 while unknown
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
    // Shows where the sync is, where someone watches; the conduit calls it a few times a
    // second at most. Showing nothing is a fine implementation.
    virtual void ReportProgress(const SyncProgress&) {}
};

// The HotSync log file of a user. The name is made safe as a single folder name: bytes other
// than letters, digits, blank, '-', '_' and '.' are written as %XX, as is a leading '.', so no
// user name can reach outside the users folder.
std::filesystem::path UserLogFile(const std::string& userName);

// Clears the progress line, when standard error is a terminal, before other output follows.
void ClearProgressLine();

}  // namespace tarn::platform
