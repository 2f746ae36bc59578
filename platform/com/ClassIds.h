#pragma once

#include <string_view>

namespace tarn::platform::com {

// The class identifier of the conduit class "TarnConduit2.cTarnConduit", as its type library
// declares it (windows/TarnConduit2.idl).
inline constexpr std::string_view kTarnConduitClassId = "{6F1C2A40-7B3E-4D8A-9C51-2E7D4B9A0C12}";

// The class identifier a ProgID is registered under; empty for a class this system does not
// serve.
std::string_view ClassIdOf(std::string_view progId);

}  // namespace tarn::platform::com
