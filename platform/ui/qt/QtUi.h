#pragma once

#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {

// Makes Qt Widgets the user interface of this program: message boxes become QMessageBox
// dialogs and file dialogs QFileDialog windows (when there is a display), the busy pointer
// becomes QApplication's override cursor and pending window events are processed by Qt. Call at
// start; until a QApplication exists, boxes still go to stderr and the pointer is left alone.
void InstallQtUi();

// The backend InstallQtUi installs, for tests that drive it directly.
UiBackend& QtUiBackend();

}  // namespace tarn::platform::ui
