// A database whose records were released is read again from its file when next needed. What the
// engine does with it then (read, empty and rebuild, store) must come out exactly as if the
// records had stayed in memory, and a file changed meanwhile must never be written over.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/palm/FourCharCode.h"
#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbFile.h"
#include "platform/palm/PosixHandheldFolder.h"
#include "tests/support/TempDir.h"

namespace tarn::platform::palm {
namespace {

namespace fs = std::filesystem;

using Records = std::vector<std::tuple<uint32_t, int, int, std::string>>;  // ID, category, flags

Records AllRecords(RecordDatabase& db) {
    Records records;
    db.SetIterationIndex(0);
    for (auto r = db.ReadNext(); !db.EndOfData(); r = db.ReadNext())
        records.emplace_back(r.uniqueId, r.category, r.attributes, r.data);
    return records;
}

class ReleasedRecordsTest : public ::testing::Test {
  protected:
    // Records with categories, flags (a secret one among them) and IDs of their own, and the
    // blocks a database may carry beside them.
    void SetUp() override {
        PdbDatabase db;
        db.header.name = "Orders";
        db.header.version = 3;
        db.header.creationDate = db.header.modificationDate = 0xD0000000;
        db.header.modificationNumber = 7;
        db.header.type = *FourCharCodeFromText("DATA");
        db.header.creator = *FourCharCodeFromText("OrDr");
        db.header.uniqueIdSeed = 900;
        db.appInfo = std::string("categories\0\x01", 12);
        db.sortInfo = "sort order";
        for (uint32_t i = 0; i < 6; ++i)
            db.records.push_back({static_cast<uint8_t>((i == 2 ? kRecordAttrSecret : 0) | i),
                                  100 + i, "record " + std::to_string(i)});
        stored_ = SerializePdb(db);
        test::WriteFileBytes(File(), stored_);
    }

    fs::path File() const { return dir_ / "Orders.pdb"; }
    std::string FileBytes() const { return test::ReadFileBytes(File()); }

    // Opens the database, reads it through and releases its records, as a sync does.
    std::unique_ptr<RecordDatabase> OpenReleased(unsigned mode = kOpenReadWriteSecret) {
        auto db = folder_.OpenRecordDatabase("Orders", mode);
        before_ = AllRecords(*db);
        db->ReleaseRecords();
        return db;
    }

    // Empties the database and writes `data` back as the sync writes records; the new IDs.
    static std::vector<uint32_t> Rebuild(RecordDatabase& db, const std::vector<std::string>& data) {
        db.RemoveAllRecords();
        std::vector<uint32_t> ids;
        for (const auto& bytes : data) ids.push_back(db.WriteRecord(0, 0, 0, bytes));
        return ids;
    }
    static void Store(RecordDatabase& db) {
        db.Prepare();
        db.Publish();
    }
    std::vector<std::string> StoredData() const {
        std::vector<std::string> data;
        for (const auto& record : ParsePdb(FileBytes()).records) data.push_back(record.data);
        return data;
    }

