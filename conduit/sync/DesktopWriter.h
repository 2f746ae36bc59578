#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/model/clsTable.h"
#include "conduit/sync/DataRecord.h"
#include "platform/odbc/Database.h"

namespace tarn::conduit {

struct ModuleState;

// Writes one table's handheld records to the desktop. Each kind of statement is prepared once
// per table, on first use, and runs with the record's values bound: the database parses it
// once, and no value passes through SQL text. At debug level 4 each statement is still logged
// as its SQL text with the values written in, before it runs.
class DesktopWriter {
  public:
    DesktopWriter(ModuleState& state, const clsTable& table);

    // Whether the desktop holds a row of the record's key (no filter: a row outside the
    // filters is still the record's row).
    bool Exists(const clsDataRecord& record);
    // The record's row, within the table's filters.
    void Update(const clsDataRecord& record);
    void Insert(const clsDataRecord& record);
    // The rows of a key, as the key condition of its key field's type finds them.
    void Delete(int16_t keyType, const std::string& key);

  private:
    std::string KeyWhere() const;

    ModuleState& state_;
    const clsTable& table_;
    platform::odbc::Connection& connection_;
    std::string target_;        // the table's identifier
    std::string updateFilter_;  // the filter condition every UPDATE carries
    std::unique_ptr<platform::odbc::PreparedStatement> exists_, update_, insert_, delete_;
    std::vector<platform::odbc::Parameter> parameters_;
};

}  // namespace tarn::conduit
