#include "conduit/library/ConduitModule.h"
#include "conduit/ui/ConduitConfiguration.h"

namespace tarn::conduit {

void ShowConfigurationWindow(ModuleState& state) {
    ShowConduitConfiguration(state);
}

}  // namespace tarn::conduit
