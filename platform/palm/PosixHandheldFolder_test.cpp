#include "platform/palm/PosixHandheldFolder.h"

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/palm/FourCharCode.h"
#include "platform/palm/PalmClock.h"
#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbFile.h"
#include "tests/support/TempDir.h"

namespace tarn::platform::palm {
namespace {

namespace fs = std::filesystem;

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PlatformError& e) {
        EXPECT_FALSE(e.description().empty());
        return e.number();
    }
    return 0;
}

class HandheldFolderTest : public ::testing::Test {
  protected:
    // A database written by someone else, under a file name unrelated to its own name.
    fs::path PutForeignDatabase(const std::string& fileName, uint32_t creationDate = 0xD0000000) {
        PdbDatabase db;
        db.header.name = "Contacts \xE9t\xE9";  // "Contacts été" in Windows-1252
        db.header.attributes = 0x0008;
        db.header.version = 5;
        db.header.creationDate = creationDate;
        db.header.modificationDate = creationDate + 1;
        db.header.backupDate = creationDate + 2;
        db.header.modificationNumber = 41;
        db.header.type = *FourCharCodeFromText("DATA");
        db.header.creator = *FourCharCodeFromText("CoNt");
        db.header.uniqueIdSeed = 100;
        db.appInfo = "categories";
        db.sortInfo = "sorting";
        db.records.push_back({kRecordAttrDirty | 1, 50, "alpha"});
        db.records.push_back({kRecordAttrSecret | 2, 200, "secret"});
        db.records.push_back({0, 0, "zero id"});
        fs::path file = dir_ / fileName;
        test::WriteFileBytes(file, SerializePdb(db));
        return file;
    }

    test::TempDir dir_;
    PosixHandheldFolder folder_{dir_.path()};
};

TEST_F(HandheldFolderTest, OpensByHeaderNameAndReadsInOrder) {
    PutForeignDatabase("whatever.bin.pdb");
    auto db = folder_.OpenRecordDatabase("Contacts été");
    EXPECT_EQ(db->Info().name, "Contacts été");
    EXPECT_EQ(db->Info().creator, "CoNt");
    db->SetIterationIndex(0);
    EXPECT_EQ(db->RecordCount(), 3u);
    EXPECT_FALSE(db->EndOfData());

    PalmRecord first = db->ReadNext();
    EXPECT_EQ(first.index, 0u);
    EXPECT_EQ(first.uniqueId, 50u);
    EXPECT_EQ(first.category, 1);
    EXPECT_EQ(first.attributes, kRecordAttrDirty);
    EXPECT_EQ(first.data, "alpha");
    EXPECT_EQ(db->ReadNext().data, "secret");
    PalmRecord third = db->ReadNext();
    EXPECT_EQ(third.uniqueId, 0u);
    EXPECT_FALSE(db->EndOfData());
    EXPECT_TRUE(db->ReadNext().data.empty());
    EXPECT_TRUE(db->EndOfData());

    db->SetIterationIndex(2);
    EXPECT_FALSE(db->EndOfData());
    EXPECT_EQ(db->ReadNext().data, "zero id");

    EXPECT_EQ(ErrorNumberOf([&] { folder_.OpenRecordDatabase("whatever.bin"); }),
              kErrDatabaseNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { folder_.OpenRecordDatabase("contacts été"); }),
              kErrDatabaseNotFound);
}

TEST_F(HandheldFolderTest, OpenModeHidesSecretRecordsAndGuardsWrites) {
    PutForeignDatabase("c.pdb");
    auto visible = folder_.OpenRecordDatabase("Contacts été", kOpenRead | kOpenWrite);
    EXPECT_EQ(visible->RecordCount(), 2u);
    visible->SetIterationIndex(0);
    EXPECT_EQ(visible->ReadNext().data, "alpha");
    EXPECT_EQ(visible->ReadNext().data, "zero id");

    auto readOnly = folder_.OpenRecordDatabase("Contacts été", kOpenRead);
    EXPECT_EQ(ErrorNumberOf([&] { readOnly->WriteRecord(0, 0, 0, "x"); }), kErrDatabaseReadOnly);
    EXPECT_EQ(ErrorNumberOf([&] { readOnly->RemoveAllRecords(); }), kErrDatabaseReadOnly);
}

