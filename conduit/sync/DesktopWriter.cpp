#include "conduit/sync/DesktopWriter.h"

#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SqlParameters.h"
#include "conduit/sync/Transfer.h"

namespace tarn::conduit {

DesktopWriter::DesktopWriter(ModuleState& state, const clsTable& table)
    : state_(state),
      table_(table),
      connection_(*state.DesktopConnection),
      target_(Identifier(state, table.DesktopTableName)),
      updateFilter_(BuildFilterClause(state, table, false)) {}

namespace {

// The statement, prepared from the text `build` gives when it is first needed.
template <typename Build>
platform::odbc::PreparedStatement& Prepared(
    platform::odbc::Connection& connection,
    std::unique_ptr<platform::odbc::PreparedStatement>& statement, Build build) {
    if (!statement) statement = connection.prepare(build());
    return *statement;
}

}  // namespace

std::string DesktopWriter::KeyWhere() const {
    return " WHERE " + Identifier(state_, table_.Fields().Item(1)->FieldName) + "=?";
}

bool DesktopWriter::Exists(const clsDataRecord& record) {
    // Only whether the row exists matters, so no column is fetched: on a wide table that
    // halves the cost of the one statement every handheld record pays for.
    auto& statement =
        Prepared(connection_, exists_, [&] { return "SELECT 1 FROM " + target_ + KeyWhere(); });
    parameters_.resize(1);
    KeyParameter(record.Fields().Item(1)->DataType, record.PrimaryFieldValue, parameters_[0]);
    return statement.hasRows(parameters_);
}

void DesktopWriter::Update(const clsDataRecord& record) {
    if (state_.DebugLevel() >= 4)
        state_.WriteLog(
            record.BuildDesktopWriteQuery(state_, table_, true, state_.WorkFilters) + updateFilter_,
            4);
    auto& statement = Prepared(connection_, update_, [&] {
        return BuildDesktopWriteStatement(state_, table_, true, state_.WorkFilters) + updateFilter_;
    });
    record.DesktopWriteParameters(table_, true, state_.WorkFilters, parameters_);
    statement.execute(parameters_);
}

void DesktopWriter::Insert(const clsDataRecord& record) {
    if (state_.DebugLevel() >= 4)
        state_.WriteLog(record.BuildDesktopWriteQuery(state_, table_, false, state_.WorkFilters),
                        4);
    auto& statement = Prepared(connection_, insert_, [&] {
        return BuildDesktopWriteStatement(state_, table_, false, state_.WorkFilters);
    });
    record.DesktopWriteParameters(table_, false, state_.WorkFilters, parameters_);
    statement.execute(parameters_);
}

void DesktopWriter::Delete(int16_t keyType, const std::string& key) {
    if (state_.DebugLevel() >= 4)
        state_.WriteLog("DELETE FROM " + target_ + " WHERE " +
                            Identifier(state_, table_.Fields().Item(1)->FieldName) +
                            KeyCondition(state_, keyType, key),
                        4);
    auto& statement =
        Prepared(connection_, delete_, [&] { return "DELETE FROM " + target_ + KeyWhere(); });
    parameters_.resize(1);
    KeyParameter(keyType, key, parameters_[0]);
    statement.execute(parameters_);
}

}  // namespace tarn::conduit
