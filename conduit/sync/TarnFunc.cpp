#include "conduit/sync/TarnFunc.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>

#include "conduit/sync/SyncError.h"

namespace tarn::conduit {
namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Reads 1 to `maxDigits` digits at pos; -1 when there are none.
int ReadDigits(std::string_view text, size_t& pos, size_t maxDigits) {
    size_t start = pos;
    int value = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9')
        value = value * 10 + (text[pos++] - '0');
    return pos == start ? -1 : value;
}

[[noreturn]] void TypeMismatch(std::string_view what, std::string_view text) {
    throw SyncError(kErrTypeMismatch,
                    "Type mismatch: '" + std::string(text) + "' is not a " + std::string(what));
}

// Columns with a time zone give their values with an offset ("+01", "-05:30", "Z"); the
// clock time shown is the one the desktop user sees, so the offset is passed over.
void SkipTimeZone(std::string_view text, size_t& pos) {
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
        return;
    }
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) return;
    size_t at = pos + 1;
    if (ReadDigits(text, at, 2) < 0) return;
    if (at < text.size() && text[at] == ':') ++at;
    if (at < text.size()) ReadDigits(text, at, 2);
    pos = at;
}

// Parses hh:mm[:ss] at pos to the end of the text, with an optional time zone.
std::optional<TimeOfDay> ReadTime(std::string_view text, size_t pos) {
    TimeOfDay t;
    t.hour = ReadDigits(text, pos, 2);
    if (t.hour < 0 || pos >= text.size() || text[pos++] != ':') return std::nullopt;
    t.minute = ReadDigits(text, pos, 2);
    if (t.minute < 0) return std::nullopt;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        t.second = ReadDigits(text, pos, 2);
        if (t.second < 0) return std::nullopt;
        if (pos < text.size() && text[pos] == '.')  // fractions of a second are dropped
            for (++pos; pos < text.size() && text[pos] >= '0' && text[pos] <= '9';) ++pos;
    }
    SkipTimeZone(text, pos);
    if (pos != text.size() || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

// Parses yyyy-mm-dd at the start; pos ends after it.
std::optional<CalendarDate> ReadDate(std::string_view text, size_t& pos) {
    CalendarDate d;
    d.year = ReadDigits(text, pos, 4);
    if (d.year < 0 || pos >= text.size() || (text[pos] != '-' && text[pos] != '/'))
        return std::nullopt;
    char separator = text[pos++];
    d.month = ReadDigits(text, pos, 2);
    if (d.month < 0 || pos >= text.size() || text[pos++] != separator) return std::nullopt;
    d.day = ReadDigits(text, pos, 2);
    if (d.day < 0 || !IsValidDate(d.year, d.month, d.day)) return std::nullopt;
    return d;
}

// The number of the `count` ASCII digits at `at`, or -1 where one is no digit.
int Digits(std::string_view text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The forms nearly every date and time comes in, from the desktop and from the handheld
// decoder alike ("2005-12-31", "13:05:09"), read straight; nullopt for every other text,
// which the general reading then takes, and for what it would refuse.
std::optional<CalendarDate> PlainDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const CalendarDate date{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2)};
    if (!IsValidDate(date.year, date.month, date.day)) return std::nullopt;
    return date;
}

std::optional<TimeOfDay> PlainTime(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    const TimeOfDay time{Digits(text, 0, 2), Digits(text, 3, 2), Digits(text, 6, 2)};
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 59)
        return std::nullopt;
    return time;
}

enum class NumberReading { kNumber, kNoNumber, kTooLarge };

NumberReading ReadNumber(std::string_view text, double& value) {
    std::string_view trimmed = Trim(text);
    bool plus = !trimmed.empty() && trimmed.front() == '+';
    if (plus) trimmed.remove_prefix(1);
    if (trimmed.empty() || trimmed.front() == '+' || (plus && trimmed.front() == '-'))
        return NumberReading::kNoNumber;
    auto result = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (result.ptr != trimmed.data() + trimmed.size()) return NumberReading::kNoNumber;
    if (result.ec == std::errc::result_out_of_range) return NumberReading::kTooLarge;
    // from_chars also reads "inf" and "nan", which no desktop column or handheld field means.
    if (result.ec != std::errc() || !std::isfinite(value)) return NumberReading::kNoNumber;
    return NumberReading::kNumber;
}

// Whether `value` is written in `digits` digits, as "%0<digits>d" writes it.
bool FitsDigits(int value, int digits) {
    return value >= 0 && value < (digits == 4 ? 10000 : 100);
}

