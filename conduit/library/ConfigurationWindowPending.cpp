#include <iostream>

#include "conduit/library/ConduitModule.h"

namespace tarn::conduit {

// Until the window exists the call only reports that there is nothing to show.
void ShowConfigurationWindow(ModuleState& state) {
    std::cerr << "TarnConduit2: no configuration window in this build (configuration file: "
              << state.ConfigPath << ")\n";
}

}  // namespace tarn::conduit
