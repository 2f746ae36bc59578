#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Creator IDs and database types are four Windows-1252 characters packed big-endian into a
// number ('ABCD' = 0x41424344).
namespace tarn::platform::palm {

// UTF-8 text of exactly four Windows-1252 characters to its number; nullopt otherwise.
std::optional<uint32_t> FourCharCodeFromText(std::string_view utf8);

// The number back to UTF-8 text (always four characters, control bytes included).
std::string FourCharCodeText(uint32_t code);

}  // namespace tarn::platform::palm
