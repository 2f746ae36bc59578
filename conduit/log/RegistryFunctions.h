#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/suite/Registry.h"

// The engine's small registry helpers. Failures of the registry calls raise PlatformError 17
// ("cannot perform the requested operation"), which callers either let escape or turn into a
// default.
namespace tarn::conduit {

// A registry value as the engine handles it: nothing, a 32-bit number or a text.
using RegistryValue = std::variant<std::monostate, std::int32_t, std::string>;

inline constexpr int kRegistryError = 17;

// The value as a 32-bit number: a number as it is, nothing as 0, a text in decimal (blanks and
// the terminating NULs around it are ignored). Nothing when the text is not such a number.
std::optional<std::int32_t> RegistryValueAsNumber(const RegistryValue& value);

// Creates (or opens) the key with full access and closes it again.
void CreateRegistryKey(platform::Registry& registry, const std::string& keyPath,
                       platform::RegistryHandle rootKey);

// Opens the key with full access, writes the value with WriteRegistryValue and closes the key.
void SetRegistryValue(platform::Registry& registry, const std::string& keyPath,
                      const std::string& valueName, const RegistryValue& value,
                      platform::RegistryHandle rootKey, std::uint32_t valueType);

// Type 1: the value as text plus one NUL; types 3 and 4: the value as four bytes; any other
// type writes nothing and returns 0. A text that is no number raises error 13 for types 3/4.
platform::RegistryStatus WriteRegistryValue(platform::Registry& registry,
                                            platform::RegistryHandle key,
                                            const std::string& valueName, std::uint32_t valueType,
                                            const RegistryValue& value);

// Type 1 fills `value` with the stored text including its terminating NUL (empty when the read
// fails); types 3 and 4 with the number. Any other type returns -1; a failed query returns its
// status and leaves `value` alone.
platform::RegistryStatus ReadRegistryValue(platform::Registry& registry,
                                           platform::RegistryHandle key,
                                           const std::string& valueName, RegistryValue& value);

// Opens the key with full access and reads the value with ReadRegistryValue.
RegistryValue GetRegistryValue(platform::Registry& registry, const std::string& keyPath,
                               const std::string& valueName, platform::RegistryHandle rootKey);

}  // namespace tarn::conduit
