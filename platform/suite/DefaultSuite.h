#pragma once

#include <memory>

#include "platform/suite/ComServers.h"
#include "platform/suite/Registry.h"

// The one place each edition chooses the machine's registry and COM class registrations:
// files under TARN_HOME on POSIX systems, the real registry on Windows.
namespace tarn::platform {

std::unique_ptr<ComServers> DefaultComServers();
std::unique_ptr<Registry> DefaultRegistry();

}  // namespace tarn::platform
