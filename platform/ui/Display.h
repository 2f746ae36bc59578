#pragma once

namespace tarn::platform::ui {

// True when a window could be shown: DISPLAY or WAYLAND_DISPLAY is set and QT_QPA_PLATFORM
// does not ask for the offscreen or minimal platform.
bool HasDisplay();

}  // namespace tarn::platform::ui
