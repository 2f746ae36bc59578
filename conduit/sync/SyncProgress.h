#pragma once

#include <string>

namespace tarn::conduit {

struct ModuleState;

// Tells the host how far the table's current step has come. Cheap enough for every record: the
// host hears of it a few times a second at most, and of a step's first and last record.
void ReportProgress(ModuleState& state, const std::string& table, const char* step, long done,
                    long total);

}  // namespace tarn::conduit
