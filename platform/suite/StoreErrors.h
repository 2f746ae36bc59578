#pragma once

#include <string>

#include "platform/suite/IniStore.h"

namespace tarn::platform {

// Turns a failed store operation into the PlatformError the sync-suite calls raise.
void ThrowIfFailed(StoreStatus status, const std::string& error);

}  // namespace tarn::platform
