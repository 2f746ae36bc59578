#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"

namespace tarn::tools {

// A description as one JSON object with plain (descrambled) texts, for scripts and tests.
nlohmann::ordered_json DescriptionToJson(const ConduitSettings& settings, const colTables& tables);

// The reverse: scrambles what the file keeps scrambled, derives the counts, leaves the
// reserved members empty. Missing keys take empty, 0 or false (FormatVersion 2). Returns false
// with a reason for a value of the wrong kind, a number out of range or a repeated name.
bool DescriptionFromJson(const nlohmann::json& json, ConduitSettings& settings, colTables& tables,
                         std::string& error);

}  // namespace tarn::tools
