#include "conduit/sync/FieldText.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "common/model/DataTypes.h"
#include "conduit/sync/TarnFunc.h"

namespace tarn::conduit {
namespace {

std::string IntegerText(std::string_view text) {
    if (std::optional<int64_t> whole = DesktopWholeNumber(text)) return std::to_string(*whole);
    return NumberText(std::nearbyint(TextToDouble(text)));
}

}  // namespace

std::optional<int64_t> DesktopWholeNumber(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0;  // blank, as TextToDouble reads it
    std::string_view digits = text.substr(first);
    digits = digits.substr(0, digits.find_last_not_of(" \t") + 1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int64_t whole = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), whole);
    if (error == std::errc() && end == digits.data() + digits.size()) return whole;

    double rounded = std::nearbyint(TextToDouble(text));  // halves to even, as when encoding
    if (std::fabs(rounded) < 9.2e18) return static_cast<int64_t>(rounded);
    return std::nullopt;
}

bool IsBlankDesktopText(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

void AssignDesktopValueText(int16_t type, std::string_view text, std::string& out) {
    const bool number = type == kTypeInteger || type == kTypeShort || type == kTypeDouble ||
                        type == kTypeSingle || type == kTypeDate || type == kTypeTime;
    if (!number) {
        out.assign(text);  // texts and unknown types pass as they are
    } else if (IsBlankDesktopText(text)) {
        out.clear();
    } else if (type == kTypeInteger || type == kTypeShort) {
        out = IntegerText(text);
    } else if (type == kTypeDouble) {
        out = NumberText(TextToDouble(text));
    } else if (type == kTypeSingle) {
        out = NumberText(TextToSingle(text));
    } else if (type == kTypeDate) {
        out = DateText(ParseDate(text));
    } else {
        out = FormatTime(ParseTime(text));
    }
}

std::string DesktopValueText(int16_t type, std::string_view text) {
    std::string out;
    AssignDesktopValueText(type, text, out);
    return out;
}

}  // namespace tarn::conduit
