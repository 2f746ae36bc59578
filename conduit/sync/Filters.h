#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/model/KeyedCollection.h"
#include "common/model/clsTable.h"

namespace tarn::conduit {

class HotSyncLog;
class SqlDialect;
struct SyncSession;

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

// Adds the pairs of the session's filter database to session.WorkFilters; never fails (see the
// .cpp).
void LoadFilters(SyncSession& session);

// The filter condition of a table: " WHERE a='x' AND b=5" (useWhere) or " AND ..." or empty.
// A numeric filter whose value is no number is left out, with a line in the log.
std::string BuildFilterClause(const colFilters& WorkFilters, const SqlDialect& dialect,
                              HotSyncLog& log, const clsTable& WorkTable, bool useWhere);

}  // namespace tarn::conduit