// Writes `value` zero-padded to `digits` digits; FitsDigits must hold.
void PutDigits(char* out, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

// The text "%0<firstDigits>d<separator>%02d<separator>%02d" gives, written by hand: dates and
// times are formatted for every value read, and printf costs more than the rest of reading
// one. Nullopt for numbers that do not fit their width, which are left to printf.
std::optional<std::string> JoinedNumbers(int first, int firstDigits, int second, int third,
                                         char separator) {
    if (!FitsDigits(first, firstDigits) || !FitsDigits(second, 2) || !FitsDigits(third, 2))
        return std::nullopt;
    std::string text(static_cast<std::size_t>(firstDigits) + 6, separator);
    PutDigits(text.data(), first, firstDigits);
    PutDigits(text.data() + firstDigits + 1, second, 2);
    PutDigits(text.data() + firstDigits + 4, third, 2);
    return text;
}

// The text to_chars gives a double that is a decimal of at most 15 significant digits and 4
// places, as most values of a money or measure column are; nullopt for any other, and for 0.
// Such a decimal is the only one of 15 digits or fewer that reads back as the double, so its
// digits are the shortest; the layout, plain or with an exponent, is whichever is shorter
// (plain when equal), as to_chars chooses. Written by hand, since to_chars searches for the
// shortest digits at a cost greater than the rest of reading the value.
std::optional<std::string> ShortDecimalText(double value) {
    constexpr double kLimit = 1e15;
    static constexpr double kScales[] = {1, 10, 100, 1000, 10000};
    if (!(std::fabs(value) >= 1e-4 && std::fabs(value) < kLimit)) return std::nullopt;
    for (int places = 0; places < 5; ++places) {
        const double scaled = std::nearbyint(value * kScales[places]);
        if (!(std::fabs(scaled) < kLimit)) return std::nullopt;
        if (scaled / kScales[places] != value) continue;  // not this many places
        auto digits = static_cast<uint64_t>(std::fabs(scaled));
        int exponent = -places;  // value = digits * 10^exponent
        while (digits != 0 && digits % 10 == 0) {
            digits /= 10;
            ++exponent;
        }
        char buffer[24];
        const int count = static_cast<int>(std::to_chars(buffer, buffer + 24, digits).ptr - buffer);
        const std::string_view significant(buffer, static_cast<std::size_t>(count));
        const int power = exponent + count - 1;  // of the first digit
        int plainLength = count + exponent;      // digits, then zeros
        if (exponent < 0)
            plainLength = power >= 0 ? count + 1                       // a point among the digits
                                     : 2 - exponent;                   // "0." and zeros first
        const int scientificLength = count + (count > 1 ? 1 : 0) + 4;  // "e+dd"
        std::string text = value < 0 ? "-" : "";
        if (plainLength <= scientificLength) {
            if (exponent >= 0) {
                text.append(significant).append(static_cast<std::size_t>(exponent), '0');
            } else if (power >= 0) {
                const auto whole = static_cast<std::size_t>(power + 1);
                text.append(significant.substr(0, whole))
                    .append(".")
                    .append(significant.substr(whole));
            } else {
                text.append("0.")
                    .append(static_cast<std::size_t>(-power - 1), '0')
                    .append(significant);
            }
        } else {
            text.append(significant.substr(0, 1));
            if (count > 1) text.append(".").append(significant.substr(1));
            const int magnitude = power < 0 ? -power : power;
            text += power < 0 ? "e-" : "e+";
            text += static_cast<char>('0' + magnitude / 10);
            text += static_cast<char>('0' + magnitude % 10);
        }
        return text;
    }
    return std::nullopt;
}

template <typename Number>
std::string ShortestText(Number value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

double DateToPalmNumber(const CalendarDate& date) {
    int64_t number = (static_cast<int64_t>(date.year) - 1900) * 10000 + date.month * 100 + date.day;
    if (number > std::numeric_limits<int32_t>::max() ||
        number < std::numeric_limits<int32_t>::min())
        throw SyncError(kErrOverflow, "Overflow");
    return static_cast<double>(number);
}

CalendarDate PalmNumberToDate(double number) {
    if (!std::isfinite(number) || std::fabs(number) > 1e9) return {};
    auto whole = static_cast<int64_t>(std::nearbyint(number));
    // Floored, not truncated: a date before 1900 is written as a negative number (1850-05-06 as
    // -500000 + 506), and must read back as that date, not as the zero date. For the numbers of
    // later dates both ways agree.
    const int64_t monthAndDay = ((whole % 10000) + 10000) % 10000;
    CalendarDate d;
    d.year = static_cast<int>(std::floor(number / 10000)) + 1900;
    d.month = static_cast<int>(monthAndDay / 100);
    d.day = static_cast<int>(monthAndDay % 100);
    if (!IsValidDate(d.year, d.month, d.day)) return {};
    return d;
}

double TimeToPalmNumber(const TimeOfDay& time) {
    return time.hour * 10000.0 + time.minute * 100.0 + time.second;
}

TimeOfDay PalmNumberToTime(double number) {
    if (std::isfinite(number) && number >= 0 && number < 240000) {
        auto whole = static_cast<int64_t>(std::nearbyint(number));
        TimeOfDay t;
        t.hour = static_cast<int>(std::trunc(number / 10000));
        t.minute = static_cast<int>((whole % 10000) / 100);
        t.second = static_cast<int>((whole % 10000) % 100);
        if (t.hour <= 23 && t.minute <= 59 && t.second <= 59) return t;
    }
    throw SyncError(kErrInvalidArgument,
                    "Invalid procedure call or argument: " + NumberText(number) + " is not a time");
}

CalendarDate ParseDate(std::string_view text) {
    if (std::optional<CalendarDate> date = PlainDate(text)) return *date;
    std::string_view trimmed = Trim(text);
    size_t pos = 0;
    auto date = ReadDate(trimmed, pos);
    if (date && pos < trimmed.size()) {
        // A timestamp: the time of day is dropped, but it must still be a time.
        char separator = trimmed[pos];
        if ((separator != ' ' && separator != 'T') || !ReadTime(trimmed, pos + 1)) date.reset();
    }
    if (!date) TypeMismatch("date", text);
    return *date;
}

TimeOfDay ParseTime(std::string_view text) {
    if (std::optional<TimeOfDay> time = PlainTime(text)) return *time;
    std::string_view trimmed = Trim(text);
    size_t pos = 0;
    if (auto date = ReadDate(trimmed, pos)) {
        if (pos == trimmed.size()) return {};  // a date alone is midnight
        if (trimmed[pos] != ' ' && trimmed[pos] != 'T') TypeMismatch("time", text);
        ++pos;
    } else {
        pos = 0;
    }
    auto time = ReadTime(trimmed, pos);
    if (!time) TypeMismatch("time", text);
    return *time;
}

std::string FormatDate(const CalendarDate& d) {
    if (auto text = JoinedNumbers(d.year, 4, d.month, d.day, '-')) return *text;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buffer;
}

std::string DateText(const CalendarDate& date) {
    return date.IsZero() ? "0" : FormatDate(date);
}

std::string FormatTime(const TimeOfDay& t) {
    if (auto text = JoinedNumbers(t.hour, 2, t.minute, t.second, ':')) return *text;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buffer;
}

std::optional<double> ParseNumber(std::string_view text) {
    double value = 0;
    if (ReadNumber(text, value) != NumberReading::kNumber) return std::nullopt;
    return value;
}

int32_t TextToInt32(std::string_view text) {
    double rounded =
        std::nearbyint(TextToDouble(text));  // the default rounding mode: halves to even
    if (rounded < std::numeric_limits<int32_t>::min() ||
        rounded > std::numeric_limits<int32_t>::max())
        throw SyncError(kErrOverflow, "Overflow: " + std::string(text));
    return static_cast<int32_t>(rounded);
}

double TextToDouble(std::string_view text) {
    if (Trim(text).empty()) return 0;  // a desktop NULL arrives as empty text
    double value = 0;
    switch (ReadNumber(text, value)) {
        case NumberReading::kNumber:
            return value;
        case NumberReading::kTooLarge:
            throw SyncError(kErrOverflow, "Overflow: " + std::string(text));
        case NumberReading::kNoNumber:
            break;
    }
    TypeMismatch("number", text);
}

float TextToSingle(std::string_view text) {
    double value = TextToDouble(text);
    if (std::fabs(value) > std::numeric_limits<float>::max())
        throw SyncError(kErrOverflow, "Overflow: " + std::string(text));
    return static_cast<float>(value);
}

std::string NumberText(double value) {
    if (auto text = ShortDecimalText(value)) return *text;
    return ShortestText(value);
}
std::string NumberText(float value) {
    return ShortestText(value);
}

}  // namespace tarn::conduit
