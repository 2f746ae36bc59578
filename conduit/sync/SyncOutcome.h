#pragma once

#include <string>

namespace tarn::conduit {

struct ModuleState;

// A synchronisation reports nothing through the conduit's entry point, and its log says
// "Completed Synchronization" even when a table had to be skipped. So whatever keeps it from
// completing is noted as it happens, and the host is told at the end whether it completed and,
// if not, why (one line).

// Forgets what an earlier synchronisation noted.
void BeginOutcome(ModuleState& state);

// Notes one reason why the synchronisation in progress does not complete.
void NoteFailure(ModuleState& state, const std::string& reason);

// Tells the host: completed when nothing was noted, otherwise the reasons in the order noted.
void ReportOutcome(ModuleState& state);

}  // namespace tarn::conduit
