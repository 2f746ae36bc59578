#include "platform/suite/ConduitOutcome.h"

namespace tarn::platform {

std::string SummaryText(const TableSummary& summary) {
    auto n = [](long count) { return std::to_string(count); };
    return "desktop " + n(summary.desktopAdded) + " added, " + n(summary.desktopChanged) +
           " changed, " + n(summary.desktopDeleted) + " deleted; handheld " +
           n(summary.handheldAdded) + " added, " + n(summary.handheldChanged) + " changed, " +
           n(summary.handheldDeleted) + " deleted; " + n(summary.leftAlone) + " left alone";
}

}  // namespace tarn::platform
