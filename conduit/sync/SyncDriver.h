#pragma once

#include <string>

#include "common/model/clsTable.h"

namespace tarn::conduit {

struct ModuleState;
struct SyncSession;

// One HotSync of the conduit whose registration matches the running Creator ID, in a session
// of its own (SyncSession.h). Everything it has to say goes to the HotSync log. Failures inside the
// table loop end in the bail-out block; a failure before it (the sync suite cannot be reached, say)
// is thrown to the caller.
void Synchronize(ModuleState& state);

// One table: load both sides as its sync method says, write them back. Each table is all or
// nothing: its desktop writes run in one transaction, the new handheld file is written and
// flushed beside the old one before that transaction commits, and it replaces the old file (one
// rename) only after the commit. Any failure up to the commit leaves both sides as they were.
void SyncTable(SyncSession& session, clsTable& table);

// The number and description the bail-out reports for an error.
struct ErrorReport {
    int number = 0;
    std::string description;
};
ErrorReport DescribeCurrentException();

}  // namespace tarn::conduit
