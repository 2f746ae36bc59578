#pragma once

#include "conduit/sync/ModuleState.h"

namespace tarn::conduit {

// The library's module state: created on first use, kept until the library is unloaded, and
// never reset between calls.
ModuleState& TheModuleState();

// Shows the conduit's configuration window modally on the module state.
void ShowConfigurationWindow(ModuleState& state);

}  // namespace tarn::conduit
