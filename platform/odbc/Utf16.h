#pragma once

#include <sqltypes.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The wide ODBC calls take UTF-16 (SQLWCHAR is two bytes on unixODBC and on Windows); the rest
// of the program holds UTF-8.
namespace tarn::platform::odbc {

static_assert(sizeof(SQLWCHAR) == 2, "the wide ODBC calls must take UTF-16");

// UTF-8 to zero-terminated UTF-16. Malformed UTF-8 bytes are taken as Latin-1, as everywhere
// else in the program, so no byte is silently dropped.
std::vector<SQLWCHAR> ToWide(std::string_view utf8);
// The same into a buffer that keeps its capacity from call to call.
void AssignWide(std::string_view utf8, std::vector<SQLWCHAR>& out);

// Appends UTF-16 text as UTF-8. An unpaired surrogate becomes U+FFFD.
void AppendUtf8(const SQLWCHAR* text, std::size_t length, std::string& out);
std::string ToUtf8(const SQLWCHAR* text, std::size_t length);

// The zero-terminated text an ODBC call left in a buffer of the given capacity. The length the
// call reports is not used: unixODBC reports a narrow driver's byte count, which overstates the
// characters of any non-ASCII text.
std::string ToUtf8FromBuffer(const SQLWCHAR* buffer, std::size_t capacity);

}  // namespace tarn::platform::odbc
