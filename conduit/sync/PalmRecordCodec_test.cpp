#include "conduit/sync/PalmRecordCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/model/CollectionErrors.h"
#include "common/model/DataTypes.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DataRecord.h"
#include "conduit/sync/FieldText.h"
#include "conduit/sync/HandheldDecoder.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/testing/TestSyncPlatform.h"

namespace tarn::conduit {
namespace {

struct FieldSpec {
    std::string name;
    int16_t type;
    std::string value;
};

std::string Hex(std::string_view bytes) {
    std::string hex;
    for (unsigned char b : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, hex.empty() ? "%02X" : " %02X", b);
        hex += two;
    }
    return hex;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes += static_cast<char>(v);
    return bytes;
}

class PalmRecordCodec : public ::testing::Test {
  protected:
    PalmRecordCodec() { log.DebugLevel = 1; }

    static clsDataRecord Record(const std::vector<FieldSpec>& fields) {
        clsDataRecord record;
        for (const auto& f : fields) record.Fields().Add(f.name, f.type)->Value = f.value;
        return record;
    }
    static colFields Table(const std::vector<FieldSpec>& fields) {
        colFields table;
        for (const auto& f : fields) table.Add(f.name, f.type);
        return table;
    }
    std::string Encode(const std::vector<FieldSpec>& fields) {
        return Record(fields).BuildPalmRecord(log, errors);
    }
    // Decodes one record into the queue, as a table load does.
    void Add(const colFields& table, std::string_view bytes) {
        HandheldDecoder decoder(table, errors);
        queue.AddPalmRecord(log, decoder, bytes);
    }
    // Decodes into the queue and returns the record admitted last under `key`.
    colDataRecord::Record Decode(const colFields& table, std::string_view bytes,
                                 const std::string& key) {
        Add(table, bytes);
        return queue.Item(key);
    }
    // Runs a step that must fail and returns the error, leaving the stack for inspection.
    template <typename Step>
    SyncError Failure(Step step) {
        try {
            step();
        } catch (const SyncError& e) {
            return e;
        }
        ADD_FAILURE() << "no SyncError";
        return SyncError(0, "");
    }

