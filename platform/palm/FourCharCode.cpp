#include "platform/palm/FourCharCode.h"

#include "text/Windows1252.h"

namespace tarn::platform::palm {

std::optional<uint32_t> FourCharCodeFromText(std::string_view utf8) {
    std::u32string points = text::DecodeUtf8(utf8);
    if (points.size() != 4) return std::nullopt;
    uint32_t code = 0;
    for (char32_t point : points) {
        int byte = text::AnsiCodeOf(point);
        if (byte < 0) return std::nullopt;
        code = (code << 8) | static_cast<uint32_t>(byte);
    }
    return code;
}

std::string FourCharCodeText(uint32_t code) {
    std::string ansi;
    for (int shift = 24; shift >= 0; shift -= 8)
        ansi.push_back(static_cast<char>((code >> shift) & 0xFF));
    return text::FromAnsi(ansi);
}

}  // namespace tarn::platform::palm
