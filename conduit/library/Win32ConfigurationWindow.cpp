#include "conduit/library/ConduitModule.h"
#include "platform/ui/MessageBox.h"

namespace tarn::conduit {

// The Windows edition carries no windowing toolkit: a conduit's connection is changed in the
// builder, which writes the description the conduit reads.
void ShowConfigurationWindow(ModuleState& state) {
    std::string text = "This conduit is configured with the Tarn Conduit Builder (TarnCBuilder).";
    if (!state.ConfigPath.empty()) text += "\nIts description file is " + state.ConfigPath + ".";
    platform::ui::ShowMessageBox("TarnConduit2", text, platform::ui::MessageIcon::Information);
}

}  // namespace tarn::conduit