    test::TestSyncPlatform platform;
    HotSyncLog log{platform.SyncUtility()};
    clsErrorStack errors;
    colDataRecord queue;
};

TEST_F(PalmRecordCodec, EncodesFieldsBackToBackBigEndian) {
    const struct {
        const char* name;
        std::vector<FieldSpec> fields;
        const char* hex;
    } cases[] = {
        {"text, whole number and date",
         {{"Name", kTypeString, "Ab"},
          {"Qty", kTypeInteger, "5"},
          {"Due", kTypeDate, "2005-12-31"}},
         "41 62 00 00 00 00 05 41 30 0A 5F 00 00 00 00"},
        {"time", {{"At", kTypeTime, "13:05:09"}}, "40 FF DC D0 00 00 00 00"},
        {"short", {{"S", kTypeShort, "-2"}}, "FF FF FF FE"},
        {"single", {{"S", kTypeSingle, "1.5"}}, "3F C0 00 00"},
        {"double", {{"D", kTypeDouble, "-2"}}, "C0 00 00 00 00 00 00 00"},
        {"empty text", {{"S", kTypeString, ""}}, "00"},
        {"empty date", {{"Due", kTypeDate, ""}}, "00 00 00 00 00 00 00 00"},
        {"signature", {{"Sig", kTypeSignature, "x"}}, "78 00"},
        {"halves round to even",
         {{"I", kTypeInteger, "2.5"}, {"J", kTypeInteger, "3.5"}},
         "00 00 00 02 00 00 00 04"},
        {"empty numbers are zero",
         {{"I", kTypeInteger, ""},
          {"S", kTypeShort, ""},
          {"F", kTypeSingle, ""},
          {"D", kTypeDouble, ""}},
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
        {"dates and times from desktop timestamps",
         {{"Due", kTypeDate, "2005-12-31 13:05:09"}, {"At", kTypeTime, "2005-12-31 13:05:09"}},
         "41 30 0A 5F 00 00 00 00 40 FF DC D0 00 00 00 00"},
        {"status always zero, unstored types no bytes",
         {{"B", kTypeByte, "1"},
          {"St", kTypeRecordStatus, "1"},
          {"Ig", kTypeIgnoreField, "x"},
          {"Odd", 42, "x"}},
         "00 00 00 00"},
        {"a character outside the code page", {{"T", kTypeString, "a☃b"}}, "61 3F 62 00"},
        // A zero character would end the text for every reader and shift the fields after it.
        {"a zero character",
         {{"T", kTypeString, std::string("ab\0cd", 5)}, {"N", kTypeInteger, "1"}},
         "61 62 00 00 00 00 01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(Encode(c.fields)), c.hex);
    }
}

TEST_F(PalmRecordCodec, DecodesEveryTypeBackToItsText) {
    std::vector<FieldSpec> fields = {
        {"Id", kTypeInteger, "-17"},       {"Flag", kTypeByte, ""},
        {"Due", kTypeDate, "2005-12-31"},  {"At", kTypeTime, "13:05:09"},
        {"Price", kTypeDouble, "0.1"},     {"Ratio", kTypeSingle, "0.3"},
        {"Count", kTypeShort, "-2"},       {"Name", kTypeString, "Ab"},
        {"Sig", kTypeSignature, ""},       {"Skip", kTypeIgnoreField, "x"},
        {"Status", kTypeRecordStatus, "0"}};
    std::string bytes = Encode(fields);
    auto record = Decode(Table(fields), bytes, "-17");
    // Values are decoded when first read: by then the bytes read from the handheld are gone.
    bytes.assign(bytes.size(), '\x7F');

    EXPECT_TRUE(record->PalmSource);
    EXPECT_EQ(record->PrimaryFieldName(), "Id");
    EXPECT_EQ(record->PrimaryFieldValue, "-17");
    EXPECT_EQ(record->RecordStatus, 0);
    // Read in place, then as the field collection the record turns into on request: the same.
    std::vector<std::pair<std::string, std::string>> inPlace;
    for (std::size_t i = 0; i < record->FieldCount(); ++i)
        inPlace.emplace_back(record->FieldName(i), record->FieldValue(i));
    EXPECT_EQ(record->FieldType(1), kTypeDate);
    EXPECT_EQ(record->FieldIndex("NAME"), 6u);
    EXPECT_THROW(record->FieldIndex("Flag"), KeyNotFoundError);  // not stored, so no field
    std::vector<std::pair<std::string, std::string>> decoded;
    for (const auto& field : record->Fields()) decoded.emplace_back(field->FieldName, field->Value);
    EXPECT_EQ(inPlace, decoded);
    EXPECT_EQ(decoded, (std::vector<std::pair<std::string, std::string>>{{"Id", "-17"},
                                                                         {"Due", "2005-12-31"},
                                                                         {"At", "13:05:09"},
                                                                         {"Price", "0.1"},
                                                                         {"Ratio", "0.3"},
                                                                         {"Count", "-2"},
                                                                         {"Name", "Ab"},
                                                                         {"Sig", ""},
                                                                         {"Status", "0"}}));
    EXPECT_EQ(record->Fields().Item("Due")->DataType, kTypeDate);
}

// Records share the layout of their table's fields; a table described differently (another
// table, or the same one changed) gets its own.
TEST_F(PalmRecordCodec, EachTableDecodesWithItsOwnFields) {
    const std::vector<FieldSpec> first = {{"Id", kTypeInteger, "1"}, {"Name", kTypeString, "a"}};
    const std::vector<FieldSpec> second = {
        {"Id", kTypeInteger, "2"}, {"Note", kTypeString, ""}, {"Name", kTypeString, "b"}};
    const std::vector<FieldSpec> renamed = {{"Id", kTypeInteger, "3"}, {"Nom", kTypeString, "c"}};
    for (const auto* fields : {&first, &second, &first, &renamed}) {
        auto record = Decode(Table(*fields), Encode(*fields), fields->front().value);
        ASSERT_EQ(record->FieldCount(), fields->size());
        for (std::size_t i = 0; i < fields->size(); ++i) {
            EXPECT_EQ(record->FieldName(i), (*fields)[i].name);
            EXPECT_EQ(record->FieldValue(i), (*fields)[i].value);
        }
    }
}

TEST_F(PalmRecordCodec, StatusOneMarksTheDecodedRecordDeleted) {
    colFields table = Table({{"Id", kTypeString, ""}, {"St", kTypeRecordStatus, ""}});
    auto deleted = Decode(table, Bytes({'a', 0, 0, 0, 0, 1}), "a");
    EXPECT_EQ(deleted->RecordStatus, RecordDeleted);
    EXPECT_EQ(deleted->Fields().Item("St")->Value, "1");
    auto kept = Decode(table, Bytes({'b', 0, 0, 0, 0, 2}), "b");
    EXPECT_EQ(kept->RecordStatus, 0);
}

TEST_F(PalmRecordCodec, KeyComesFromTheFirstStoredFieldAndLeftoverBytesAreIgnored) {
    colFields table = Table({{"Flag", kTypeByte, ""}, {"Code", kTypeString, ""}});
    auto record = Decode(table, Bytes({'X', '1', 0, 0x7F, 0x7F}), "X1");
    EXPECT_EQ(record->PrimaryFieldName(), "Code");
    EXPECT_EQ(record->Fields().Count(), 1);
}

TEST_F(PalmRecordCodec, HostileTextsSurviveAsWindows1252) {
    const std::string hostile = "O'Neil \"quoted\" C:\\path\\ é € \t\n; DROP TABLE x; --";
    std::string bytes = Encode({{"Text", kTypeString, hostile}, {"N", kTypeInteger, "7"}});
    EXPECT_NE(bytes.find("\\path\\ \xE9 \x80"), std::string::npos);
    auto record =
        Decode(Table({{"Text", kTypeString, ""}, {"N", kTypeInteger, ""}}), bytes, hostile);
    EXPECT_EQ(record->PrimaryFieldValue, hostile);
    EXPECT_EQ(record->Fields().Item("N")->Value, "7");

    // Every byte a handheld may send comes back unchanged after a trip through memory.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    all += '\0';
    auto every =
        Decode(Table({{"Text", kTypeString, ""}}), all, text::FromAnsi(all.substr(0, 255)));
    EXPECT_EQ(every->BuildPalmRecord(log, errors), all);

    // Which texts come back from the handheld as themselves.
    EXPECT_TRUE(HandheldHoldsText(hostile));
    EXPECT_TRUE(HandheldHoldsText(every->PrimaryFieldValue));  // C1 controls and all
    EXPECT_TRUE(HandheldHoldsText(""));
    for (const std::string& lost : std::initializer_list<std::string>{
             "\xce\xa9", "\xe6\x97\xa5\xe6\x9c\xac", "\xf0\x9f\x98\x80", "a\xe9z" /* not UTF-8 */,
             std::string("x\0y", 3)})
        EXPECT_FALSE(HandheldHoldsText(lost)) << lost;
}

TEST_F(PalmRecordCodec, FormatLineIsWrittenOnlyAtLevelFour) {
    std::vector<FieldSpec> fields = {
        {"Name", kTypeString, "Ab"}, {"Flag", kTypeByte, "1"}, {"Due", kTypeDate, "2005-12-31"}};
    log.DebugLevel = 3;
    Encode(fields);
    EXPECT_TRUE(platform.utility.lines.empty());

    log.DebugLevel = 4;
    Encode(fields);
    EXPECT_EQ(
        platform.utility.lines,
        std::vector<std::string>{"   Palm Record Format: String(Ab) Byte(1) Date(2005-12-31) "});
}

TEST_F(PalmRecordCodec, FieldThatDoesNotConvertFailsWithItsContextOnTheStack) {
    const struct {
        FieldSpec field;
        int number;
        std::string context;  // after "Error adding field to Palm record: "
    } cases[] = {
        {{"Qty", kTypeInteger, "five"}, kErrTypeMismatch, "Qty DataType=Integer Value=five"},
        {{"Qty", kTypeShort, "3000000000"}, kErrOverflow, "Qty DataType=Short Value=3000000000"},
        {{"At", kTypeTime, ""}, kErrTypeMismatch, "At DataType=Time Value="},
        {{"Due", kTypeDate, "31.12.2005"}, kErrTypeMismatch, "Due DataType=Date Value=31.12.2005"},
        {{"Ratio", kTypeSingle, "1e39"}, kErrOverflow, "Ratio DataType=Single Value=1e39"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.context);
        errors.Clear();
        SyncError error = Failure([&] { Encode({{"Name", kTypeString, "ok"}, c.field}); });
        EXPECT_EQ(error.number(), c.number);
        ASSERT_EQ(errors.Count(), 1);  // the good field left nothing behind
        EXPECT_EQ(errors.Peek(), "Error adding field to Palm record: " + c.context);
    }
}

TEST_F(PalmRecordCodec, RecordIsLimitedTo10001BytesAndNeverEmpty) {
    EXPECT_EQ(Encode({{"T", kTypeString, std::string(10000, 'x')}}).size(), 10001u);

    SyncError tooLong = Failure([&] {
        Encode({{"T", kTypeString, std::string(9997, 'x')}, {"N", kTypeInteger, "1"}});
    });
    EXPECT_EQ(tooLong.number(), kErrOutOfRange);
    EXPECT_EQ(errors.Peek(), "Error adding field to Palm record: N DataType=Integer Value=1");

    errors.Clear();
    SyncError empty = Failure([&] {
        Encode({{"B", kTypeByte, "1"}, {"I", kTypeIgnoreField, ""}});
    });
    EXPECT_EQ(empty.number(), kErrOutOfRange);
    EXPECT_EQ(errors.Count(), 0);
    EXPECT_EQ(Failure([&] { Encode({}); }).number(), kErrOutOfRange);
}

TEST_F(PalmRecordCodec, DamagedHandheldRecordsFailWithTheFieldOnTheStack) {
    struct Case {
        std::vector<FieldSpec> table;
        std::string bytes;
        int number;
        std::string context;
    };
    std::vector<Case> cases = {
        {{{"N", kTypeInteger, ""}}, Bytes({0, 0, 1}), kErrOutOfRange, "N"},
        {{{"Id", kTypeString, ""}, {"D", kTypeDouble, ""}},
         Bytes({'a', 0, 0x40, 0, 0, 0}),
         kErrOutOfRange,
         "D"},
        {{{"Name", kTypeString, ""}}, "no zero byte", kErrOutOfRange, "Name"},
        {{{"Name", kTypeString, ""}}, "", kErrOutOfRange, "Name"},
        {{{"Id", kTypeString, ""}, {"At", kTypeTime, ""}},
         "a" + Bytes({0, 0x41, 0x0E, 0x84, 0x80, 0, 0, 0, 0}),
         kErrInvalidArgument,
         "At"},
        {{{"Id", kTypeString, ""}, {"At", kTypeTime, ""}},
         "a" + Bytes({0, 0x7F, 0xF8, 0, 0, 0, 0, 0, 0}),
         kErrInvalidArgument,
         "At"},  // NaN
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes));
        errors.Clear();
        SyncError error = Failure([&] { Add(Table(c.table), c.bytes); });
        EXPECT_EQ(error.number(), c.number);
        ASSERT_EQ(errors.Count(), 1);
        EXPECT_EQ(errors.Peek(), "Error loading field " + c.context + " from Palm");
    }
    EXPECT_EQ(queue.Count(), 0);
}

// The zero date has one text, "0", whether it came from a number that forms no date or from a
// desktop column holding 1899-12-30, and it goes back to the handheld as no date.
TEST_F(PalmRecordCodec, InvalidDateNumbersAndTheZeroDateReadAndWriteAsNoDate) {
    colFields table = Table({{"Id", kTypeString, ""}, {"Due", kTypeDate, ""}});
    // 1051200: 2005-12 day 0.
    auto record = Decode(table, "a" + Bytes({0, 0x41, 0x30, 0x0A, 0x40, 0, 0, 0, 0}), "a");
    EXPECT_EQ(record->Fields().Item("Due")->Value, "0");
    const std::string noDate = "a" + Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(record->BuildPalmRecord(log, errors), noDate);
    record->Fields().Item("Due")->Value = "1899-12-30";
    EXPECT_EQ(record->BuildPalmRecord(log, errors), noDate);
    EXPECT_EQ(Decode(table, "b" + noDate.substr(1), "b")->Fields().Item("Due")->Value, "0");
    // Also when the record is built again without a value ever read: not as it was stored.
    const std::string dayZero = Bytes({0, 0x41, 0x30, 0x0A, 0x40, 0, 0, 0, 0});
    EXPECT_EQ(Decode(table, "c" + dayZero, "c")->BuildPalmRecord(log, errors),
              "c" + noDate.substr(1));
}

TEST_F(PalmRecordCodec, RecordWithoutStoredFieldsHasNoKey) {
    colFields table = Table({{"B", kTypeByte, ""}, {"I", kTypeIgnoreField, ""}});
    EXPECT_EQ(Failure([&] { Add(table, "abc"); }).number(), kErrInvalidArgument);
    EXPECT_EQ(errors.Count(), 0);
    EXPECT_EQ(queue.Count(), 0);
}

TEST_F(PalmRecordCodec, TextWithoutZeroByteStopsAfter32767Characters) {
    colFields table = Table({{"Long", kTypeString, ""}, {"N", kTypeInteger, ""}});
    std::string bytes(40000, 'y');
    bytes.replace(32767, 4, Bytes({0, 0, 0, 9}));  // the next field starts right after
    auto record = Decode(table, bytes, std::string(32767, 'y'));
    EXPECT_EQ(record->Fields().Item("N")->Value, "9");
}

// A desktop value held as the bytes of its handheld field reads back as the text it would
// otherwise be held as, and builds the same record. Where it would not, the encoder writes
// nothing and says so; a text that is no value of its type fails as it fails read as text.
TEST_F(PalmRecordCodec, DesktopValuesHeldAsBytesReadAndBuildAsTheirTexts) {
    const std::vector<std::pair<int16_t, std::vector<std::string>>> cases = {
        {kTypeInteger,
         {"7", "+7", " 7 ", "7.0", "7.5", "8.5", "-0", "2147483647", "2147483648", "-2147483648",
          "-2147483649", "99999999999", "1e3", "2147483647.4", "abc", "", "  ", "1e19"}},
        {kTypeShort, {"12", "-32769"}},
        {kTypeDouble,
         {"0.1", "1e308", "1e309", "-0.0", "nan", "7", "0.30000000000000004", "1,5", " 2.5 ", ""}},
        {kTypeSingle, {"0.1", "3.4e38", "3.5e38", "1e-46", "16777217"}},
        {kTypeDate,
         {"2005-12-31", "1899-12-30", "2005-12-31 13:05:09", "0100-01-01", "9999-12-31",
          "2005/12/31", "2005-02-30", "0", ""}},
        {kTypeTime,
         {"13:05:09", "13:05", "24:00:00", "2005-12-31 13:05:09", "13:05:09.5", "13:05:09+01", ""}},
        {kTypeString,
         {"abc", "", "caf\xC3\xA9 \xE2\x82\xAC", "\xE6\x97\xA5", std::string("a\0b", 3),
          std::string(kMaxPalmRecordBytes, 'x')}},
        {kTypeSignature, {"sig"}},
        {kTypeByte, {"1"}},
    };
    int held = 0;
    for (const auto& [type, texts] : cases) {
        colFields table = Table({{"F", type, ""}});
        const auto layout = MakeRecordLayout(table, [](int16_t) { return true; });
        for (const std::string& text : texts) {
            SCOPED_TRACE(DataTypeName(type) + " '" + text.substr(0, 40) + "'");
            std::optional<std::string> asText;
            std::string textError;
            try {
                asText = DesktopValueText(type, text);
            } catch (const SyncError& e) {
                textError = e.what();
            }
            std::array<char, kMaxPalmRecordBytes> buffer;
            std::size_t position = 0;
            bool asBytes = false;
            std::string bytesError;
            try {
                asBytes = EncodeDesktopValue(type, &text, buffer, position);
            } catch (const SyncError& e) {
                bytesError = e.what();
            }
            EXPECT_EQ(bytesError, textError);
            if (!asText || !asBytes) {
                EXPECT_EQ(position, 0u);
                continue;
            }
            ++held;
            clsDataRecord fromBytes;
            fromBytes.SetBuiltBytes(layout, std::string_view(buffer.data(), position));
            clsDataRecord fromText;
            fromText.SetValues(layout, {*asText});
            EXPECT_EQ(fromBytes.FieldValue(0), *asText);
            EXPECT_EQ(Hex(fromBytes.BuildPalmRecord(log, errors)),
                      Hex(fromText.BuildPalmRecord(log, errors)));
        }
    }
    EXPECT_EQ(held, 38);
    // A NULL is an empty text, which a text field holds and a number cannot.
    std::array<char, kMaxPalmRecordBytes> buffer;
    std::size_t position = 0;
    EXPECT_TRUE(EncodeDesktopValue(kTypeString, nullptr, buffer, position));
    EXPECT_EQ(position, 1u);
    EXPECT_FALSE(EncodeDesktopValue(kTypeInteger, nullptr, buffer, position));
    EXPECT_EQ(position, 1u);
}

TEST(PalmRecordPrimitives, ReadAndWriteAtAPositionWithinBounds) {
    char buffer[9] = {};
    size_t position = 1;
    WriteInt32(buffer, position, -2);
    EXPECT_EQ(position, 5u);
    EXPECT_EQ(Hex(std::string_view(buffer, 9)), "00 FF FF FF FE 00 00 00 00");
    EXPECT_THROW(WritePalmDouble(buffer, position, 1.0), SyncError);
    EXPECT_EQ(position, 5u);  // nothing half written
    EXPECT_THROW(WriteText(std::span<char>(buffer, 9), position, "abcd"), SyncError);

    std::string bytes = Bytes({0x41, 0x30, 0x0A, 0x5F, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE});
    position = 0;
    EXPECT_EQ(ReadPalmDouble(bytes, position), 1051231.0);
    EXPECT_EQ(ReadInt32(bytes, position), -2);
    EXPECT_EQ(position, 12u);
    EXPECT_THROW(ReadInt32(bytes, position), SyncError);
    position = 13;  // beyond the end, not merely at it
    EXPECT_THROW(ReadText(bytes, position, 10), SyncError);
}

}  // namespace
}  // namespace tarn::conduit
