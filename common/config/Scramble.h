#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Hides settings such as passwords from a casual look at the file: each character's
// Windows-1252 code is shifted by a letter of a fixed key. This is not encryption.
// The result may contain any byte value, NUL included; it is always counted text.
std::string ScrambleString(std::string_view text);
std::string DescrambleString(std::string_view text);

}  // namespace tarn
