#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/model/KeyedCollection.h"
#include "common/model/clsTable.h"

namespace tarn::conduit {

struct ModuleState;

// One name/value pair of the handheld's filter database.
class clsFilter {
  public:
    std::string FilterValue;
    std::string FilterName;
};

class colFilters : public KeyedCollection<clsFilter> {
  public:
    // Throws DuplicateKeyError for a name already present (compared without regard to case).
    std::shared_ptr<clsFilter> Add(const std::string& FilterName, const std::string& FilterValue);
    bool FilterIsValid(std::string_view FilterName) const { return HasKey(FilterName); }
};

// Adds the filter database's pairs to state.WorkFilters; never fails (see the .cpp).
void LoadFilters(ModuleState& state);

// The filter condition of a table: " WHERE a='x' AND b=5" (useWhere) or " AND ..." or empty.
std::string BuildFilterClause(ModuleState& state, const clsTable& WorkTable, bool useWhere);

}  // namespace tarn::conduit
