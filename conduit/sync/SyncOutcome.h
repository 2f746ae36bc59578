#pragma once

#include <string>
#include <vector>

#include "platform/suite/ConduitOutcome.h"

namespace tarn::platform {
class SyncUtility;
}

namespace tarn::conduit {

// A synchronisation reports nothing through the conduit's entry point, and its log says
// "Completed Synchronization" even when a table had to be skipped. So whatever keeps it from
// completing is noted as it happens, and the host is told at the end whether it completed and,
// if not, why (one line).
struct SyncOutcome {
    // Why the synchronisation in progress will not complete, in the order noted.
    std::vector<std::string> Failures;
    // What each table that ran to its end did (SyncCounts.h).
    std::vector<platform::TableSummary> Summaries;
};

// Notes one reason why the synchronisation in progress does not complete.
void NoteFailure(SyncOutcome& outcome, const std::string& reason);

// Tells the host: completed when nothing was noted, otherwise the reasons in the order noted.
void ReportOutcome(const SyncOutcome& outcome, platform::SyncUtility& utility);

}  // namespace tarn::conduit