TEST_F(HandheldFolderTest, CreatesAnEmptyDatabaseAtOnce) {
    auto created = folder_.CreateRecordDatabase({"Orders/2024", "TnCd", "DATA", 0x0008, 1});
    EXPECT_EQ(created->RecordCount(), 0u);
    ASSERT_TRUE(fs::exists(dir_ / "Orders_2024.pdb"));

    PdbDatabase onDisk = ParsePdb(test::ReadFileBytes(dir_ / "Orders_2024.pdb"));
    EXPECT_EQ(onDisk.header.name, "Orders/2024");
    EXPECT_EQ(FourCharCodeText(onDisk.header.creator), "TnCd");
    EXPECT_EQ(FourCharCodeText(onDisk.header.type), "DATA");
    EXPECT_EQ(onDisk.header.attributes, 0x0008);
    EXPECT_EQ(onDisk.header.version, 1);
    EXPECT_FALSE(UsesUnixDates(onDisk.header.creationDate));

    auto opened = folder_.OpenRecordDatabase("Orders/2024");
    opened->SetIterationIndex(0);
    opened->ReadNext();
    EXPECT_TRUE(opened->EndOfData());

    // Taken (a file of that name holding another database is never overwritten either), empty,
    // too long, a creator of three letters, a name outside Windows-1252.
    test::WriteFileBytes(dir_ / "Taken.pdb", "not a database");
    for (const auto& [wanted, error] : std::vector<std::pair<NewDatabase, int>>{
             {{"Orders/2024", "TnCd"}, kErrDatabaseExists},
             {{"Taken", "TnCd"}, kErrDatabaseExists},
             {{"", "TnCd"}, kErrInvalidArgument},
             {{std::string(32, 'x'), "TnCd"}, kErrInvalidArgument},
             {{"Euro \u20AC ok", "TnC"}, kErrInvalidArgument},
             {{"No \u4E00", "TnCd"}, kErrInvalidArgument}})
        EXPECT_EQ(ErrorNumberOf([&] { folder_.CreateRecordDatabase(wanted); }), error)
            << wanted.name;
    EXPECT_EQ(test::ReadFileBytes(dir_ / "Taken.pdb"), "not a database");
}

TEST_F(HandheldFolderTest, RebuildIsWrittenOnlyOnCommit) {
    fs::path file = PutForeignDatabase("c.pdb");
    const std::string before = test::ReadFileBytes(file);
    {
        auto db = folder_.OpenRecordDatabase("Contacts été");
        db->RemoveAllRecords();
        db->WriteRecord(0, 0, 0, "half a rebuild");
        db->Commit();  // a commit of a different open database must not be needed for this one
        auto abandoned = folder_.OpenRecordDatabase("Contacts été");
        (void)abandoned;
    }
    const std::string afterFirst = test::ReadFileBytes(file);
    EXPECT_NE(afterFirst, before);

    {
        auto db = folder_.OpenRecordDatabase("Contacts été");
        db->RemoveAllRecords();
        for (int i = 0; i < 100; ++i) db->WriteRecord(0, 0, 0, "new " + std::to_string(i));
        // Released without a commit, as a sync that fails half way.
    }
    EXPECT_EQ(test::ReadFileBytes(file), afterFirst);

    // Opening and reading only never rewrites, not even with a commit.
    {
        auto db = folder_.OpenRecordDatabase("Contacts été");
        db->SetIterationIndex(0);
        db->ReadNext();
        db->Commit();
    }
    EXPECT_EQ(test::ReadFileBytes(file), afterFirst);
}

