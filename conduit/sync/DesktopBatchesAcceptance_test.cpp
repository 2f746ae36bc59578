// Desktop writes go in batches: one existence question and multi-row inserts per batch, a
// savepoint around each. Whatever the batch size, a sync must end, log and fail exactly as it
// does record by record. Run on every desktop database through the acceptance instantiations.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/config/Scramble.h"
#include "conduit/sync/TarnFunc.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/odbc/testing/FaultInjectingDatabase.h"

namespace tarn::conduit::test {
namespace {

// Handheld records 1..count, a mix of the situations a batch meets: every third one is also
// on the desktop (whose row wins), every seventh is marked deleted (its row is deleted), the
// others are added; the record `bad` breaks the table's check. A desktop row of its own lies
// beyond them.
void SeedMix(SyncHarness& h, int count, int bad) {
    h.Exec("CREATE TABLE Items (Id INTEGER, Name VARCHAR(40) CHECK (Name <> 'bad'))");
    std::vector<std::string> records;
    std::string desktop;
    for (int id = 1; id <= count; ++id) {
        if (id % 3 == 0)
            desktop += (desktop.empty() ? "" : ", ") + std::string("(") + std::to_string(id) +
                       ", 'desk" + std::to_string(id) + "')";
        records.push_back(
            ItemRecord(id, id == bad ? "bad" : "hand" + std::to_string(id), id % 7 == 0));
    }
    desktop += std::string(desktop.empty() ? "" : ", ") + "(1000, 'desk only')";
    h.Exec("INSERT INTO Items VALUES " + desktop);
    h.WriteHandheld("ItemsDB", records);
    AddItemFields(h.AddTable("Items", "ItemsDB", 2));  // the handheld overwrites the desktop
    h.Install();
    h.SetDebugLevel(4);
}

// The log without the names of each harness's own database: the connection string, and the
// database a server's error message names.
std::vector<std::string> LogWithoutDatabaseName(SyncHarness& h) {
    std::vector<std::string> lines;
    for (std::string line : h.LogLines()) {
        if (line.rfind(" Connection String: ", 0) == 0) continue;
        const std::string& name = h.desktop.database;
        for (auto at = line.find(name); !name.empty() && at != std::string::npos;
             at = line.find(name, at))
            line.replace(at, name.size(), "DATABASE");
        lines.push_back(line);
    }
    return lines;
}

struct Outcome {
    std::vector<std::string> log;
    std::vector<Row> desktop;
    std::vector<std::string> handheld;
};

// A table to sync: how to set it up, and where both sides end.
struct Scenario {
    std::function<void(SyncHarness&)> seed;
    std::string table;     // the desktop table
    std::string database;  // the handheld database
    std::string order;     // the ORDER BY of the desktop rows
    bool settles = true;   // whether a second sync changes nothing
};

Outcome SyncWithBatches(DesktopKind kind, std::size_t batchRecords, const Scenario& scenario,
                        const std::string& serverOptions) {
    SyncHarness h(kind);
    if (!serverOptions.empty()) {
        h.desktop.server += serverOptions;
        h.settings.DBServer = ScrambleString(h.desktop.server);
    }
    scenario.seed(h);
    h.state.DesktopBatchRecords = batchRecords;
    h.Sync();
    Outcome outcome{LogWithoutDatabaseName(h),
                    h.Query("SELECT * FROM " + scenario.table + " ORDER BY " + scenario.order),
                    h.ReadHandheld(scenario.database)};
    if (scenario.settles && outcome.log.back() == "Completed Synchronization" && batchRecords != 1)
        ExpectSecondSyncChangesNothing(h, scenario.table);
    return outcome;
}

// Returns the batched outcome, for checks of its own.
Outcome ExpectSameOutcome(DesktopKind kind, std::size_t batchRecords, const Scenario& scenario,
                          const std::string& serverOptions = "") {
    SCOPED_TRACE("batches of " + std::to_string(batchRecords) + serverOptions);
    const Outcome single = SyncWithBatches(kind, 1, scenario, serverOptions);
    const Outcome batched = SyncWithBatches(kind, batchRecords, scenario, serverOptions);
    std::size_t same = 0;
    while (same < batched.log.size() && same < single.log.size() &&
           batched.log[same] == single.log[same])
        ++same;
    EXPECT_EQ(batched.log.size(), single.log.size());
    if (same < batched.log.size() || same < single.log.size())
        ADD_FAILURE() << "the logs part at line " << same
                      << ":\nbatched: " << (same < batched.log.size() ? batched.log[same] : "(end)")
                      << "\nrecord by record: "
                      << (same < single.log.size() ? single.log[same] : "(end)");
    EXPECT_EQ(batched.desktop, single.desktop);
    EXPECT_EQ(batched.handheld, single.handheld);
    return batched;
}

Scenario Mix(int count, int bad) {
    return {[=](SyncHarness& h) { SeedMix(h, count, bad); }, "Items", "ItemsDB", "Id"};
}

Outcome ExpectSameOutcome(DesktopKind kind, std::size_t batchRecords, int count, int bad,
                          const std::string& serverOptions = "") {
    SCOPED_TRACE(std::to_string(count) + " records, bad record " + std::to_string(bad));
    const Outcome batched = ExpectSameOutcome(kind, batchRecords, Mix(count, bad), serverOptions);
    EXPECT_EQ(batched.log.back(), bad == 0 ? "Completed Synchronization"
                                           : "!! Synchronization did not complete successfully");
    return batched;
}

// Around the batch size: less than one batch, exactly one, one and a bit, several with a
// remainder that takes inserts of several sizes.
TEST_P(SyncAcceptance, BatchedWritesEndAndLogAsRecordByRecord) {
    for (int count : {2, 4, 5, 8, 13, 23}) ExpectSameOutcome(GetParam(), 4, count, 0);
    ExpectSameOutcome(GetParam(), 128, 300, 0);
}

// A record in the middle of a batch fails: the batch is undone and written again record by
// record, so the bail-out names the same record and error after the same log lines, and the
// table is left as it was.
TEST_P(SyncAcceptance, ABatchFailingInTheMiddleFailsAtTheSameRecord) {
    for (int bad : {1, 5, 11, 13}) ExpectSameOutcome(GetParam(), 4, 13, bad);
    // psqlODBC's other protocol rolls the whole transaction back on an error, where the default
    // one sets a savepoint around every statement: the batch's own savepoint must serve both.
    if (GetParam() == DesktopKind::PostgreSql)
        ExpectSameOutcome(GetParam(), 4, 13, 5, ";Protocol=7.4-1");

    const Outcome failed = ExpectSameOutcome(GetParam(), 128, 300, 200);
    std::vector<Row> seeded;
    for (int id = 3; id <= 300; id += 3)
        seeded.push_back({std::to_string(id), "desk" + std::to_string(id)});
    seeded.push_back({"1000", "desk only"});
    EXPECT_EQ(failed.desktop, seeded);
    // The last record the log names before the bail-out is the one that failed.
    std::string lastRecord;
    for (const auto& line : failed.log)
        if (line.find("Adding New Desktop Record. Key: ") != std::string::npos) lastRecord = line;
    EXPECT_EQ(lastRecord, " Adding New Desktop Record. Key: 200");
}

// A table read whole and found empty takes its batches' inserts without asking, where its keys
// cannot meet (numbers); where a filter hides rows, or where texts may be one row in the
// database ("y" and "y " under SQLite's RTRIM or MariaDB's PAD SPACE), every batch still asks.
// Either way the sync ends as it does record by record.
TEST_P(SyncAcceptance, BatchesIntoATableReadEmptyEndAsRecordByRecord) {
    const DesktopKind kind = GetParam();
    for (const bool filtered : {false, true}) {
        SCOPED_TRACE(filtered ? "numbers, a row the filter hides" : "numbers");
        auto seed = [filtered](SyncHarness& h) {
            h.Exec("CREATE TABLE N (Id INTEGER, Name VARCHAR(20), Region VARCHAR(20))");
            std::vector<std::string> records;
            for (int id = 1; id <= 13; ++id)
                records.push_back(Int32Bytes(id) + TextBytes("hand " + std::to_string(id)) +
                                  TextBytes("North"));
            h.WriteHandheld("NDB", records);
            AddFields(h.AddTable("N", "NDB", 2),
                      {{"Id", 3}, {"Name", 6}, {"Region", 6, filtered ? "Region" : ""}});
            if (filtered) {
                h.Exec("INSERT INTO N VALUES (5, 'desk 5', 'South')");
                h.WriteHandheld("TarnCFitler-TEST", {TextBytes("Region") + TextBytes("North")});
                h.settings.FilterDatabase = ScrambleString("TarnCFitler-TEST");
            }
            h.Install();
            h.SetDebugLevel(4);
        };
        ExpectSameOutcome(kind, 4, {seed, "N", "NDB", "Id, Name"});
    }
    // A column that rounds doubles makes 6.6 the row that 7 then finds (MariaDB, PostgreSQL):
    // that row must be asked for, whether 7 comes in the same batch or in the next.
    for (const auto& [batch, keys] : std::vector<std::pair<std::size_t, std::vector<double>>>{
             {4, {1, 2, 6.6, 7}}, {2, {0, 2.6, 3, 5}}}) {
        SCOPED_TRACE("doubles into whole numbers, batches of " + std::to_string(batch));
        auto seed = [keys](SyncHarness& h) {
            h.Exec("CREATE TABLE R (Id INTEGER, Name VARCHAR(20))");
            std::vector<std::string> records;
            for (double id : keys)
                records.push_back(DoubleBytes(id) + TextBytes("hand " + std::to_string(id)));
            h.WriteHandheld("RDB", records);
            AddFields(h.AddTable("R", "RDB", 2), {{"Id", 2}, {"Name", 6}});
            h.Install();
            h.SetDebugLevel(4);
        };
        ExpectSameOutcome(kind, batch, {seed, "R", "RDB", "Id, Name", false});
    }
    SCOPED_TRACE("texts");
    auto seed = [kind](SyncHarness& h) {
        h.Exec(std::string("CREATE TABLE T (Code VARCHAR(20)") +
               (kind == DesktopKind::Sqlite ? " COLLATE RTRIM" : "") + ", Name VARCHAR(20))");
        std::vector<std::string> records;
        // A batch of four ends with "y", and the next begins with "y ".
        for (const char* code : {"a1", "a2", "a3", "y", "y ", "z"})
            records.push_back(TextBytes(code) + TextBytes(std::string("hand ") + code));
        h.WriteHandheld("TDB", records);
        AddFields(h.AddTable("T", "TDB", 2), {{"Code", 6}, {"Name", 6}});
        h.Install();
        h.SetDebugLevel(4);
    };
    // Where "y" and "y " are one row, each sync writes one over the other.
    ExpectSameOutcome(kind, 4, {seed, "T", "TDB", "Code, Name", kind == DesktopKind::PostgreSql});
}

// Keys that are one row on some databases and two on others: trailing blanks (MariaDB pads
// them), letter case (MariaDB's collation ignores it), numbers spelt as text, accents. Whether
// the desktop holds a record's row is the database's own answer, batch or no batch, and each
// record's write sees the writes before it.
TEST_P(SyncAcceptance, BatchedWritesMeetKeysAsTheDatabaseComparesThem) {
    auto seed = [](int16_t method) {
        return [method](SyncHarness& h) {
            h.Exec("CREATE TABLE S (Code VARCHAR(20), Name VARCHAR(20))");
            h.Exec(
                "INSERT INTO S VALUES ('x ', 'desk x'), ('Ab', 'desk Ab'), ('07', 'desk 07'), "
                "('gone ', 'desk gone'), ('\xc3\xa9t\xc3\xa9', 'desk ete')");
            std::vector<std::string> records;
            auto add = [&](const std::string& code, const std::string& name, int status = 0) {
                records.push_back(TextBytes(code) + TextBytes(name) + Int32Bytes(status));
            };
            for (const char* code : {"x", "AB ", "7", "y", "y ", "Y", "gone", "Gone ", "ete", "k1",
                                     "k2", "k3", "k4", "k5"})
                add(code, std::string("hand ") + code);
            add("GONE", "hand GONE", 1);
            h.WriteHandheld("SDB", records);
            AddFields(h.AddTable("S", "SDB", method),
                      {{"Code", 6}, {"Name", 6}, {"##STATUSFLAG##", 8}});
            h.Install();
            h.SetDebugLevel(4);
        };
    };
    for (int16_t method : {0, 2}) {
        SCOPED_TRACE("method " + std::to_string(method));
        // Distinct handheld keys that MariaDB takes for one row ("y" and "y ") keep overwriting
        // each other there, with or without batches.
        ExpectSameOutcome(
            GetParam(), 4,
            {seed(method), "S", "SDB", "Code, Name", GetParam() != DesktopKind::MariaDb});
    }
}

// Keys whose one-row-or-two answer hangs on the key column's type: a NUMERIC(10,2) key meets
// numbers spelt as text (7.005 must not round to 7.01), a CHAR(3) key trailing blanks and texts
// of more than one character (never cut as CHAR's bare name would), a case-insensitive
// collation mixed case; numbers, dates and times compare in the type each key is bound in,
// whether a batch's keys are all bound in one type (fractions) or not (a whole number among
// them is bound as an integer).
// One existence question for a whole batch must answer as each key's own test does.
TEST_P(SyncAcceptance, BatchedExistenceComparesInTheKeyColumnsType) {
    const DesktopKind kind = GetParam();
    std::string caseless;  // a column collation that ignores letter case
    if (kind == DesktopKind::Sqlite) caseless = " COLLATE NOCASE";
    if (kind == DesktopKind::PostgreSql) caseless = " COLLATE caseless";
    struct KeyCase {
        std::string column;
        std::vector<std::string> desktop;   // the rows' keys, as SQL values
        std::vector<std::string> handheld;  // the records' keys, as handheld bytes
        int16_t fieldType = 6;
        bool settles = true;  // false: keys one database takes for one row overwrite each other
    };
    const auto texts = [](std::vector<std::string> codes) {
        for (std::string& code : codes) code = TextBytes(code);
        return codes;
    };
    const auto doubles = [](std::vector<double> numbers) {
        std::vector<std::string> keys;
        for (double number : numbers) keys.push_back(DoubleBytes(number));
        return keys;
    };
    const auto dates = [&](std::vector<int> days) {
        std::vector<double> numbers;
        for (int day : days) numbers.push_back(DateToPalmNumber({2005, 12, day}));
        return doubles(numbers);
    };
    const auto times = [&](std::vector<int> seconds) {
        std::vector<double> numbers;
        for (int second : seconds) numbers.push_back(TimeToPalmNumber({13, 5, second}));
        return doubles(numbers);
    };
    const std::vector<std::string> fractions = doubles({0.1, 3.25, 7.5, 8.5, 9.75, 12.0});
    std::vector<KeyCase> cases = {
        {"NUMERIC(10,2)",
         {"7", "7.01", "12.5"},
         texts({"7.0", "7.005", "07", "12.50", "8", "9"}),
         6,
         false},
        {"CHAR(3)",
         {"'ab'", "'x'", "'x y'"},
         texts({"ab ", "ab", "x y", "c", "d", "xyz"}),
         6,
         false},
        {"VARCHAR(20)" + caseless,
         {"'Ab'", "'cd'"},
         texts({"aB", "AB", "CD", "ef", "gh", "ij"}),
         6,
         false},
        {kind == DesktopKind::PostgreSql ? "DOUBLE PRECISION" : "DOUBLE",
         {"0.1", "7.5", "12"},
         fractions,
         2},
        {"DECIMAL(10,2)", {"3.25", "9.75"}, fractions, 2},
        {"DATE", {"'2005-12-02'", "'2005-12-05'"}, dates({1, 2, 3, 4, 5, 6}), 1},
        {"TIME", {"'13:05:02'", "'13:05:05'"}, times({1, 2, 3, 4, 5, 6}), 7},
    };
    // On MariaDB, a key column in another character set than the connection's, whose keys
    // are converted before they are compared.
    if (kind == DesktopKind::MariaDb)
        cases.push_back({"VARCHAR(20) CHARACTER SET latin1",
                         {"'Ab'", "'caf\xc3\xa9'"},
                         texts({"aB", "CAFE", "ef", "gh", "ij", "kl"})});
    // With an index on the key, PostgreSQL is asked key by key through it; without one, as a
    // join: the comparison must be the same.
    for (const KeyCase& c : cases) {
        for (const bool indexed : {false, true}) {
            SCOPED_TRACE(c.column + (indexed ? ", indexed" : ""));
            auto seed = [&](SyncHarness& h) {
                if (kind == DesktopKind::PostgreSql)
                    h.Exec(
                        "CREATE COLLATION caseless (provider = icu, locale = 'und-u-ks-level2', "
                        "deterministic = false)");
                h.Exec("CREATE TABLE K (Code " + c.column + ", Name VARCHAR(20))");
                if (indexed) h.Exec("CREATE INDEX KCode ON K (Code)");
                std::string rows;
                for (const std::string& key : c.desktop)
                    rows += std::string(rows.empty() ? "" : ", ") + "(" + key + ", 'desk')";
                h.Exec("INSERT INTO K VALUES " + rows);
                std::vector<std::string> records;
                for (std::size_t i = 0; i < c.handheld.size(); ++i)
                    records.push_back(c.handheld[i] + TextBytes("hand " + std::to_string(i)) +
                                      Int32Bytes(0));
                h.WriteHandheld("KDB", records);
                AddFields(h.AddTable("K", "KDB", 2),
                          {{"Code", c.fieldType}, {"Name", 6}, {"##STATUSFLAG##", 8}});
                h.Install();
                h.SetDebugLevel(4);
            };
            ExpectSameOutcome(kind, 4, {seed, "K", "KDB", "Code, Name", c.settles});
        }
    }
}

// A server that will not run the one-join form of a batch's question (MySQL, an older MariaDB)
// is asked by single-key lookups instead, for the rest of the table: the sync ends as record by
// record does, and the refused form is not tried again batch after batch.
TEST_P(SyncAcceptance, AnExistenceFormTheServerRefusesGivesWayToLookups) {
    if (GetParam() != DesktopKind::MariaDb) GTEST_SKIP() << "only MariaDB is asked in that form";
    const Outcome single = SyncWithBatches(GetParam(), 1, Mix(40, 0), "");
    SyncHarness h(GetParam());
    SeedMix(h, 40, 0);
    h.state.DesktopBatchRecords = 4;
    auto odbc = std::make_unique<platform::odbc::fakes::FaultInjectingEnvironment>(
        platform::odbc::OpenOdbcEnvironment());
    odbc->FailStatementStartingWith("WITH ", 1064, "injected fault: no such syntax");
    const auto* environment = odbc.get();
    h.platform.SetOdbc(std::move(odbc));
    h.Sync();
    std::size_t joins = 0, lookups = 0;
    for (const std::string& sql : environment->Statements()) {
        joins += sql.rfind("WITH ", 0) == 0;
        lookups += sql.rfind("SELECT 0 FROM ", 0) == 0 && sql.find(" UNION ALL ") != sql.npos;
    }
    EXPECT_EQ(joins, 1u);
    EXPECT_GT(lookups, 2u);
    EXPECT_EQ(LogWithoutDatabaseName(h), single.log);
    EXPECT_EQ(h.Query("SELECT * FROM Items ORDER BY Id"), single.desktop);
    EXPECT_EQ(h.ReadHandheld("ItemsDB"), single.handheld);
    ExpectSecondSyncChangesNothing(h, "Items");
}

// A large batch is written in as many inserts as keep each within the values the database's
// driver takes in one statement (psqlODBC was seen to drop the connection from some 7,500), and
// ends as record by record does: at the size a batch takes on each database by default and at
// a large one, on a table of texts, numbers, dates and times.
TEST_P(SyncAcceptance, LargeBatchesEndAsRecordByRecord) {
    auto seed = [](SyncHarness& h) {
        h.Exec(
            "CREATE TABLE W (Id INTEGER PRIMARY KEY, Name VARCHAR(40), Region VARCHAR(10), "
            "Amount DOUBLE PRECISION, Day DATE, Hour TIME)");
        h.Exec("INSERT INTO W (Id, Name) VALUES (2050, 'desk 2050')");
        std::vector<std::string> records;
        for (int id = 1; id <= 2100; ++id)
            records.push_back(Int32Bytes(id) + TextBytes("Customer number " + std::to_string(id)) +
                              TextBytes("North") + DoubleBytes(id + 0.25) + DoubleBytes(1051231) +
                              DoubleBytes(130509) + Int32Bytes(id == 2060 ? 1 : 0));
        h.WriteHandheld("WDB", records);
        AddFields(h.AddTable("W", "WDB", 2), {{"Id", 3},
                                              {"Name", 6},
                                              {"Region", 6},
                                              {"Amount", 2},
                                              {"Day", 1},
                                              {"Hour", 7},
                                              {"##STATUSFLAG##", 8}});
        h.Install();
    };
    for (std::size_t batchRecords : {0, 2048})
        ExpectSameOutcome(GetParam(), batchRecords, {seed, "W", "WDB", "Id"});
}

}  // namespace
}  // namespace tarn::conduit::test
