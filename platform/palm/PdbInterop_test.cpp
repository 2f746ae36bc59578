// Files must mean the same to an independent reader and writer of the format (Debian's
// Palm::PDB, driven through perl) as they do to us.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "platform/palm/FourCharCode.h"
#include "platform/palm/PdbFile.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::palm {
namespace {

using test::RunProcess;

// Prints a database as Palm::PDB sees it, one fact a line.
const char* kPerlDump = R"perl(
use strict; use Palm::PDB; use Palm::Raw;
my $p = Palm::PDB->new; $p->Load($ARGV[0]);
print "name $p->{name}\n";
print "type $p->{type} creator $p->{creator} version $p->{version}\n";
print "appinfo ", unpack("H*", $p->{appinfo} // ""), "\n";
print "sort ", unpack("H*", $p->{sort} // ""), "\n";
for my $r (@{$p->{records}}) {
    my $a = $r->{attributes};
    my @on = grep { /^[a-z]/ && $a->{$_} } sort keys %$a;
    my $flags = ($ARGV[1] // "") eq "brief" ? "" : (join("+", @on) || "-") . " ";
    printf "record %d %d %s%s\n", $r->{id}, $r->{category}, $flags, unpack("H*", $r->{data});
}
)perl";

// Writes a database with Palm::PDB.
const char* kPerlWrite = R"perl(
use strict; use Palm::PDB; use Palm::Raw;
my $p = Palm::Raw->new;
$p->{name} = "Perl \xE9crit"; $p->{type} = "DATA"; $p->{creator} = "PlCr"; $p->{version} = 4;
$p->{appinfo} = "APP\x00\x01"; $p->{sort} = "SRT";
my @records = ([0x123456, 3, 1, 1, "hello"], [7, 0, 0, 0, ""], [0xFFFFFF, 15, 0, 1, "\x00\xFF"]);
for my $row (@records) {
    my $r = $p->append_Record;
    $r->{id} = $row->[0]; $r->{category} = $row->[1];
    $r->{attributes} = { dirty => $row->[2], private => $row->[3] };
    $r->{data} = $row->[4];
}
$p->Write($ARGV[0]);
)perl";

std::string Hex(const std::string& bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes) out << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    return out.str();
}

TEST(PdbInterop, ReadsFilesWrittenByPalmPdb) {
    test::TempDir dir;
    auto file = dir / "perl.pdb";
    auto result = RunProcess("/usr/bin/perl", {"-e", kPerlWrite, file.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    PdbDatabase db = ParsePdb(test::ReadFileBytes(file));
    EXPECT_EQ(db.header.name,
              "Perl \xE9"
              "crit");
    EXPECT_EQ(FourCharCodeText(db.header.type), "DATA");
    EXPECT_EQ(FourCharCodeText(db.header.creator), "PlCr");
    EXPECT_EQ(db.header.version, 4);
    EXPECT_EQ(db.appInfo, std::string("APP\0\x01", 5));
    EXPECT_EQ(db.sortInfo, "SRT");
    std::vector<std::tuple<uint32_t, int, int, std::string>> records;  // ID, category, flags
    for (const PdbRecord& r : db.records)
        records.emplace_back(r.uniqueId, r.category(), r.flags(), r.data);
    EXPECT_EQ(records,
              (decltype(records){{0x123456u, 3, kRecordAttrDirty | kRecordAttrSecret, "hello"},
                                 {7u, 0, 0, ""},
                                 {0xFFFFFFu, 15, kRecordAttrSecret, std::string("\0\xFF", 2)}}));
}

TEST(PdbInterop, PalmPdbReadsFilesWrittenHere) {
    PdbDatabase db;
    db.header.name = "Tarn made";
    db.header.type = *FourCharCodeFromText("DATA");
    db.header.creator = *FourCharCodeFromText("TnCd");
    db.header.version = 2;
    db.header.creationDate = db.header.modificationDate = 0xE0000000;
    db.appInfo = std::string("\0\x01\x02", 3);
    db.records.push_back({kRecordAttrDirty | 2, 0x010203, "abc"});
    db.records.push_back({kRecordAttrSecret | 9, 0, std::string("\0\0", 2)});
    db.records.push_back({0, 0xABCDEF, std::string(1000, 'z')});

    test::TempDir dir;
    auto file = dir / "tarn.pdb";
    test::WriteFileBytes(file, SerializePdb(db));
    auto result = RunProcess("/usr/bin/perl", {"-e", kPerlDump, file.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::string expected =
        "name Tarn made\n"
        "type DATA creator TnCd version 2\n"
        "appinfo 000102\n"
        "sort \n"
        "record 66051 2 dirty abc_hex\n"
        "record 0 9 private 0000\n"
        "record 11259375 0 - " +
        Hex(std::string(1000, 'z')) + "\n";
    expected.replace(expected.find("abc_hex"), 7, Hex("abc"));
    EXPECT_EQ(result.out, expected);
}

// Every real record database reads here exactly as Palm::PDB reads it.
TEST(PdbInterop, RealFilesReadAlikeInBothReaders) {
    auto folder = test::SharedTestDataDir() / "pdb-real";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".pdb") continue;
        SCOPED_TRACE(entry.path().filename().string());
        PdbDatabase db = ParsePdb(test::ReadFileBytes(entry.path()));
        std::string ours;
        for (const PdbRecord& r : db.records)
            ours += "record " + std::to_string(r.uniqueId) + " " + std::to_string(r.category()) +
                    " " + Hex(r.data) + "\n";
        auto result =
            RunProcess("/usr/bin/perl", {"-e", kPerlDump, entry.path().string(), "brief"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        size_t firstRecord = result.out.find("record ");
        std::string theirs = firstRecord == std::string::npos ? "" : result.out.substr(firstRecord);
        EXPECT_EQ(ours, theirs);
        EXPECT_NE(result.out.find("appinfo " + Hex(db.appInfo) + "\n"), std::string::npos);
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

}  // namespace
}  // namespace tarn::platform::palm