// A rebuild takes the bytes of records equal to those stored rather than copying them; every
// way of rebuilding must still store exactly when the records differ from those stored.
TEST_F(HandheldFolderTest, RebuildStoresOnlyWhatDiffers) {
    const std::vector<std::string> stored{"alpha", "beta", "gamma"};
    struct Case {
        const char* name;
        std::function<void(RecordDatabase&)> rebuild;
        bool changes;
    };
    auto writeAll = [](std::vector<std::string> records) {
        return [records](RecordDatabase& db) {
            db.RemoveAllRecords();
            for (const auto& record : records) db.WriteRecord(0, 0, 0, record);
        };
    };
    const std::vector<Case> cases{
        {"the same records", writeAll(stored), false},
        {"the last one differs", writeAll({"alpha", "beta", "delta"}), true},
        {"one more", writeAll({"alpha", "beta", "gamma", "x"}), true},
        {"one fewer", writeAll({"alpha", "beta"}), true},
        {"other attributes",
         [](RecordDatabase& db) {
             db.RemoveAllRecords();
             db.WriteRecord(0, 0, kRecordAttrDirty, "alpha");
             db.WriteRecord(0, 0, 0, "beta");
             db.WriteRecord(0, 0, 0, "gamma");
         },
         true},
        {"emptied twice",
         [&](RecordDatabase& db) {
             writeAll({"alpha", "beta"})(db);
             writeAll(stored)(db);
         },
         false},
        {"a shared record rewritten by its ID",
         [](RecordDatabase& db) {
             db.RemoveAllRecords();
             const uint32_t id = db.WriteRecord(0, 0, 0, "alpha");
             db.WriteRecord(0, 0, 0, "beta");
             db.WriteRecord(0, 0, 0, "gamma");
             db.WriteRecord(id, 0, 0, "omega");
         },
         true},
        {"rewritten by ID, then rebuilt as stored",
         [&](RecordDatabase& db) {
             db.RemoveAllRecords();
             const uint32_t id = db.WriteRecord(0, 0, 0, "alpha");
             db.WriteRecord(0, 0, 0, "beta");
             db.WriteRecord(id, 0, 0, "omega");
             writeAll(stored)(db);
         },
         false},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const std::string name = "Rebuilt " + std::to_string(i);
        {
            auto db = folder_.CreateRecordDatabase({name, "TnCd"});
            for (const auto& record : stored) db->WriteRecord(0, 0, 0, record);
            db->Commit();
        }
        const fs::path file = dir_ / (name + ".pdb");
        const std::string before = test::ReadFileBytes(file);
        std::vector<std::string> expected;
        {
            auto db = folder_.OpenRecordDatabase(name);
            c.rebuild(*db);
            db->SetIterationIndex(0);
            for (auto record = db->ReadNext(); !db->EndOfData(); record = db->ReadNext())
                expected.push_back(record.data);
            db->Commit();
        }
        EXPECT_EQ(test::ReadFileBytes(file) != before, c.changes);
        std::vector<std::string> records;
        for (const auto& record : ParsePdb(test::ReadFileBytes(file)).records)
            records.push_back(record.data);
        EXPECT_EQ(records, expected);
    }
}

