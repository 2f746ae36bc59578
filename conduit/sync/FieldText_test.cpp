#include "conduit/sync/FieldText.h"

#include <gtest/gtest.h>

#include "common/model/DataTypes.h"
#include "conduit/sync/SyncError.h"

namespace tarn::conduit {
namespace {

struct Case {
    int16_t type;
    const char* column;  // what a driver gives
    const char* text;    // what the handheld's decoder gives for the same value; null: column
};

// Each database spells the same value its own way; the field text is the handheld's spelling,
// also when written into one buffer for a column, row after row, as the desktop reader uses it:
// a long value, then shorter ones, blanks and failures leave no trace of the values before.
TEST(DesktopValueText, EveryDriverSpellingGivesTheHandheldsText) {
    const Case cases[] = {
        {kTypeString, "a text long enough to be kept on the heap, not inside the string", nullptr},
        {kTypeDouble, "7.0", "7"},
        {kTypeDouble, "7.00", "7"},
        {kTypeDouble, "1e3", "1000"},
        {kTypeDouble, "0.30000000000000004", "0.30000000000000004"},
        {kTypeDouble, "1.79769313486231570815e+308", "1.7976931348623157e+308"},
        {kTypeDouble, " -2.5 ", "-2.5"},
        {kTypeSingle, "0.100000001490116", "0.1"},
        {kTypeInteger, "7.00", "7"},
        {kTypeInteger, "+42", "42"},
        {kTypeInteger, "2.5", "2"},  // halves to even, as the handheld encoder rounds
        {kTypeInteger, "3.5", "4"},
        {kTypeInteger, "9007199254740993", "9007199254740993"},  // not through a double
        {kTypeInteger, "-9223372036854775808", "-9223372036854775808"},
        {kTypeInteger, "1e20", "1e+20"},
        {kTypeInteger, "-2.5", "-2"},
        {kTypeDouble, "-0.0", "-0"},
        {kTypeDouble, "123456789012345678901234567890", "1.2345678901234568e+29"},
        {kTypeDouble, "-1e-300", "-1e-300"},
        {kTypeSingle, "16777217", "16777216"},
        {kTypeShort, "-2", "-2"},
        {kTypeDate, "2005-12-31", "2005-12-31"},
        {kTypeDate, "2005-12-31 00:00:00", "2005-12-31"},
        {kTypeDate, "2005-12-31 13:05:09.25", "2005-12-31"},
        {kTypeDate, "2005-12-31 23:30:00+01", "2005-12-31"},
        {kTypeDate, "2005-12-31T23:30:00Z", "2005-12-31"},
        {kTypeDate, "1899-12-30", "0"},  // how a record without a date is stored
        {kTypeTime, "13:05:09", "13:05:09"},
        {kTypeTime, "13:05", "13:05:00"},
        {kTypeTime, "1970-01-01 13:05:09", "13:05:09"},
        {kTypeTime, "13:05:09-05:30", "13:05:09"},
        {kTypeTime, "23:59:59.999", "23:59:59"},
        {kTypeDouble, " \t", ""},  // a blank right after a longer value
        {kTypeString, " 7.0 ", " 7.0 "},
        {kTypeSignature, "x", "x"},
        {kTypeString, "", ""},
        {kTypeDouble, "", ""},
        {kTypeInteger, "  ", ""},
        {kTypeDate, "", ""},
        {kTypeByte, " ", " "},
        {kTypeRecordStatus, "x", "x"},
        {kTypeIgnoreField, " 1 ", " 1 "},
        {99, " 1 ", " 1 "},
    };
    std::string buffer;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " '" + c.column + "'");
        EXPECT_EQ(DesktopValueText(c.type, c.column), c.text ? c.text : c.column);
        AssignDesktopValueText(c.type, c.column, buffer);
        EXPECT_EQ(buffer, c.text ? c.text : c.column);
    }
    buffer = "left from the row before";
    EXPECT_THROW(AssignDesktopValueText(kTypeDate, "2005-02-30", buffer), SyncError);
    AssignDesktopValueText(kTypeTime, "7:5", buffer);
    EXPECT_EQ(buffer, "07:05:00");
}

// A value that is no value of the field's type is an error, never a guess such as 0.
TEST(DesktopValueText, TextThatIsNoValueOfTheTypeFails) {
    const std::pair<int16_t, const char*> cases[] = {
        {kTypeDouble, "abc"},      {kTypeDouble, "7.5x"},   {kTypeDouble, "1e400"},
        {kTypeInteger, "seven"},   {kTypeSingle, "1e39"},   {kTypeDate, "31/12/2005"},
        {kTypeDate, "2005-02-29"}, {kTypeTime, "25:00:00"}, {kTypeTime, "noon"},
    };
    for (const auto& [type, column] : cases) {
        SCOPED_TRACE(std::string(DataTypeName(type)) + " '" + column + "'");
        EXPECT_THROW(DesktopValueText(type, column), SyncError);
    }
}

}  // namespace
}  // namespace tarn::conduit
