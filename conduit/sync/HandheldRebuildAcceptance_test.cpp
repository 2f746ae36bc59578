// A table's handheld database is read into the queue, let go while the desktop is read, and read
// again from its file to be rebuilt. Whatever the file holds beside its records must come
// through, read alike by an independent reader, and a second sync must find nothing to do. Run
// on every desktop database through the acceptance instantiations.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "conduit/sync/testing/SyncAcceptance.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "platform/palm/FourCharCode.h"
#include "platform/palm/PdbFile.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

namespace palm = platform::palm;
using tarn::test::ReadFileBytes;
using tarn::test::RunProcess;
using tarn::test::WriteFileBytes;

// The blocks and records of a database as Debian's Palm::PDB reads them.
const char* kPerlDump = R"perl(
use strict; use Palm::PDB; use Palm::Raw;
my $p = Palm::PDB->new; $p->Load($ARGV[0]);
print "appinfo ", unpack("H*", $p->{appinfo} // ""), "\n";
print "sort ", unpack("H*", $p->{sort} // ""), "\n";
print unpack("H*", $_->{data}), "\n" for @{$p->{records}};
)perl";

std::string Hex(const std::string& bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes) out << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    return out.str();
}

const std::string kAppInfo("categories\0\x01\x02", 13);
const std::string kSortInfo("sort order");

TEST_P(SyncAcceptance, AHandheldDatabaseRebuiltAfterTheDesktopKeepsItsBlocks) {
    SyncHarness h(GetParam());
    h.Exec("CREATE TABLE Items (Id INTEGER, Name VARCHAR(40))");
    h.Exec("INSERT INTO Items VALUES (3, 'three'), (12, 'twelve')");
    palm::PdbDatabase db;
    db.header.name = "ItemsDB";
    db.header.type = *palm::FourCharCodeFromText("DATA");
    db.header.creator = *palm::FourCharCodeFromText("TEST");
    db.header.creationDate = db.header.modificationDate = 0xD0000000;
    db.appInfo = kAppInfo;
    db.sortInfo = kSortInfo;
    for (int32_t id = 1; id <= 30; ++id)
        if (id != 3 && id != 12)
            db.records.push_back({0, static_cast<uint32_t>(id), ItemRecord(id, "hand")});
    const auto file = h.platform.handheldDir / "Items.pdb";
    WriteFileBytes(file, palm::SerializePdb(db));
    AddItemFields(h.AddTable("Items", "ItemsDB", 0));
    h.Install();
    SyncAndExpectCompleted(h);  // leaves the handheld in the order the sync writes it

    // Changes in the middle of the order on both sides: a row changed and one added on the
    // desktop, a record marked deleted and one added on the handheld.
    h.Exec("UPDATE Items SET Name = 'desk' WHERE Id = 17");
    h.Exec("INSERT INTO Items VALUES (31, 'new')");
    palm::PdbDatabase synced = palm::ParsePdb(ReadFileBytes(file));
    for (auto& record : synced.records)
        if (record.data == ItemRecord(5, "hand")) record.data = ItemRecord(5, "hand", 1);
    synced.records.insert(synced.records.begin() + 10, {0, 99, ItemRecord(40, "new here")});
    WriteFileBytes(file, palm::SerializePdb(synced));
    SyncAndExpectCompleted(h);

    std::string expected = "appinfo " + Hex(kAppInfo) + "\nsort " + Hex(kSortInfo) + "\n";
    std::vector<std::string> records = h.ReadHandheld("ItemsDB");
    for (const auto& record : records) expected += Hex(record) + "\n";
    auto dump = RunProcess("/usr/bin/perl", {"-e", kPerlDump, file.string()});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(dump.out, expected);
    const Pairs handheld = HandheldPairs(h, "ItemsDB");
    EXPECT_EQ(handheld.size(), 31u);
    EXPECT_EQ(handheld.count("5"), 0u);
    EXPECT_EQ(handheld.at("17"), "desk");
    EXPECT_EQ(handheld.at("31"), "new");
    EXPECT_EQ(handheld.at("40"), "new here");
    const Pairs desktop = h.DesktopPairs("Items", "Id", "Name");
    EXPECT_EQ(desktop, handheld);
    ExpectSecondSyncChangesNothing(h, "Items");
}

}  // namespace
}  // namespace tarn::conduit::test
