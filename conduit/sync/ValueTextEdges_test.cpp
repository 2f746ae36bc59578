// The hand-written date and time texts against printf's, and number texts against to_chars':
// the same bytes as before, whatever the value.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "common/model/DataTypes.h"
#include "conduit/sync/FieldText.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/TarnFunc.h"

namespace tarn::conduit {
namespace {

std::string PrintedDate(int year, int month, int day) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    return buffer;
}

std::string PrintedTime(int hour, int minute, int second) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
    return buffer;
}

// Including numbers no valid date or time has, which must still read as printf wrote them.
constexpr int kYears[] = {
    -2147483647 - 1, -1,     0,         7, 99, 100, 999, 1000, 1899, 1903, 1904, 2031, 2032, 9999,
    10000,           123456, 2147483647};
constexpr int kSmall[] = {-2147483647 - 1, -10, -1, 0, 1, 9, 10, 12, 23, 31, 59, 99, 100,
                          2147483647};

TEST(DateAndTimeText, ReadsAsPrintfWritesIt) {
    for (int year : kYears)
        for (int month : kSmall)
            for (int day : {-1, 0, 1, 9, 10, 28, 31, 99, 100}) {
                SCOPED_TRACE(PrintedDate(year, month, day));
                EXPECT_EQ(FormatDate({year, month, day}), PrintedDate(year, month, day));
            }
    for (int hour : kSmall)
        for (int minute : kSmall)
            for (int second : {-1, 0, 5, 59, 60, 99, 100}) {
                SCOPED_TRACE(PrintedTime(hour, minute, second));
                EXPECT_EQ(FormatTime({hour, minute, second}), PrintedTime(hour, minute, second));
            }
}

// Days before 1904 and after 2031, where other date serials end, keep their day; every day of
// a leap year and of the years around it reads back as written.
TEST(DateAndTimeText, DatesFarFromTodayKeepTheirDay) {
    const std::pair<const char*, const char*> cases[] = {
        {"0100-01-01", "0100-01-01"}, {"1752-09-03", "1752-09-03"}, {"1899-12-29", "1899-12-29"},
        {"1899-12-30", "0"},          {"1899-12-31", "1899-12-31"}, {"1903-12-31", "1903-12-31"},
        {"1904-01-01", "1904-01-01"}, {"1970-01-01", "1970-01-01"}, {"2031-12-31", "2031-12-31"},
        {"2032-01-01", "2032-01-01"}, {"2038-01-19", "2038-01-19"}, {"9999-12-31", "9999-12-31"},
        {"2000/02/29", "2000-02-29"}, {"2005-1-2", "2005-01-02"},
    };
    for (const auto& [column, text] : cases) {
        SCOPED_TRACE(column);
        EXPECT_EQ(DesktopValueText(kTypeDate, column), text);
    }
    for (int year : {1900, 1999, 2000, 2024, 2100})
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 31; ++day) {
                const std::string column = PrintedDate(year, month, day);
                try {
                    const CalendarDate date = ParseDate(column);
                    EXPECT_EQ(DesktopValueText(kTypeDate, column), column);
                    EXPECT_EQ(FormatDate(PalmNumberToDate(DateToPalmNumber(date))), column);
                } catch (const SyncError&) {
                    EXPECT_GT(day, 27) << column;  // only days past a month's end fail
                }
            }
    for (const char* time : {"00:00:00", "00:00:59", "09:09:09", "23:59:59"})
        EXPECT_EQ(FormatTime(PalmNumberToTime(TimeToPalmNumber(ParseTime(time)))), time);
}

std::string ToCharsText(double value) {
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Doubles keep the text to_chars gives them, byte for byte: decimals of every length and
// number of places around the sizes where the layout turns to an exponent, and doubles that
// are no short decimal at all.
TEST(NumberText, EveryDoubleReadsAsToCharsWritesIt) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1e-4,
                                  9.9999e-5,
                                  1.00001e-4,
                                  1e15,
                                  1e15 - 1,
                                  1e15 + 2,
                                  999999999999999.9,
                                  0.1 + 0.2,
                                  1e5,
                                  1e6,
                                  123456.7,
                                  5e-5,
                                  0.00015,
                                  1e14,
                                  12345678901234.5,
                                  1234567890123.45,
                                  0.30000000000000004,
                                  4.35,
                                  2.675,
                                  1.005,
                                  1e300,
                                  4.9e-324,
                                  9007199254740993.0};
    for (double scale : {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6})
        for (long i = -3000; i <= 3000; ++i) values.push_back(static_cast<double>(i) / scale);
    for (int power = -6; power <= 16; ++power)
        for (long digits : {1L, 5L, 12L, 25L, 100L, 123L, 1001L, 99999L, 123456789L,
                            999999999999999L, 100000000000001L})
            values.push_back(static_cast<double>(digits) * std::pow(10.0, power));
    std::mt19937_64 random(15);
    for (int i = 0; i < 200000; ++i) {
        values.push_back(static_cast<double>(random() % 100000000) / 100.0);
        values.push_back(static_cast<double>(random() % 1000000000000000ULL) /
                         std::pow(10.0, static_cast<double>(random() % 20)));
        const double bits = std::bit_cast<double>(random());
        if (std::isfinite(bits)) values.push_back(bits);
    }
    int wrong = 0;
    for (double value : values)
        if (NumberText(value) != ToCharsText(value) && ++wrong < 20)
            ADD_FAILURE() << ToCharsText(value) << " written as " << NumberText(value);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace tarn::conduit
