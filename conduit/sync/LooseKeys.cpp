#include "conduit/sync/LooseKeys.h"

#include <optional>

#include "conduit/sync/RecordOrder.h"
#include "conduit/sync/TarnFunc.h"

namespace tarn::conduit {

std::string LooseKey(std::string_view key) {
    if (std::optional<double> number = ParseNumber(key)) return "#" + NumberText(*number);
    const std::size_t end = key.find_last_not_of(' ');
    const std::string order =
        RecordOrderKey(key.substr(0, end == std::string_view::npos ? 0 : end + 1));
    // The order text's primary part weighs each character with case and accents folded.
    return order.substr(0, order.find('\0'));
}

bool LooseKeys::Add(std::string_view key) {
    return keys_.insert(LooseKey(key)).second;
}

}  // namespace tarn::conduit
