// How a synchronisation ends, as the host learns it: every way of not completing is reported
// with its reason, and a handheld database that is there but cannot be read ends its table
// without being touched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "common/config/Scramble.h"
#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

using platform::ConduitOutcome;

struct StopCase {
    std::string name;
    std::function<void(SyncHarness&)> arrange;  // after the items table is set up
    // Whole lines the log holds one after the other; "@" stands for the description file.
    std::vector<std::string> logged;
    std::string reasonPart;
    // A table whose handheld database cannot be made is left and the sync goes on to its end.
    bool goesOn = false;
};

TEST(SyncOutcome, EveryWayOfNotCompletingIsReportedWithItsReason) {
    auto changeSettings = [](std::function<void(ConduitSettings&)> change) {
        return [change](SyncHarness& h) {
            change(h.settings);
            h.Install();
        };
    };
    const std::vector<StopCase> cases{
        {"description deleted after registration",
         [](SyncHarness& h) { std::filesystem::remove(h.descriptionFile); },
         {"Error loading configuration file @", "cannot open @: No such file or directory"},
         "No such file or directory"},
        {"description that is a folder",
         [](SyncHarness& h) {
             std::filesystem::remove(h.descriptionFile);
             std::filesystem::create_directory(h.descriptionFile);
         },
         {"Error loading configuration file @", "cannot read @: Is a directory"},
         "Is a directory"},
        {"description for another Creator ID (differing only in letter case)",
         changeSettings([](ConduitSettings& s) { s.CreatorID = ScrambleString("test"); }),
         {"The Tarn Configuration file contains the wrong Creator ID",
          "@ describes Creator ID \"test\", not the running \"TEST\""},
         "The Tarn Configuration file contains the wrong Creator ID"},
        {"no driver",
         changeSettings([](ConduitSettings& s) { s.DBDriver = ScrambleString(""); }),
         {"Error opening desktop database: No ODBC driver selected\r\nError Num:0",
          " Connection to desktop database failed"},
         "No ODBC driver selected"},
        {"driver not installed",
         changeSettings([](ConduitSettings& s) { s.DBDriver = ScrambleString("No Such Driver"); }),
         {" Connection to desktop database failed"},
         "Error opening desktop database: "},
        {"desktop table missing",
         [](SyncHarness& h) { h.Exec("DROP TABLE Items"); },
         {"!! Synchronization did not complete successfully"},
         "table Items bailed out: "},
        {"handheld database that cannot be created",
         [](SyncHarness& h) {
             // The file the database would be stored in holds another database.
             h.WriteHandheld("OtherDB", {});
             std::filesystem::rename(h.platform.handheldDir / "OtherDB.pdb",
                                     h.platform.handheldDir / "ItemsDB.pdb");
         },
         {"Can not find palm database ItemsDB"},
         "Can not find palm database ItemsDB: cannot create database \"ItemsDB\"",
         true},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        SyncHarness h;
        SeedItems(h);
        h.SetDebugLevel(2);
        c.arrange(h);
        h.Sync();
        const auto lines = h.LogLines();
        std::vector<std::string> expected = c.logged;
        for (std::string& line : expected)
            if (auto at = line.find('@'); at != std::string::npos)
                line.replace(at, 1, h.descriptionFile.string());
        EXPECT_NE(std::search(lines.begin(), lines.end(), expected.begin(), expected.end()),
                  lines.end())
            << h.Log();
        EXPECT_EQ(h.Log().find("Completed Synchronization") != std::string::npos, c.goesOn)
            << h.Log();
        ASSERT_EQ(h.platform.utility.outcomes.size(), 1u);
        const ConduitOutcome& outcome = h.platform.utility.outcomes[0];
        EXPECT_FALSE(outcome.completed);
        EXPECT_NE(outcome.reason.find(c.reasonPart), std::string::npos) << outcome.reason;
        EXPECT_EQ(outcome.reason.find('\n'), std::string::npos) << outcome.reason;
    }
}

