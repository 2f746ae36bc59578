#include "common/config/ConfigFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "common/config/Scramble.h"
#include "tests/support/TempDir.h"

namespace tarn {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::string Int16Bytes(int16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((static_cast<uint16_t>(v) >> 8) & 0xFF)};
}
std::string StringBytes(const std::string& ansi) {
    return Int16Bytes(static_cast<int16_t>(ansi.size())) + ansi;
}

ConduitSettings SampleSettings() {
    ConduitSettings s;
    s.IsConfigFile = true;
    s.FormatVersion = kCurrentFormatVersion;
    s.CompanyName = ScrambleString("Tarn & Söhne");
    s.ConduitTitle = ScrambleString("Orders");
    s.CreatorID = ScrambleString("TORD");
    s.DBDriver = ScrambleString("SQLite3");
    s.DBServer = ScrambleString("/data/orders.db");
    s.DBPassword = ScrambleString("¿¨¾");  // scrambles to three NUL characters
    s.AllowModifyDatabase = 5;
    s.Version = "1.2";
    s.FilterDatabase = ScrambleString("TarnCFitler-TORD");
    return s;
}

colTables SampleTables() {
    colTables tables;
    auto orders = tables.Add("Orders", "OrdersDB", 0, false);
    orders->Fields().Add("Id", 3);
    orders->Fields().Add("Customer", 6, "Region");
    orders->Fields().Add("Note", 6, "");
    auto items = tables.Add("Items", "ItemsDB", 3, true);
    items->Fields().Add("Sku", 6);
    items->Fields().Add("##STATUSFLAG##", 8);
    return tables;
}

// Written over a longer file, only the new content remains.
TEST(ConfigFile, EmptyDescriptionIsFiftyBytes) {
    TempDir dir;
    ConduitSettings s;
    s.IsConfigFile = true;
    s.FormatVersion = 2;
    WriteFileBytes(dir / "doc.tcf", std::string(5000, 'x'));
    ASSERT_TRUE(WriteConfigFile(dir / "doc.tcf", s, colTables{}));
    EXPECT_EQ(ReadFileBytes(dir / "doc.tcf"),
              std::string("\xFF\xFF\x02\x00", 4) + std::string(46, '\0'));

    s.IsConfigFile = false;
    ASSERT_TRUE(WriteConfigFile(dir / "copy.cfg", s, colTables{}));
    EXPECT_EQ(ReadFileBytes(dir / "copy.cfg").substr(0, 2), std::string(2, '\0'));
}

TEST(ConfigFile, BytesMatchAHandComputedReference) {
    ConduitSettings s;
    s.IsConfigFile = true;
    s.FormatVersion = 2;
    s.ConduitTitle = ScrambleString("Ab");  // 'A'+'A'=0x82, 'b'+'X'=0xBA
    s.TableCount = 1;
    s.AllowModifyDatabase = 1;
    s.Version = "é";
    colTables tables;
    auto t = tables.Add("T", "P", 3, true);
    t->Fields().Add("F", 7, "x");

    std::string expected = Int16Bytes(-1) + Int16Bytes(2) + StringBytes("") +
                           StringBytes("\x82\xBA") + StringBytes("") + StringBytes("") +
                           StringBytes("") + Int16Bytes(1) + Int16Bytes(1);
    for (int i = 0; i < 8; ++i) expected += StringBytes("");  // connection, Reserved1, Reserved2
    expected += StringBytes("\xE9");                          // Version
    for (int i = 0; i < 7; ++i) expected += StringBytes("");  // SignaturePath .. Reserved5
    expected += StringBytes("T") + StringBytes("P") + Int16Bytes(3) + Int16Bytes(-1) +
                StringBytes("") + StringBytes("") + Int16Bytes(1);
    expected += StringBytes("F") + Int16Bytes(7) + StringBytes("x");

    std::string bytes;
    ASSERT_TRUE(EncodeConfig(s, tables, bytes));
    EXPECT_EQ(bytes, expected);
}

TEST(ConfigFile, RoundTripKeepsEverythingInOrder) {
    TempDir dir;
    ConduitSettings s = SampleSettings();
    colTables tables = SampleTables();
    s.TableCount = static_cast<int16_t>(tables.Count());
    ASSERT_TRUE(WriteConfigFile(dir / "a.tcf", s, tables));

    ConduitSettings read;
    colTables readTables;
    ASSERT_TRUE(ReadConfigFile(dir / "a.tcf", read, readTables));
    EXPECT_EQ(read, s);  // the password's zero characters too
    ASSERT_EQ(readTables.Count(), 2);
    EXPECT_EQ(readTables.Item("orders")->Fields().Item("customer")->Filter, "Region");

    // Writing what was read gives the same bytes: every table and field value was read.
    ASSERT_TRUE(WriteConfigFile(dir / "b.tcf", read, readTables));
    EXPECT_EQ(ReadFileBytes(dir / "a.tcf"), ReadFileBytes(dir / "b.tcf"));

    ConduitSettings settingsOnly;
    ASSERT_TRUE(ReadSettingsFile(dir / "a.tcf", settingsOnly));
    EXPECT_EQ(settingsOnly, s);
}

