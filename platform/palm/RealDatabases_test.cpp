// Databases from real handhelds and desktop tools, with the quirks such files have. They are
// read in place from the shared test data and never written.
#include <gtest/gtest.h>

#include "platform/palm/FourCharCode.h"
#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbFile.h"
#include "platform/palm/PosixHandheldFolder.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::palm {
namespace {

std::filesystem::path RealFolder() {
    return test::SharedTestDataDir() / "pdb-real";
}

PdbDatabase ReadReal(const std::string& fileName) {
    return ParsePdb(test::ReadFileBytes(RealFolder() / fileName));
}

TEST(RealDatabases, QuirksOfRealFiles) {
    // Left-over bytes after the NUL of the name.
    EXPECT_EQ(ReadReal("palm-pdb__AddressDB-Palm_V-FR.pdb").header.name, "AddressDB");
    EXPECT_EQ(ReadReal("treo680__database.pdb").header.name, "Messages Database");

    // No records and an appInfo block that runs to the end of the file.
    PdbDatabase expense = ReadReal("palm-pdb__ExpenseDB.pdb");
    EXPECT_TRUE(expense.records.empty());
    EXPECT_EQ(expense.appInfo.size(),
              test::ReadFileBytes(RealFolder() / "palm-pdb__ExpenseDB.pdb").size() -
                  expense.header.appInfoOffset);

    // A record whose unique ID is 0.
    PdbDatabase bookmarks = ReadReal("php-pdb__bookmark_test.pdb");
    EXPECT_TRUE(std::any_of(bookmarks.records.begin(), bookmarks.records.end(),
                            [](const PdbRecord& r) { return r.uniqueId == 0; }));

    PdbDatabase memo = ReadReal("palm-pdb__MemoDB.pdb");
    EXPECT_EQ(FourCharCodeText(memo.header.type), "DATA");
    EXPECT_EQ(FourCharCodeText(memo.header.creator), "memo");
    EXPECT_EQ(memo.records.size(), 5u);

    PdbDatabase onBoard = ReadReal("palm-pdb__OnBoard.prc");
    EXPECT_TRUE(onBoard.header.isResourceDatabase());
    EXPECT_EQ(onBoard.header.recordCount, 26);
}

TEST(RealDatabases, RewriteKeepsRecordsAndBlocks) {
    for (const char* name : {"palm-pdb__DatebookDB.pdb", "treo680__database.pdb",
                             "php-pdb__bookmark_test.pdb", "palm-pdb__ExpenseDB.pdb"}) {
        SCOPED_TRACE(name);
        PdbDatabase original = ReadReal(name);
        PdbDatabase again = ParsePdb(SerializePdb(original));
        EXPECT_EQ(again.header.name, original.header.name);
        EXPECT_EQ(again.header.creationDate, original.header.creationDate);
        EXPECT_EQ(again.appInfo, original.appInfo);
        EXPECT_EQ(again.sortInfo, original.sortInfo);
        ASSERT_EQ(again.records.size(), original.records.size());
        for (size_t i = 0; i < again.records.size(); ++i) {
            EXPECT_EQ(again.records[i].data, original.records[i].data);
            EXPECT_EQ(again.records[i].attributes, original.records[i].attributes);
            EXPECT_EQ(again.records[i].uniqueId, original.records[i].uniqueId);
        }
    }
}

// The shared folder used as a handheld, read only: every file reads, and a database is found by
// its header name, whatever the file name.
TEST(RealDatabases, FolderOfRealFiles) {
    PosixHandheldFolder folder(RealFolder());
    auto listings = folder.ListDatabases();
    ASSERT_EQ(listings.size(), 12u);
    for (const auto& listing : listings) EXPECT_TRUE(listing.readable()) << listing.error;

    auto memo = folder.OpenRecordDatabase("MemoDB", kOpenRead | kOpenShowSecret);
    EXPECT_EQ(memo->RecordCount(), 5u);
    auto messages = folder.OpenRecordDatabase("Messages Database", kOpenRead | kOpenShowSecret);
    EXPECT_EQ(messages->RecordCount(), 0x257u);

    // Four files carry "AddressDB": opening it must not pick one at random.
    try {
        folder.OpenRecordDatabase("AddressDB", kOpenRead);
        ADD_FAILURE() << "an ambiguous name was opened";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), kErrDatabaseAmbiguous);
    }
    try {
        folder.OpenRecordDatabase("OnBoard", kOpenRead);
        ADD_FAILURE() << "a resource database was opened for records";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), kErrResourceDatabase);
    }
}

}  // namespace
}  // namespace tarn::platform::palm