    test::TempDir dir_;
    PosixHandheldFolder folder_{dir_.path()};
    std::string stored_;
    Records before_;
};

TEST_F(ReleasedRecordsTest, ReadsTheSameRecordsAgainAndCountsThemMeanwhile) {
    for (unsigned mode : {kOpenReadWriteSecret, kOpenRead | kOpenWrite}) {
        SCOPED_TRACE(mode);
        auto db = OpenReleased(mode);
        EXPECT_EQ(db->RecordCount(), (mode & kOpenShowSecret) ? 6u : 5u);
        EXPECT_EQ(db->Info().name, "Orders");
        EXPECT_EQ(AllRecords(*db), before_);
        Store(*db);
        EXPECT_EQ(FileBytes(), stored_);
    }
}

TEST_F(ReleasedRecordsTest, ARebuildOfTheSameRecordsStoresNothing) {
    const std::vector<std::string> data = {"record 0", "record 1", "record 2",
                                           "record 3", "record 4", "record 5"};
    auto db = OpenReleased();
    Rebuild(*db, data);
    // Without their categories and flags the records are not those stored.
    Store(*db);
    const std::string rewritten = FileBytes();
    ASSERT_NE(rewritten, stored_);

    auto again = OpenReleased();
    Rebuild(*again, data);
    Store(*again);
    EXPECT_EQ(FileBytes(), rewritten);
}

// Records equal to those stored lend their bytes to the rebuild wherever they stand; a
// rebuild undone and done again, or a record written over, must get them all back intact.
TEST_F(ReleasedRecordsTest, ChangesAnywhereInARebuildKeepTheOtherRecordsWhole) {
    auto db = folder_.OpenRecordDatabase("Orders");
    const std::vector<std::string> same = {"a", "b", "c", "d"};
    Rebuild(*db, same);
    Store(*db);
    const std::string stored = FileBytes();

    db = OpenReleased();
    Rebuild(*db, {"x", "b", "y", "d"});  // records 1 and 3 lent, 0 and 2 changed
    Rebuild(*db, same);                  // undone: the lent bytes went back
    Store(*db);
    EXPECT_EQ(FileBytes(), stored);

    db->WriteRecord(Rebuild(*db, same)[2], 0, 0, "C");  // a lent record written over
    Rebuild(*db, same);
    Store(*db);
    EXPECT_EQ(FileBytes(), stored);

    db->WriteRecord(Rebuild(*db, {"a", "B", "c", "d"})[2], 0, 0, "C");
    Store(*db);
    EXPECT_EQ(StoredData(), (std::vector<std::string>{"a", "B", "C", "d"}));
}

TEST_F(ReleasedRecordsTest, AChangedRecordIsWrittenWithTheBlocksAndUnchangedRecordsAsStored) {
    auto db = OpenReleased();
    db->RemoveAllRecords();
    for (const auto& [id, category, flags, data] : before_)
        db->WriteRecord(0, static_cast<uint8_t>(category), static_cast<uint8_t>(flags),
                        data == "record 3" ? "record three" : data);
    Store(*db);
    PdbDatabase written = ParsePdb(FileBytes());
    EXPECT_EQ(written.appInfo, std::string("categories\0\x01", 12));
    EXPECT_EQ(written.sortInfo, "sort order");
    EXPECT_EQ(written.header.modificationNumber, 8u);
    ASSERT_EQ(written.records.size(), 6u);
    for (size_t i = 0; i < written.records.size(); ++i) {
        EXPECT_EQ(written.records[i].category(), std::get<1>(before_[i]));
        EXPECT_EQ(written.records[i].flags(), std::get<2>(before_[i]));
        EXPECT_EQ(written.records[i].data, i == 3 ? "record three" : std::get<3>(before_[i]));
    }
}

TEST_F(ReleasedRecordsTest, AFileChangedOrGoneMeanwhileIsNeverWrittenOver) {
    PdbDatabase other = ParsePdb(stored_);
    other.records[4].data = "changed by someone else";
    const std::vector<std::pair<const char*, std::function<void()>>> meanwhile = {
        {"changed", [&] { test::WriteFileBytes(File(), SerializePdb(other)); }},
        {"damaged", [&] { test::WriteFileBytes(File(), stored_.substr(0, 90)); }},
        {"gone", [&] { fs::remove(File()); }},
    };
    for (const auto& [what, happen] : meanwhile) {
        SCOPED_TRACE(what);
        test::WriteFileBytes(File(), stored_);
        auto db = OpenReleased();
        happen();
        const bool existed = fs::exists(File());
        const std::string now = existed ? FileBytes() : "";
        try {
            db->RemoveAllRecords();
            ADD_FAILURE() << "emptied a database that is no longer what was read";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), kErrDatabaseDamaged);
            EXPECT_NE(e.description().find("Orders"), std::string::npos) << e.description();
        }
        Store(*db);
        EXPECT_EQ(fs::exists(File()), existed);
        if (existed) EXPECT_EQ(FileBytes(), now);
    }
}

// Once published, the rebuild is what is stored: a later rebuild giving back the records from
// before it is a change like any other, not a return to what was stored.
TEST_F(ReleasedRecordsTest, AfterPublishingTheRebuildIsWhatARebuildIsToldApartFrom) {
    const std::vector<std::string> before = {"a", "b", "c"};
    auto db = folder_.OpenRecordDatabase("Orders");
    Rebuild(*db, before);
    Store(*db);

    db = OpenReleased();
    Rebuild(*db, {"first"});
    Store(*db);
    Rebuild(*db, before);
    Store(*db);
    EXPECT_EQ(StoredData(), before);

    const std::string stored = FileBytes();
    Rebuild(*db, before);
    Store(*db);
    EXPECT_EQ(FileBytes(), stored);
}

TEST_F(ReleasedRecordsTest, ChangesNotYetStoredAreKept) {
    auto db = folder_.OpenRecordDatabase("Orders");
    const uint32_t id = db->WriteRecord(0, 1, 0, "added");
    db->ReleaseRecords();
    fs::remove(File());  // nothing is read back: the records never left
    EXPECT_EQ(db->RecordCount(), 7u);
    Store(*db);
    PdbDatabase written = ParsePdb(FileBytes());
    ASSERT_EQ(written.records.size(), 7u);
    EXPECT_EQ(written.records.back().uniqueId, id);
    EXPECT_EQ(written.records.back().data, "added");
}

}  // namespace
}  // namespace tarn::platform::palm
