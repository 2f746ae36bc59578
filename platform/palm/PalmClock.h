#pragma once

#include <cstdint>

// Palm dates count seconds from 1904-01-01. Some desktop tools wrote Unix time instead; such a
// date has its top bit clear (every Palm date after 1970 has it set), and a rewrite keeps the
// convention the file already uses.
namespace tarn::platform::palm {

inline constexpr uint32_t kPalmToUnixEpoch = 2082844800u;  // seconds from 1904 to 1970

bool UsesUnixDates(uint32_t creationDate);

// Now, in the file's convention.
uint32_t DateNow(bool unixDates);

}  // namespace tarn::platform::palm
