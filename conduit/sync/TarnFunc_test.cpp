#include "conduit/sync/TarnFunc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "conduit/sync/SyncError.h"

namespace tarn::conduit {
namespace {

int ErrorNumberOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const SyncError& e) {
        return e.number();
    }
    return 0;
}

TEST(PalmNumbers, DatesMapToTheHandheldNumberAndBack) {
    EXPECT_EQ(DateToPalmNumber({1900, 1, 1}), 101.0);
    // A fraction rounds for month and day; the year comes from the number itself.
    EXPECT_EQ(FormatDate(PalmNumberToDate(1051230.6)), "2005-12-31");
    // Dates before 1900 have negative numbers, and come back as the same date.
    EXPECT_EQ(DateToPalmNumber({1850, 5, 6}), -499494.0);
    for (CalendarDate date : std::vector<CalendarDate>{
             {100, 1, 1}, {1752, 9, 3}, {1850, 5, 6}, {1899, 1, 1}, {1899, 12, 31}}) {
        SCOPED_TRACE(FormatDate(date));
        EXPECT_EQ(FormatDate(PalmNumberToDate(DateToPalmNumber(date))), FormatDate(date));
    }
}

TEST(PalmNumbers, NumbersThatFormNoDateGiveTheZeroDate) {
    for (double number : {1051200.0, 1051232.0, 1050229.0, 1051300.0, -1.0, 1e12,
                          std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(FormatDate(PalmNumberToDate(number)), "1899-12-30");
    }
}

TEST(PalmNumbers, NumbersThatFormNoTimeFail) {
    for (double number : {250000.0, 240000.0, 126000.0, 120060.0, -1.0, 235959.6,
                          std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(ErrorNumberOf([&] { PalmNumberToTime(number); }), kErrInvalidArgument);
    }
}

// Timestamps as the desktop columns give them are read in FieldText_test.cpp.
TEST(FieldText, UnreadableDatesAndTimesFailAndADateAloneIsMidnight) {
    EXPECT_EQ(FormatTime(ParseTime("2005-12-31")), "00:00:00");
    for (const char* text :
         {"", "0", "31/12/2005", "2005-02-29", "2005-12-31 25:00:00", "2005-12-31x", "yesterday"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorNumberOf([&] { ParseDate(text); }), kErrTypeMismatch);
    }
    for (const char* text : {"", "24:00:00", "12:60", "noon", "13:05:09 PM"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorNumberOf([&] { ParseTime(text); }), kErrTypeMismatch);
    }
}

// Dates and times in their plain forms are read straight; a blank in front sends the same text
// through the general reading, which must agree on every value and every refusal.
TEST(FieldText, PlainDatesAndTimesReadAsTheGeneralReadingReadsThem) {
    const std::string characters = "0123456789-:/ T.";
    std::mt19937 random(23);
    auto text = [&](std::string form) {
        for (char& c : form)
            if (c == '#')
                c = characters[random() % characters.size()];
            else if (c == 'd')
                c = static_cast<char>('0' + random() % 10);
        return form;
    };
    auto outcome = [](auto read, const std::string& text) {
        try {
            return std::to_string(read(text));
        } catch (const SyncError& e) {
            return "error " + std::to_string(e.number());
        }
    };
    auto date = [](const std::string& t) { return DateToPalmNumber(ParseDate(t)); };
    auto time = [](const std::string& t) { return TimeToPalmNumber(ParseTime(t)); };
    for (int i = 0; i < 5000; ++i) {
        for (const std::string& t :
             {text("dddd-dd-dd"), text("dddd-dd-d#"), text("dddd#dd#dd"), text("##########")}) {
            SCOPED_TRACE(t);
            EXPECT_EQ(outcome(date, t), outcome(date, " " + t));
            EXPECT_EQ(outcome(time, t), outcome(time, " " + t));
        }
        for (const std::string& t :
             {text("dd:dd:dd"), text("dd:dd:d#"), text("dd#dd#dd"), text("########")}) {
            SCOPED_TRACE(t);
            EXPECT_EQ(outcome(time, t), outcome(time, " " + t));
            EXPECT_EQ(outcome(date, t), outcome(date, " " + t));
        }
    }
}

TEST(FieldText, WholeNumbersRoundHalvesToEvenAndCheckTheirRange) {
    EXPECT_EQ(TextToInt32("-2.5"), -2);
    EXPECT_EQ(TextToInt32("2.51"), 3);
    EXPECT_EQ(TextToInt32(" 42 "), 42);
    EXPECT_EQ(TextToInt32("+7"), 7);
    EXPECT_EQ(TextToInt32("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(TextToInt32("2147483647.4"), std::numeric_limits<int32_t>::max());

    EXPECT_EQ(ErrorNumberOf([] { TextToInt32("2147483648"); }), kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32("1e400"); }), kErrOverflow);
    for (const char* text : {"abc", "5x", "+-5", "++5", "inf", "nan", "1,5", "0x10"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorNumberOf([&] { TextToInt32(text); }), kErrTypeMismatch);
    }
}

TEST(FieldText, FloatingNumbersReadBackFromTheirShortestText) {
    EXPECT_EQ(TextToDouble(""), 0.0);
    EXPECT_EQ(NumberText(0.1f), "0.1");
    EXPECT_EQ(TextToSingle("0.1"), 0.1f);
    for (double value : {1.0 / 3, 1e300, -5e-324, 123456789.123456789}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(TextToDouble(NumberText(value)), value);
    }
    EXPECT_EQ(ErrorNumberOf([] { TextToSingle("1e39"); }), kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { TextToDouble("1e309"); }), kErrOverflow);
}

}  // namespace
}  // namespace tarn::conduit
