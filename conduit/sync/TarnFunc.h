#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Number, date and time conversions between the text a field holds during a sync and the
// numbers a handheld record stores. Text forms are the desktop's: dates yyyy-mm-dd, times
// hh:mm:ss, numbers with a '.' decimal point. Failures throw SyncError.
namespace tarn::conduit {

struct CalendarDate {
    int year = 1899, month = 12, day = 30;  // the zero date
    bool IsZero() const { return year == 1899 && month == 12 && day == 30; }
};
struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

// The handheld's date number, (year - 1900) * 10000 + month * 100 + day.
double DateToPalmNumber(const CalendarDate& date);
// The date of a date number; the zero date (1899-12-30) when it forms no valid date.
CalendarDate PalmNumberToDate(double number);
// hour * 10000 + minute * 100 + second.
double TimeToPalmNumber(const TimeOfDay& time);
// The time of a time number; SyncError when it forms no valid time.
TimeOfDay PalmNumberToTime(double number);

// Reading field text. Dates accept yyyy-mm-dd with an optional time part (as timestamp columns
// give them); times accept hh:mm[:ss], optionally after a date. Throw SyncError 13 otherwise.
CalendarDate ParseDate(std::string_view text);
TimeOfDay ParseTime(std::string_view text);
std::string FormatDate(const CalendarDate& date);
// The text a date field holds: "0" for the zero date, which is how a record without a date
// reads and is written back as one, and yyyy-mm-dd for every other day.
std::string DateText(const CalendarDate& date);
std::string FormatTime(const TimeOfDay& time);

// A number in text, blanks around it allowed; nullopt when the text is no number.
std::optional<double> ParseNumber(std::string_view text);
// A whole 32-bit number from text: fractions round to the nearest, halves to the even
// neighbour. Empty text is 0. SyncError 13 for no number, 6 when out of range.
int32_t TextToInt32(std::string_view text);
double TextToDouble(std::string_view text);
float TextToSingle(std::string_view text);
// The shortest text that reads back as the same number.
std::string NumberText(double value);
std::string NumberText(float value);

}  // namespace tarn::conduit
