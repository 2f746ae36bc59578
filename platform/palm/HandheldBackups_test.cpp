#include "platform/palm/HandheldBackups.h"

#include <gtest/gtest.h>

#include "platform/palm/LeftoverFiles.h"
#include "platform/palm/PdbFile.h"
#include "platform/palm/PosixHandheldFolder.h"
#include "tests/support/TempDir.h"

namespace tarn::platform::palm {
namespace {

namespace fs = std::filesystem;

class HandheldBackupsTest : public ::testing::Test {
  protected:
    // Rebuilds the database with the given records and commits it.
    void Rebuild(const std::vector<std::string>& records) {
        auto db = folder_.OpenRecordDatabase("Orders");
        db->RemoveAllRecords();
        for (const auto& data : records) db->WriteRecord(0, 0, 0, data);
        db->Commit();
    }
    std::vector<std::string> RecordsIn(const fs::path& file) {
        std::vector<std::string> records;
        for (const auto& r : ParsePdb(test::ReadFileBytes(file)).records) records.push_back(r.data);
        return records;
    }

    test::TempDir dir_;
    PosixHandheldFolder folder_{dir_.path()};
};

// Each replacement keeps the file it replaces as generation 1; the oldest beyond three goes.
TEST_F(HandheldBackupsTest, ReplacedFilesAreKeptForThreeGenerations) {
    folder_.CreateRecordDatabase({"Orders", "TnCd"});
    const fs::path file = dir_.path() / "Orders.pdb";
    for (const char* version : {"a", "b", "c", "d", "e"}) Rebuild({version, "same"});

    EXPECT_EQ(RecordsIn(file), (std::vector<std::string>{"e", "same"}));
    EXPECT_EQ(RecordsIn(BackupFile(dir_.path(), "Orders.pdb", 1)),
              (std::vector<std::string>{"d", "same"}));
    EXPECT_EQ(RecordsIn(BackupFile(dir_.path(), "Orders.pdb", 3)),
              (std::vector<std::string>{"b", "same"}));
    auto listed = ListBackups(dir_.path());
    ASSERT_EQ(listed.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(listed[i].generation, i + 1);
        EXPECT_EQ(listed[i].name, "Orders");
        EXPECT_EQ(listed[i].fileName, "Orders.pdb");
        EXPECT_EQ(listed[i].recordCount, 2u);
        EXPECT_TRUE(listed[i].error.empty());
    }

    // A rebuild with the same records stores nothing: neither the file nor the backups move.
    const std::string before = test::ReadFileBytes(file);
    Rebuild({"e", "same"});
    EXPECT_EQ(test::ReadFileBytes(file), before);
    EXPECT_EQ(RecordsIn(BackupFile(dir_.path(), "Orders.pdb", 1)),
              (std::vector<std::string>{"d", "same"}));
}

// A prepared version that is never published leaves the file, the backups and the folder as
// they were.
TEST_F(HandheldBackupsTest, ADiscardedVersionLeavesNoTrace) {
    folder_.CreateRecordDatabase({"Orders", "TnCd"});
    Rebuild({"kept"});
    const std::string before = test::ReadFileBytes(dir_.path() / "Orders.pdb");
    {
        auto db = folder_.OpenRecordDatabase("Orders");
        db->WriteRecord(0, 0, 0, "never published");
        db->Prepare();
    }
    EXPECT_EQ(test::ReadFileBytes(dir_.path() / "Orders.pdb"), before);
    EXPECT_EQ(ListBackups(dir_.path()).size(), 1u);
    EXPECT_TRUE(RemoveLeftoverFiles(dir_.path()).empty());
}

// Only temporary files of database files are removed, in the folder and in its backups.
TEST_F(HandheldBackupsTest, LeftoversOfOurOwnPatternAreRemovedAndNothingElse) {
    fs::create_directories(BackupFolder(dir_.path()));
    const std::vector<fs::path> ours = {dir_.path() / ".Orders.pdb.a1B2c3",
                                        BackupFolder(dir_.path()) / ".Orders.pdb.Zz9y8X"};
    const std::vector<fs::path> others = {
        dir_.path() / ".notes.txt.a1B2c3", dir_.path() / "Orders.pdb.a1B2c3",
        dir_.path() / ".Orders.pdb.a1B2", dir_.path() / ".tarn-sync.lock",
        dir_.path() / "Orders.pdb"};
    for (const auto& file : ours) test::WriteFileBytes(file, "half");
    for (const auto& file : others) test::WriteFileBytes(file, "keep");

    auto removed = RemoveLeftoverFiles(dir_.path());
    EXPECT_EQ(removed.size(), 2u);
    for (const auto& file : ours) EXPECT_FALSE(fs::exists(file)) << file;
    for (const auto& file : others) EXPECT_TRUE(fs::exists(file)) << file;
}

}  // namespace
}  // namespace tarn::platform::palm
