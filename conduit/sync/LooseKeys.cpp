#include "conduit/sync/LooseKeys.h"

#include <cmath>
#include <optional>

#include "conduit/sync/RecordOrder.h"
#include "conduit/sync/TarnFunc.h"

namespace tarn::conduit {

namespace {

// LooseKey, of a key whose number (if it is one) is already known.
std::string LooseText(std::string_view key, const std::optional<double>& number) {
    if (number) return "#" + NumberText(*number);
    const std::size_t end = key.find_last_not_of(' ');
    const std::string order =
        RecordOrderKey(key.substr(0, end == std::string_view::npos ? 0 : end + 1));
    // The order text's primary part weighs each character with case and accents folded.
    return order.substr(0, order.find('\0'));
}

}  // namespace

std::string LooseKey(std::string_view key) {
    return LooseText(key, ParseNumber(key));
}

bool LooseKeys::Add(std::string_view key) {
    const std::optional<double> number = ParseNumber(key);
    const bool apart = keys_.insert(LooseText(key, number)).second;
    if (!number || !std::isfinite(*number)) return apart;
    return AddNumber(*number) && apart;
}

bool LooseKeys::AddNumber(double number) {
    const double unit = std::floor(number);
    const bool fraction = number != unit;
    bool apart = true;
    // Numbers less than 1 apart lie in the same unit (from a whole number up to the next) or in
    // neighbouring ones; two whole ones there are different numbers, which no column makes one
    // row.
    if (fraction || fractions_) {
        for (double noted : numbers_) {
            const double notedUnit = std::floor(noted);
            if (std::fabs(notedUnit - unit) <= 1 && (fraction || noted != notedUnit)) apart = false;
        }
    }
    numbers_.push_back(number);
    fractions_ = fractions_ || fraction;
    return apart;
}

}  // namespace tarn::conduit
