#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/suite/ConduitOutcome.h"

namespace tarn::platform {

// What the sync host records while it runs a HotSync ("session.ini" under TARN_HOME).
struct SessionRecord {
    pid_t processId = 0;
    std::uint64_t processStart = 0;  // kernel start time of that process, 0 when unknown
    std::uint32_t userId = 0;
    std::string userName;
    std::uint32_t creatorId = 0;            // the conduit being run, 0 before the first one
    std::string handheldFolder;             // the folder of the handheld being synchronised
    std::optional<ConduitOutcome> outcome;  // what the running conduit reported, if anything
    // A dry run: conduits run their whole sync but leave both sides exactly as they were.
    bool dryRun = false;
};

// The session, when one is recorded and it belongs to this very process. The conduit library
// runs inside the host's process, so it sees the host's session; every other process (and a
// session left behind by a host that died) sees none.
std::optional<SessionRecord> CurrentProcessSession();

// The session as recorded, whoever owns it (for diagnostics and tests).
std::optional<SessionRecord> RecordedSession();

// Records the running conduit's outcome in this process's session (the conduit library runs
// in the host's process). Does nothing when this process runs no HotSync. Throws
// PlatformError when the session file cannot be written.
void RecordConduitOutcome(const ConduitOutcome& outcome);

// Scoped HotSync: begins a session for this process on construction and ends it on
// destruction. Throws PlatformError when another live process is running a HotSync; a session
// left by a dead process is taken over.
class HotSyncSession {
  public:
    HotSyncSession(std::uint32_t userId, const std::string& userName,
                   const std::string& handheldFolder, bool dryRun = false);
    ~HotSyncSession();
    HotSyncSession(const HotSyncSession&) = delete;
    HotSyncSession& operator=(const HotSyncSession&) = delete;

    // The host sets this before calling each conduit; it also forgets the outcome the
    // previous conduit reported.
    void SetRunningCreatorId(std::uint32_t creatorId);

    // What the running conduit reported with RecordConduitOutcome; nothing when it reported
    // nothing.
    std::optional<ConduitOutcome> RunningConduitOutcome() const;
};

}  // namespace tarn::platform
