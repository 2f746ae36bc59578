#pragma once

#include <cstdint>

#include "platform/ui/MessageBox.h"

namespace tarn::platform::ui {

// What a windowing toolkit does for the rest of the system. Programs with windows install one
// at start (see qt/QtUi.h); without one, boxes go to stderr and the pointer and window events
// are left alone.
class UiBackend {
  public:
    virtual ~UiBackend() = default;

    virtual MessageAnswer ShowMessageBox(const MessageBoxRequest& request) = 0;
    // The busy pointer is a stack: each MouseIcon pushes its shape once, may change it, and
    // pops it when released, so nested operations leave the outer one's pointer in place.
    virtual void PushPointer(std::int32_t shape) = 0;
    virtual void ChangePointer(std::int32_t shape) = 0;
    virtual void PopPointer() = 0;
    virtual void ProcessPendingEvents() = 0;
};

// Not owned; the backend must outlive its use. nullptr goes back to the console one.
void InstallUiBackend(UiBackend* backend);
UiBackend& CurrentUiBackend();

// Writes "caption: text" on stderr and answers with the default button.
MessageAnswer ShowMessageBoxOnConsole(const MessageBoxRequest& request);

}  // namespace tarn::platform::ui
