#pragma once

#include <string>
#include <vector>

namespace tarn::platform {

// What one table's sync did (or, in a dry run, would do) to each side, in records.
struct TableSummary {
    std::string table;  // the desktop table's name
    long desktopAdded = 0;
    long desktopChanged = 0;
    long desktopDeleted = 0;
    long handheldAdded = 0;
    long handheldChanged = 0;
    long handheldDeleted = 0;
    long leftAlone = 0;  // records that neither side's writes touched

    bool operator==(const TableSummary&) const = default;
};

// The figures of one table as the host and the HotSync log show them.
std::string SummaryText(const TableSummary& summary);

// How one conduit's synchronisation ended. The conduit's entry point reports nothing through
// its result (it returns false whatever happened), so the conduit tells the host this way, and
// the host decides its exit status from it.
struct ConduitOutcome {
    bool completed = false;
    std::string reason;  // one line: why it did not complete; empty when it did
    // One entry per table whose sync ran to its end, in the order they ran.
    std::vector<TableSummary> tables;

    bool operator==(const ConduitOutcome&) const = default;
};

}  // namespace tarn::platform
