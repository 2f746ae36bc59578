#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/model/clsTable.h"
#include "conduit/sync/testing/DesktopTarget.h"
#include "conduit/sync/testing/SyncHarness.h"

// The engine's acceptance tests are written once and run on every desktop database: each test
// program instantiates them for the databases it covers (SQLite without any server; PostgreSQL
// and MariaDB in the program that needs the private servers).
namespace tarn::conduit::test {

using Pairs = std::map<std::string, std::string>;

// An Items record: Id, Name and the status that marks it deleted (1).
std::string ItemRecord(int32_t id, const std::string& name, int32_t status = 0);
// Handheld records of an Items database as id -> name, with "*" after deleted-marked names.
Pairs HandheldPairs(SyncHarness& h, const std::string& database);
// Id ("Integer"), Name ("String") and the status field.
void AddItemFields(clsTable& table);
// The desktop table Items (Id INTEGER, Name TEXT) filled by "INSERT INTO Items " + `rows`
// unless empty, the handheld database ItemsDB with `records` unless empty, and the table's
// description for the sync method; installed.
void SeedItems(SyncHarness& h, const std::string& rows = "",
               const std::vector<std::string>& records = {}, int16_t method = 0);

// The desktop table Items and the handheld database ItemsDB with the five situations of a key:
// only on the handheld (1), only there and marked deleted (2), only on the desktop (3), on both
// sides (4), on both with the handheld copy marked deleted (5). Adds no table description.
void SeedFiveSituations(SyncHarness& h);
// Tables A, B and C (each with its handheld database and description) of which the second
// fails half way: its handheld record 5 breaks a check of the desktop table.
void SeedThreeTablesSecondFails(SyncHarness& h);

// The delimiters the quoting probe must settle on for a table created without quotes:
// PostgreSQL stores such a name in lower case, so only the bare name finds it.
std::string BareTableDelimiter(DesktopKind kind);

// One row of the resulting-behaviour table: how both sides end for a sync method.
struct MethodCase {
    const char* name;
    int16_t method;
    bool purge;
    Pairs desktop;
    Pairs handheld;
};
std::vector<MethodCase> MethodCases();
inline void PrintTo(const MethodCase& c, std::ostream* out) {
    *out << c.name;
}

class ResultingBehaviour : public ::testing::TestWithParam<std::tuple<DesktopKind, MethodCase>> {};
class SyncAcceptance : public ::testing::TestWithParam<DesktopKind> {};

// Both sides as they stand: every file under the handheld folder (backups and temporary files
// included) with its bytes, and every row of the named desktop tables.
struct BothSides {
    std::map<std::string, std::string> handheld;
    std::vector<Row> desktop;
    bool operator==(const BothSides&) const = default;
};
BothSides Snapshot(SyncHarness& h, const std::vector<std::string>& tables);

// Runs the harness's sync and expects it to complete without a bail-out.
void SyncAndExpectCompleted(SyncHarness& h);

// Runs the harness's sync once more and expects neither side to change at all.
void ExpectSecondSyncChangesNothing(SyncHarness& h, const std::string& table);

// Three tables, a statement of the second fails: checks the bail-out block, that the first
// table is fully synchronised and that the second and third are untouched on both sides.
void ExpectBailOutKeepsEachTableWhole(SyncHarness& h);

std::string BehaviourCaseName(
    const ::testing::TestParamInfo<std::tuple<DesktopKind, MethodCase>>& info);
std::string DesktopCaseName(const ::testing::TestParamInfo<DesktopKind>& info);

}  // namespace tarn::conduit::test

// Runs every acceptance test on the given desktop databases.
#define TARN_RUN_SYNC_ACCEPTANCE(prefix, ...)                                                   \
    INSTANTIATE_TEST_SUITE_P(                                                                   \
        prefix, ResultingBehaviour,                                                             \
        ::testing::Combine(::testing::Values(__VA_ARGS__), ::testing::ValuesIn(MethodCases())), \
        BehaviourCaseName);                                                                     \
    INSTANTIATE_TEST_SUITE_P(prefix, SyncAcceptance, ::testing::Values(__VA_ARGS__),            \
                             DesktopCaseName)
