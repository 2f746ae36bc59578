#pragma once

namespace tarn::conduit {

struct ModuleState;

// Shows the conduit's configuration window modally and returns when it closes. The window
// rereads the file at state.ConfigPath into state.Settings and state.Tables, and writes them
// back only on "&Ok".
//
// Works in programs without Qt: when there is no QApplication, one is made for the duration of
// the call (on the offscreen platform when there is no display), with Qt's message boxes and
// file dialogs installed. Without a display the window cannot be used, so, unless a test drives
// the windows (common/ui/ModalWindow.h), it is closed as cancelled right after loading and a
// line on stderr says so.
void ShowConduitConfiguration(ModuleState& state);

}  // namespace tarn::conduit
