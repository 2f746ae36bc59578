#include "platform/suite/DefaultSuite.h"
#include "platform/suite/Win32ComServers.h"
#include "platform/suite/Win32Registry.h"

namespace tarn::platform {

std::unique_ptr<ComServers> DefaultComServers() {
    return std::make_unique<Win32ComServers>();
}

std::unique_ptr<Registry> DefaultRegistry() {
    return std::make_unique<Win32Registry>();
}

}  // namespace tarn::platform
