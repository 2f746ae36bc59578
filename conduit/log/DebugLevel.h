#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/suite/Registry.h"

namespace tarn::conduit {

// Where the debug level lives: HKEY_LOCAL_MACHINE, this key, this value name.
inline constexpr char kDebugLevelKey[] = "Software\\TarnConduit2";
inline constexpr char kDebugLevelValue[] = "DebugLevel";

// 0 none, 1 low, 2 medium, 3 high, 4 and above everything. Any failure to read the value
// (missing, not openable with full access, not a number) gives 1.
std::int32_t GetDebugLevel(platform::Registry& registry);

// The conduit dialog's Debug button without its window: moves the stored level one step
// (none -> low -> medium -> high -> none; 4 and above keep growing), stores it as text and
// returns the message to show, or nothing for levels above 3. Never fails: a level that cannot
// be stored still yields its message.
std::optional<std::string> CycleDebugLevel(platform::Registry& registry);

}  // namespace tarn::conduit
