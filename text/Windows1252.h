#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text in memory is UTF-8; on disk (description files) and in handheld records it is
// Windows-1252. The five bytes Windows-1252 leaves undefined (81 8D 8F 90 9D) map to the C1
// control characters of the same number, as the Windows converter does, so every byte string
// survives a round trip through memory unchanged.
namespace tarn::text {

// UTF-8 to Windows-1252 bytes. A character with no single-byte form becomes '?'; malformed
// UTF-8 bytes are taken as Latin-1 so nothing is silently dropped.
std::string ToAnsi(std::string_view utf8);

// Windows-1252 bytes to UTF-8. Total: every byte has a character.
std::string FromAnsi(std::string_view ansi);
// Whether every byte is ASCII: such a text is the same in UTF-8 and in Windows-1252.
bool IsAscii(std::string_view text);

// The Windows-1252 byte of one Unicode code point, or -1 when it has none.
int AnsiCodeOf(char32_t codePoint);
char32_t CodePointOfAnsi(unsigned char byte);

// Decodes UTF-8 into code points (malformed bytes taken as Latin-1) and back.
std::u32string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view codePoints);
void AppendCodePoint(std::string& utf8, char32_t codePoint);

// Lower-case form used for comparing keys without regard to letter case. Covers the whole
// Windows-1252 repertoire (ASCII, Latin-1 letters, Š Œ Ž Ÿ) and, beyond it, the code points
// that std::towlower does not need a locale for.
std::string FoldCase(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Upper-case form, for texts such as the conduit title in the bail-out banner.
std::string ToUpper(std::string_view utf8);

}  // namespace tarn::text
