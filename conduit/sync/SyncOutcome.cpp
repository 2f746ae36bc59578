#include "conduit/sync/SyncOutcome.h"

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

void NoteFailure(SyncOutcome& outcome, const std::string& reason) {
    outcome.Failures.push_back(OneLine(reason));
}

void ReportOutcome(const SyncOutcome& outcome, platform::SyncUtility& utility) {
    platform::ConduitOutcome report;
    report.completed = outcome.Failures.empty();
    for (const auto& reason : outcome.Failures)
        report.reason += (report.reason.empty() ? "" : "; ") + reason;
    report.tables = outcome.Summaries;
    utility.ReportOutcome(report);
}

}  // namespace tarn::conduit
