#pragma once

#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {

// Makes the system's own message boxes (MessageBoxW) and wait cursor the user interface of a
// program or library without a windowing toolkit. Call at start.
void InstallWin32Ui();

}  // namespace tarn::platform::ui
