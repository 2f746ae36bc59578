#include "conduit/log/DebugLevel.h"

#include <limits>

#include "conduit/log/RegistryFunctions.h"

namespace tarn::conduit {

std::int32_t GetDebugLevel(platform::Registry& registry) {
    try {
        RegistryValue value = GetRegistryValue(registry, kDebugLevelKey, kDebugLevelValue,
                                               platform::kHkeyLocalMachine);
        return RegistryValueAsNumber(value).value_or(1);
    } catch (...) {
        return 1;
    }
}

std::optional<std::string> CycleDebugLevel(platform::Registry& registry) {
    // Each step runs even when the one before failed. A level that cannot grow any further
    // leaves the new level at its initial 0.
    std::int32_t level = 0;
    std::int32_t current = GetDebugLevel(registry);
    if (current < std::numeric_limits<std::int32_t>::max()) level = current + 1;
    if (level == 4) level = 0;
    try {
        CreateRegistryKey(registry, kDebugLevelKey, platform::kHkeyLocalMachine);
    } catch (...) {
    }
    try {
        SetRegistryValue(registry, kDebugLevelKey, kDebugLevelValue, level,
                         platform::kHkeyLocalMachine, platform::kRegSz);
    } catch (...) {
    }
    switch (level) {
        case 0:
            return "Debug level is set to none";
        case 1:
            return "Debug level is set to low";
        case 2:
            return "Debug level is set to medium";
        case 3:
            return "Debug level is set to high";
        default:
            return std::nullopt;
    }
}

}  // namespace tarn::conduit
