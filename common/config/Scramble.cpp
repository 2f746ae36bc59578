#include "common/config/Scramble.h"

#include "text/Windows1252.h"

namespace tarn {
namespace {

// Every deliverable must hold the same key, or conduits written by one cannot be read by another.
constexpr std::string_view kScrambleKey = "WAXBILL";

std::string Shift(std::string_view text, int direction) {
    std::u32string codePoints = text::DecodeUtf8(text);
    for (size_t i = 0; i < codePoints.size(); ++i) {
        int code = text::AnsiCodeOf(codePoints[i]);
        if (code < 0) code = '?';
        // The first character pairs with the second key letter, the seventh with the first.
        int key = static_cast<unsigned char>(kScrambleKey[(i + 1) % kScrambleKey.size()]);
        codePoints[i] =
            text::CodePointOfAnsi(static_cast<unsigned char>((code + direction * key + 256) % 256));
    }
    return text::EncodeUtf8(codePoints);
}

}  // namespace

std::string ScrambleString(std::string_view text) {
    return Shift(text, +1);
}

std::string DescrambleString(std::string_view text) {
    return Shift(text, -1);
}

}  // namespace tarn
