#include "conduit/sync/SyncOutcome.h"

#include "conduit/sync/ModuleState.h"
#include "platform/suite/SyncUtility.h"

namespace tarn::conduit {
namespace {

// The host shows the reason as one line: line breaks of driver messages become blanks.
std::string OneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c == '\r') continue;
        line += c == '\n' ? ' ' : c;
    }
    return line;
}

}  // namespace

void BeginOutcome(ModuleState& state) {
    state.Failures.clear();
    state.Summaries.clear();
}

void NoteFailure(ModuleState& state, const std::string& reason) {
    state.Failures.push_back(OneLine(reason));
}

void ReportOutcome(ModuleState& state) {
    platform::ConduitOutcome outcome;
    outcome.completed = state.Failures.empty();
    for (const auto& reason : state.Failures)
        outcome.reason += (outcome.reason.empty() ? "" : "; ") + reason;
    outcome.tables = state.Summaries;
    state.Platform.SyncUtility().ReportOutcome(outcome);
}

}  // namespace tarn::conduit
