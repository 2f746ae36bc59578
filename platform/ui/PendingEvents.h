#pragma once

namespace tarn::platform::ui {

// Lets queued window events (repaints) run during a long call on the user-interface thread.
// Does nothing in programs without windows.
void LetPendingEventsRun();

}  // namespace tarn::platform::ui