TEST_F(HandheldFolderTest, CommitKeepsHeaderAndBlocksAndHandsOutFreshIds) {
    fs::path file = PutForeignDatabase("c.pdb");
    PdbDatabase before = ParsePdb(test::ReadFileBytes(file));
    std::vector<uint32_t> ids;
    {
        auto db = folder_.OpenRecordDatabase("Contacts été");
        db->RemoveAllRecords();
        ids.push_back(db->WriteRecord(0, 4, kRecordAttrDirty, "one"));
        ids.push_back(db->WriteRecord(0, 0, 0, "two"));
        ids.push_back(db->WriteRecord(0, 0, 0, std::string(kMaxRecordSize, 'm')));
        EXPECT_EQ(db->WriteRecord(ids[1], 5, 0, "two again"), ids[1]);
        db->Commit();
    }
    PdbDatabase after = ParsePdb(test::ReadFileBytes(file));
    auto kept = [](const PdbHeader& h) {
        return std::tuple(h.name, h.attributes, h.version, h.creationDate, h.backupDate, h.type,
                          h.creator);
    };
    EXPECT_EQ(kept(after.header), kept(before.header));
    EXPECT_EQ(after.header.modificationNumber, before.header.modificationNumber + 1);
    EXPECT_NE(after.header.modificationDate, before.header.modificationDate);
    EXPECT_FALSE(UsesUnixDates(after.header.modificationDate));
    EXPECT_EQ(after.appInfo, "categories");
    EXPECT_EQ(after.sortInfo, "sorting");

    ASSERT_EQ(after.records.size(), 3u);
    EXPECT_EQ(after.records[0].attributes, kRecordAttrDirty | 4);
    EXPECT_EQ(after.records[1].data, "two again");
    EXPECT_EQ(after.records[1].category(), 5);
    // Fresh IDs continue past the seed and every ID the database held, never 0, never twice.
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(after.records[i].uniqueId, ids[i]);
        EXPECT_GT(ids[i], 200u);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(ids[i], ids[j]);
    }
    EXPECT_GT(after.header.uniqueIdSeed, ids.back());

    // The next session goes on from the stored seed rather than reusing IDs.
    auto db = folder_.OpenRecordDatabase("Contacts été");
    db->RemoveAllRecords();
    EXPECT_GT(db->WriteRecord(0, 0, 0, "later"), ids.back());
}

TEST_F(HandheldFolderTest, UnixDatedFilesStayUnixDated) {
    fs::path file = PutForeignDatabase("treo.pdb", 0x43B71BB0);
    auto db = folder_.OpenRecordDatabase("Contacts été");
    db->WriteRecord(0, 0, 0, "x");
    db->Commit();
    EXPECT_TRUE(UsesUnixDates(ParsePdb(test::ReadFileBytes(file)).header.modificationDate));
}

TEST_F(HandheldFolderTest, UniqueIdsWrapRoundPast24Bits) {
    PdbDatabase db;
    db.header.name = "Wrap";
    db.header.uniqueIdSeed = kMaxUniqueId;
    db.records.push_back({0, 1, "taken"});
    test::WriteFileBytes(dir_ / "wrap.pdb", SerializePdb(db));
    auto opened = folder_.OpenRecordDatabase("Wrap");
    EXPECT_EQ(opened->WriteRecord(0, 0, 0, "a"), kMaxUniqueId);
    EXPECT_EQ(opened->WriteRecord(0, 0, 0, "b"), 2u);  // 0 is never used and 1 is taken
    opened->Commit();
}

TEST_F(HandheldFolderTest, LimitsAreRefusedAndLeaveTheFileAlone) {
    fs::path file = PutForeignDatabase("c.pdb");
    const std::string before = test::ReadFileBytes(file);
    auto db = folder_.OpenRecordDatabase("Contacts été");
    EXPECT_EQ(
        ErrorNumberOf([&] { db->WriteRecord(0, 0, 0, std::string(kMaxRecordSize + 1, 'x')); }),
        kErrLimitExceeded);
    EXPECT_EQ(ErrorNumberOf([&] { db->WriteRecord(0, 16, 0, "x"); }), kErrInvalidArgument);
    EXPECT_EQ(test::ReadFileBytes(file), before);
}

TEST_F(HandheldFolderTest, FailedCommitThrowsAndCanBeRetried) {
    fs::path file = PutForeignDatabase("c.pdb");
    auto db = folder_.OpenRecordDatabase("Contacts été");
    db->WriteRecord(0, 0, 0, "new");
    fs::remove(file);
    fs::create_directory(file);  // the rename over it fails
    EXPECT_EQ(ErrorNumberOf([&] { db->Commit(); }), kErrWriteFailed);
    fs::remove(file);
    size_t leftovers = 0;
    for (const auto& entry : fs::directory_iterator(dir_.path())) (void)entry, ++leftovers;
    EXPECT_EQ(leftovers, 0u) << "a temporary file was left behind";

    db->Commit();
    PdbDatabase written = ParsePdb(test::ReadFileBytes(file));
    EXPECT_EQ(written.records.back().data, "new");
    EXPECT_EQ(written.header.modificationNumber, 42u);  // bumped once, not once per try
}