TEST(ConfigFile, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    WriteFileBytes(dir / "keep.tcf", "old bytes");

    colTables tooManyFields;
    auto t = tooManyFields.Add("T");
    for (int i = 0; i < 32768; ++i) t->Fields().Add("f" + std::to_string(i), 6);
    std::string error;
    EXPECT_FALSE(WriteConfigFile(dir / "keep.tcf", ConduitSettings{}, tooManyFields, &error));
    EXPECT_NE(error.find("too many fields"), std::string::npos);

    ConduitSettings hugeText;
    hugeText.Version = std::string(70000, 'v');
    EXPECT_FALSE(WriteConfigFile(dir / "keep.tcf", hugeText, colTables{}));
    EXPECT_FALSE(WriteConfigFile(dir / "no-such-folder" / "x.tcf", ConduitSettings{}, {}));
    EXPECT_FALSE(WriteConfigFile("", ConduitSettings{}, {}));

    EXPECT_EQ(ReadFileBytes(dir / "keep.tcf"), "old bytes");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// At HotSync time a missing description is a fault, reported with the system's reason.
TEST(ConfigFile, AMissingFileReadsAsEmptyUnlessItMustExistAndIsNeverCreated) {
    TempDir dir;
    ConduitSettings s = SampleSettings();
    colTables tables = SampleTables();
    const std::string missing = (dir / "missing.cfg").string();
    ASSERT_TRUE(ReadConfigFile(missing, s, tables));
    EXPECT_EQ(s, ConduitSettings{});
    EXPECT_EQ(tables.Count(), 0);
    EXPECT_FALSE(ReadConfigFile(dir.path().string(), s, tables));  // a folder is not a file

    std::string error;
    EXPECT_FALSE(ReadExistingConfigFile(missing, s, tables, &error));
    EXPECT_EQ(error, "cannot open " + missing + ": No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(missing));

    ASSERT_TRUE(WriteConfigFile(missing, SampleSettings(), SampleTables()));
    ASSERT_TRUE(ReadExistingConfigFile(missing, s, tables, &error));
    EXPECT_EQ(s, SampleSettings());
}

std::string EncodeSample() {
    ConduitSettings s = SampleSettings();
    colTables tables = SampleTables();
    s.TableCount = 2;
    std::string bytes;
    EncodeConfig(s, tables, bytes);
    return bytes;
}

// The sample with another TableCount, which follows two numbers and five counted strings.
std::string WithTableCount(int16_t count) {
    std::string bytes = EncodeSample();
    size_t pos = 4;
    for (int i = 0; i < 5; ++i)
        pos += 2 + static_cast<uint8_t>(bytes[pos]) + (static_cast<uint8_t>(bytes[pos + 1]) << 8);
    return bytes.replace(pos, 2, Int16Bytes(count));
}

// Reads a description file that holds exactly these bytes.
bool ReadBytes(const std::string& bytes, ConduitSettings& s, colTables& tables) {
    TempDir dir;
    WriteFileBytes(dir / "d.cfg", bytes);
    return ReadConfigFile(dir / "d.cfg", s, tables);
}

TEST(ConfigFile, DuplicateNamesFailTheReadButKeepWhatWasRead) {
    TempDir dir;
    colTables tables;
    tables.Add("Orders")->Fields().Add("Id", 3);
    tables.Add("Items");
    tables.Item(2)->DesktopTableName = "ORDERS";  // renamed behind the collection's back
    ConduitSettings s;
    s.TableCount = 2;
    ASSERT_TRUE(WriteConfigFile(dir / "dup.cfg", s, tables));

    ConduitSettings read;
    colTables readTables;
    EXPECT_FALSE(ReadConfigFile(dir / "dup.cfg", read, readTables));
    ASSERT_EQ(readTables.Count(), 1);
    EXPECT_EQ(readTables.Item(1)->Fields().Count(), 1);

    colTables dupFields;
    auto t = dupFields.Add("T");
    t->Fields().Add("a", 6);
    t->Fields().Add("b", 6);
    t->Fields().Item(2)->FieldName = "A";
    s.TableCount = 1;
    ASSERT_TRUE(WriteConfigFile(dir / "dupf.cfg", s, dupFields));
    EXPECT_FALSE(ReadConfigFile(dir / "dupf.cfg", read, readTables));
}

TEST(ConfigFile, ShortNegativeAndHugeCounts) {
    ConduitSettings s;
    colTables tables;
    // Negative table count: no tables.
    ASSERT_TRUE(ReadBytes(WithTableCount(-1), s, tables));
    EXPECT_EQ(tables.Count(), 0);

    // Truncated after the first table's fields: the second table reads as empty strings.
    const std::string bytes = EncodeSample();
    ASSERT_TRUE(ReadBytes(bytes.substr(0, bytes.size() - 20), s, tables));
    EXPECT_EQ(tables.Count(), 2);

    // A huge count over missing bytes ends at the second empty name, not after 32767 tables.
    EXPECT_FALSE(ReadBytes(WithTableCount(32767), s, tables));
    EXPECT_LE(tables.Count(), 3);

    // A counted string longer than the file reads what is there.
    TempDir dir;
    WriteFileBytes(dir / "long.cfg", Int16Bytes(-1) + Int16Bytes(2) + Int16Bytes(30000) + "abc");
    ASSERT_TRUE(ReadSettingsFile(dir / "long.cfg", s));
    EXPECT_EQ(s.CompanyName, "abc");
    EXPECT_TRUE(s.ConduitTitle.empty());
}

TEST(ConfigFile, GarbageNeverCrashesTheReader) {
    const std::string base = EncodeSample();
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = base.substr(0, random() % (base.size() + 1));
        for (int flips = random() % 8; flips > 0 && !bytes.empty(); --flips)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        ConduitSettings s;
        colTables tables;
        ReadBytes(bytes, s, tables);
        EXPECT_LE(tables.Count(), 32767);
    }
}

}  // namespace
}  // namespace tarn
