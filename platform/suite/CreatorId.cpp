#include "platform/suite/CreatorId.h"

#include "text/Windows1252.h"
#include "platform/Error.h"
#include "platform/suite/SuiteErrors.h"

namespace tarn::platform {

std::uint32_t CreatorIdToNumber(std::string_view text) {
    std::u32string characters = text::DecodeUtf8(text);
    std::string ansi = text::ToAnsi(text);
    // A character without a Windows-1252 form would silently become '?', so refuse it.
    bool representable = true;
    for (char32_t c : characters) representable = representable && text::AnsiCodeOf(c) >= 0;
    if (characters.size() != 4 || ansi.size() != 4 || !representable)
        throw PlatformError(
            suite_error::kInvalidArgument,
            "Invalid Creator ID '" + std::string(text) + "': it must be four characters");
    std::uint32_t number = 0;
    for (char c : ansi) number = (number << 8) | static_cast<unsigned char>(c);
    return number;
}

std::string CreatorIdToText(std::uint32_t number) {
    std::string ansi;
    for (int shift = 24; shift >= 0; shift -= 8)
        ansi += static_cast<char>((number >> shift) & 0xFF);
    return text::FromAnsi(ansi);
}

}  // namespace tarn::platform