TEST_F(HandheldFolderTest, FullSizeDatabaseRoundTripsAndTakesNoMore) {
    auto created = folder_.CreateRecordDatabase({"Big", "TnCd"});
    for (size_t i = 0; i < kMaxRecords; ++i) created->WriteRecord(0, i % 16, 0, std::to_string(i));
    EXPECT_EQ(ErrorNumberOf([&] { created->WriteRecord(0, 0, 0, "one too many"); }),
              kErrLimitExceeded);
    created->Commit();

    auto db = folder_.OpenRecordDatabase("Big");
    EXPECT_EQ(db->RecordCount(), kMaxRecords);
    db->SetIterationIndex(0);
    size_t count = 0;
    std::vector<bool> seen(kMaxUniqueId + 1);
    for (PalmRecord r = db->ReadNext(); !db->EndOfData(); r = db->ReadNext()) {
        ASSERT_EQ(r.data, std::to_string(count));
        ASSERT_FALSE(seen[r.uniqueId]);
        seen[r.uniqueId] = true;
        ++count;
    }
    EXPECT_EQ(count, kMaxRecords);
}

TEST_F(HandheldFolderTest, ListsGoodResourceAndDamagedFiles) {
    PutForeignDatabase("b-contacts.pdb");
    PdbDatabase resource;
    resource.header.name = "App";
    std::string resourceBytes = SerializePdb(resource);
    resourceBytes[33] = 0x01;  // the resource attribute, with an empty resource list
    test::WriteFileBytes(dir_ / "a-app.prc", resourceBytes);
    test::WriteFileBytes(dir_ / "c-broken.pdb", std::string(50, 'x'));
    test::WriteFileBytes(dir_ / "notes.txt", "not a database");
    test::WriteFileBytes(dir_ / ".b-contacts.pdb.Xy12ab", "half written");

    auto listings = folder_.ListDatabases();
    ASSERT_EQ(listings.size(), 3u);
    EXPECT_EQ(listings[0].fileName, "a-app.prc");
    EXPECT_TRUE(listings[0].resource);
    EXPECT_EQ(listings[1].name, "Contacts été");
    EXPECT_EQ(listings[1].type, "DATA");
    EXPECT_EQ(listings[1].creator, "CoNt");
    EXPECT_EQ(listings[1].recordCount, 3u);
    EXPECT_FALSE(listings[1].resource);
    EXPECT_EQ(listings[2].fileName, "c-broken.pdb");
    EXPECT_NE(listings[2].error.find("shorter than a database header"), std::string::npos);

    EXPECT_EQ(ErrorNumberOf([&] { folder_.OpenRecordDatabase("App"); }), kErrResourceDatabase);
    PosixHandheldFolder missing(dir_ / "nowhere");
    EXPECT_EQ(ErrorNumberOf([&] { missing.ListDatabases(); }), kErrFolderUnreadable);
    EXPECT_EQ(ErrorNumberOf([&] { missing.OpenRecordDatabase("App"); }), kErrFolderUnreadable);
}

TEST_F(HandheldFolderTest, DamagedDatabaseIsReportedWhenOpened) {
    fs::path file = PutForeignDatabase("c.pdb");
    std::string bytes = test::ReadFileBytes(file);
    bytes.resize(kHeaderSize + 10);  // header intact, record list cut
    test::WriteFileBytes(file, bytes);
    EXPECT_EQ(ErrorNumberOf([&] { folder_.OpenRecordDatabase("Contacts été"); }),
              kErrDatabaseDamaged);
}

}  // namespace
}  // namespace tarn::platform::palm
