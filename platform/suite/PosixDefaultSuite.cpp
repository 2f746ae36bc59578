#include "platform/suite/DefaultSuite.h"
#include "platform/suite/PosixComServers.h"
#include "platform/suite/PosixRegistry.h"

namespace tarn::platform {

std::unique_ptr<ComServers> DefaultComServers() {
    return std::make_unique<PosixComServers>();
}

std::unique_ptr<Registry> DefaultRegistry() {
    return std::make_unique<PosixRegistry>();
}

}  // namespace tarn::platform
