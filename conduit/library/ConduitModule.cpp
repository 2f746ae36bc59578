#include "conduit/library/ConduitModule.h"

#include "conduit/library/LibraryPlatform.h"

namespace tarn::conduit {

ModuleState& TheModuleState() {
    static LibraryPlatform platform;
    static ModuleState state(platform);
    return state;
}

}  // namespace tarn::conduit