TEST(SyncOutcome, ACompletedSyncIsReportedCompletedEachTime) {
    SyncHarness h;
    SeedItems(h);
    h.settings.CreatorID = ScrambleString("ZZZZ");  // a failed sync first: its reason is forgotten
    h.Install();
    h.Sync();
    h.settings.CreatorID = ScrambleString("TEST");
    h.Install();
    h.Sync();
    ASSERT_EQ(h.platform.utility.outcomes.size(), 2u);
    EXPECT_FALSE(h.platform.utility.outcomes[0].completed);
    EXPECT_TRUE(h.platform.utility.outcomes[1].completed);
    EXPECT_EQ(h.platform.utility.outcomes[1].reason, "");
}

// The bytes of a handheld file that exists but holds no readable record database.
struct DamagedFile {
    std::string name;
    std::function<std::string(const std::string& valid)> damage;
    std::string reasonPart;
};

std::vector<DamagedFile> DamagedFiles() {
    return {
        {"empty file", [](const std::string&) { return std::string(); }, "is damaged"},
        {"header cut short", [](const std::string& valid) { return valid.substr(0, 40); },
         "is damaged"},
        {"record list past the end",
         [](const std::string& valid) {
             std::string bytes = valid;
             bytes[76] = '\x7F';  // record count, big-endian, at offset 76
             bytes[77] = '\x00';
             return bytes;
         },
         "is damaged"},
        {"record offset past the end",
         [](const std::string& valid) {
             std::string bytes = valid;
             bytes[78] = '\x7F';  // first record's offset
             return bytes;
         },
         "is damaged"},
        {"resource database",
         [](const std::string& valid) {
             std::string bytes = valid.substr(0, 78);  // the header alone, no entries
             bytes[76] = bytes[77] = '\0';
             bytes[33] = static_cast<char>(bytes[33] | 0x01);  // attributes: resource
             return bytes;
         },
         "resource database"},
        {"unrelated bytes", [](const std::string&) { return std::string(300, '\xA5'); },
         "is damaged"},
    };
}

TEST(SyncOutcome, AHandheldDatabaseThatCannotBeReadBailsOutAndStaysAsItWas) {
    for (const DamagedFile& kind : DamagedFiles()) {
        SCOPED_TRACE(kind.name);
        SyncHarness h;
        SeedItems(h, "VALUES (5, 'desk')", {ItemRecord(1, "hand"), ItemRecord(2, "held")});
        const std::filesystem::path file = h.platform.handheldDir / "ItemsDB.pdb";
        const std::string damaged = kind.damage(tarn::test::ReadFileBytes(file));
        tarn::test::WriteFileBytes(file, damaged);
        h.SetDebugLevel(2);
        h.Sync();

        const std::string log = h.Log();
        EXPECT_EQ(log.find("Creating database"), std::string::npos) << log;
        EXPECT_EQ(log.find("Completed Synchronization"), std::string::npos) << log;
        EXPECT_NE(log.find("!! Bailing out now...\n"), std::string::npos) << log;
        const size_t description = log.find("!! Error Description:");
        ASSERT_NE(description, std::string::npos) << log;
        const std::string line = log.substr(description, log.find('\n', description) - description);
        EXPECT_NE(line.find("ItemsDB"), std::string::npos) << line;
        EXPECT_NE(line.find(kind.reasonPart), std::string::npos) << line;
        EXPECT_EQ(tarn::test::ReadFileBytes(file), damaged);
        EXPECT_EQ(h.DesktopPairs("Items", "Id", "Name"), (Pairs{{"5", "desk"}}));
        ASSERT_EQ(h.platform.utility.outcomes.size(), 1u);
        EXPECT_FALSE(h.platform.utility.outcomes[0].completed);
    }
}

// Permissions do not stop root, so this case runs only for other users.
TEST(SyncOutcome, AHandheldFileThatCannotBeOpenedIsReportedWithTheSystemsReason) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
    SyncHarness h;
    SeedItems(h, "", {ItemRecord(1, "hand")});
    const std::filesystem::path file = h.platform.handheldDir / "ItemsDB.pdb";
    const std::string before = tarn::test::ReadFileBytes(file);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    h.Sync();
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    EXPECT_NE(h.Log().find("!! Error Description:cannot read database \"ItemsDB\": cannot open " +
                           file.string() + ": Permission denied ####"),
              std::string::npos)
        << h.Log();
    EXPECT_EQ(tarn::test::ReadFileBytes(file), before);
    EXPECT_FALSE(h.platform.utility.outcomes.at(0).completed);
}

}  // namespace
}  // namespace tarn::conduit::test
