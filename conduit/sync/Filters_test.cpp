#include "conduit/sync/Filters.h"

#include <gtest/gtest.h>

#include "common/config/Scramble.h"
#include "common/model/DataTypes.h"
#include "conduit/sync/DesktopTestSupport.h"
#include "platform/palm/HandheldFolder.h"
#include "text/Windows1252.h"

namespace tarn::conduit::test {
namespace {

const std::string kFilterDb = "TarnCFitler-TEST";

std::string FilterRecord(const std::string& name, const std::string& value) {
    return text::ToAnsi(name) + std::string(1, '\0') + text::ToAnsi(value) + std::string(1, '\0');
}

class FiltersTest : public DesktopTest {
  protected:
    void SetUp() override {
        DesktopTest::SetUp();
        session.Settings.CreatorID = ScrambleString("TEST");
        session.Settings.FilterDatabase = ScrambleString(kFilterDb);
    }

    void WriteFilterDatabase(const std::vector<std::string>& records) {
        platform::palm::NewDatabase wanted;
        wanted.name = kFilterDb;
        wanted.creator = "TEST";
        auto database = host.Handheld().CreateRecordDatabase(wanted);
        for (const auto& data : records) database->WriteRecord(0, 0, 0, data);
        database->Commit();
    }

    std::string Clause(const clsTable& table, bool useWhere) {
        return BuildFilterClause(session.WorkFilters, session.Dialect, session.Log, table,
                                 useWhere);
    }

    std::string FilterValue(const std::string& name) {
        return session.WorkFilters.Item(name)->FilterValue;
    }

    // Region ("String", filter Region), Qty ("Integer", filter Limit), Note (no filter).
    static clsTable OrdersTable() {
        return Table("Orders", {{"Region", kTypeString, "Region"},
                                {"Qty", kTypeInteger, "Limit"},
                                {"Note", kTypeString}});
    }
};

TEST_F(FiltersTest, NoFilterDatabaseSetMeansNoFiltersAndNoLines) {
    session.Settings.FilterDatabase.clear();
    LoadFilters(session);
    EXPECT_EQ(session.WorkFilters.Count(), 0);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Clause(OrdersTable(), true), "");
}

TEST_F(FiltersTest, MissingFilterDatabaseIsCreatedEmpty) {
    LoadFilters(session);
    std::vector<std::string> expected{" Loading Filters", " Creating filter database " + kFilterDb,
                                      " Filters Loaded: 0"};
    EXPECT_EQ(Lines(), expected);
    auto listing = host.Handheld().ListDatabases();
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing[0].name, kFilterDb);
    EXPECT_EQ(listing[0].creator, "TEST");
    EXPECT_EQ(listing[0].type, "DATA");
}

TEST_F(FiltersTest, ClauseJoinsTheUsableFiltersInFieldOrder) {
    WriteFilterDatabase(
        {FilterRecord("Region", "North"), FilterRecord("Limit", "5"), FilterRecord("Unused", "")});
    LoadFilters(session);
    EXPECT_EQ(Lines().back(), " Filters Loaded: 2");
    EXPECT_FALSE(session.WorkFilters.FilterIsValid("Unused"));

    clsTable table = OrdersTable();
    EXPECT_EQ(Clause(table, true), " WHERE Region='North' AND Qty=5");
    EXPECT_EQ(Clause(table, false), " AND Region='North' AND Qty=5");

    // Names compare without regard to case; a field naming the empty filter adds nothing.
    clsTable other = Table("", {{"Area", kTypeString, "region"},
                                {"Memo", kTypeString, "Unused"},
                                {"Rep", kTypeIgnoreField, "REGION"}});
    EXPECT_EQ(Clause(other, true), " WHERE Area='North' AND Rep='North'");
}

TEST_F(FiltersTest, NumericFiltersNeedNumbers) {
    WriteFilterDatabase({FilterRecord("Limit", "abc"), FilterRecord("Min", " 2.5 ")});
    LoadFilters(session);
    clsTable table = Table("", {{"Qty", kTypeInteger, "Limit"}, {"Price", kTypeDouble, "Min"}});
    session.Log.DebugLevel = 1;
    host.utility.lines.clear();
    EXPECT_EQ(Clause(table, true), " WHERE Price= 2.5 ");
    std::vector<std::string> expected{"Numeric filter does not have numeric value: Limit=abc"};
    EXPECT_EQ(Lines(), expected);
}

TEST_F(FiltersTest, FirstValueOfANameWinsAcrossRecordsAndSyncs) {
    session.WorkFilters.Add("Rep", "Ann");  // loaded by an earlier sync of this process
    WriteFilterDatabase({FilterRecord("Rep", "Bob"), FilterRecord("Region", "North"),
                         FilterRecord("REGION", "South"),
                         FilterRecord("Caf\xC3\xA9", "\xE2\x82\xAC")});
    LoadFilters(session);
    EXPECT_EQ(session.WorkFilters.Count(), 3);
    EXPECT_EQ(FilterValue("Rep"), "Ann");
    EXPECT_EQ(FilterValue("region"), "North");
    EXPECT_EQ(FilterValue("CAF\xC3\x89"), "\xE2\x82\xAC");  // Windows-1252 read back as UTF-8
}

TEST_F(FiltersTest, DamagedRecordsAreSkipped) {
    WriteFilterDatabase({
        std::string(),                                   // empty
        std::string("NoEnd"),                            // name without its zero byte
        std::string("NameOnly\0", 9),                    // no value at all
        std::string("Cut\0Valu", 8),                     // value without its zero byte
        std::string(40000, 'x'),                         // longer than a text may be
        std::string("\0\0\0\0", 4),                      // empty name and value
        FilterRecord("Good", "Yes") + "trailing bytes",  // anything after the value is ignored
    });
    LoadFilters(session);
    EXPECT_EQ(session.WorkFilters.Count(), 1);
    EXPECT_EQ(FilterValue("Good"), "Yes");
}

}  // namespace
}  // namespace tarn::conduit::test
