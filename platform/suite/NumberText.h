#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace tarn::platform {

// Parses a whole text as an integer (no blanks, no trailing characters).
template <typename T>
std::optional<T> ParseWhole(std::string_view text, int base = 10) {
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

}  // namespace tarn::platform
