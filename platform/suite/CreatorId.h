#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::platform {

// A Creator ID is four characters of the ANSI code page as text, and the same four bytes read
// big-endian as a number inside the sync suite: "ABCD" is 0x41424344.
// Throws PlatformError when the text is not exactly four Windows-1252 characters.
std::uint32_t CreatorIdToNumber(std::string_view text);
// The four characters of a Creator ID number, as UTF-8 text. Never fails.
std::string CreatorIdToText(std::uint32_t number);

}  // namespace tarn::platform
