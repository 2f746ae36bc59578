#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Byte primitives of the handheld record layout. A record is its fields one after another with
// no header, lengths or padding; numbers are big-endian (the handheld's byte order), texts are
// Windows-1252 bytes ended by one zero byte. Every primitive works at `position` and moves it
// past what it wrote or read. Writers throw SyncError 9 rather than pass the end of their
// buffer; readers throw SyncError 9 rather than read past the end of the record.
namespace tarn::conduit {

// The encoder's buffer: positions 0 to 10000.
inline constexpr size_t kMaxPalmRecordBytes = 10001;
// The most characters a text field read from the handheld may hold.
inline constexpr size_t kMaxPalmTextLength = 32767;

struct DoubleHalves {
    uint32_t high = 0;
    uint32_t low = 0;
};
// The high and low 32-bit halves of a binary64 value, as the handheld stores them (high first).
DoubleHalves SplitDouble(double value);

void WriteInt32(std::span<char> bytes, size_t& position, int32_t value);
// Eight bytes: the IEEE-754 binary64 value, big-endian.
void WritePalmDouble(std::span<char> bytes, size_t& position, double value);
// Four bytes: the IEEE-754 binary32 value, big-endian.
void WritePalmSingle(std::span<char> bytes, size_t& position, float value);
// The UTF-8 text as Windows-1252 bytes (a character without one becomes '?'), then a zero byte.
void WriteText(std::span<char> bytes, size_t& position, std::string_view utf8);
// Whether WriteText and ReadText give back `utf8` itself: not where it has a character
// Windows-1252 lacks, a zero character (the text ends there) or bytes that are not UTF-8.
bool HandheldHoldsText(std::string_view utf8);

int32_t ReadInt32(std::string_view bytes, size_t& position);
double ReadPalmDouble(std::string_view bytes, size_t& position);
float ReadPalmSingle(std::string_view bytes, size_t& position);
// The characters up to the next zero byte, which is consumed, as UTF-8. A text without a zero
// byte within `maxLength` characters stops after them, and the next field starts right there.
std::string ReadText(std::string_view bytes, size_t& position, size_t maxLength);
// The same text's Windows-1252 bytes as the record holds them.
std::string_view TakeText(std::string_view bytes, size_t& position, size_t maxLength);

// Appends to `bytes` at `position` the field of `type` that a desktop column's text (null for
// NULL) becomes on the handheld, where the handheld's record then decodes to exactly the text
// DesktopValueText gives it, and says so. Otherwise it writes nothing and answers false, and
// the value is to be kept as text: a blank number, date or time (it would read back as 0), a
// whole number beyond 32 bits (which fails only when the record is built), a text the
// handheld cannot hold, a "Byte" field (not stored) or a record that would outgrow `bytes`.
// Throws SyncError, as DesktopValueText does, for a text that is no value of the type.
bool EncodeDesktopValue(int16_t type, const std::string* text, std::span<char> bytes,
                        size_t& position);

}  // namespace tarn::conduit
