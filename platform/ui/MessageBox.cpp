#include "platform/ui/MessageBox.h"

#include <mutex>

#include "platform/ui/Display.h"
#include "platform/ui/MessageBoxCapture.h"
#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {
namespace {

std::mutex& TitleMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& TitleStorage() {
    static std::string title = "Tarn Conduit";
    return title;
}

}  // namespace

void SetProgramTitle(const std::string& title) {
    std::lock_guard lock(TitleMutex());
    TitleStorage() = title;
}

std::string ProgramTitle() {
    std::lock_guard lock(TitleMutex());
    return TitleStorage();
}

MessageAnswer FirstButton(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            break;
    }
    return MessageAnswer::Ok;
}

bool HasButton(MessageButtons buttons, MessageAnswer answer) {
    switch (buttons) {
        case MessageButtons::Ok:
            return answer == MessageAnswer::Ok;
        case MessageButtons::OkCancel:
            return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
        case MessageButtons::YesNo:
            return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
        case MessageButtons::YesNoCancel:
            return answer != MessageAnswer::Ok;
    }
    return false;
}

MessageAnswer ShowMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                             MessageButtons buttons, std::optional<MessageAnswer> defaultButton) {
    MessageBoxRequest request;
    request.caption = caption.empty() ? ProgramTitle() : caption;
    request.text = text;
    request.icon = icon;
    request.buttons = buttons;
    request.defaultButton =
        defaultButton && HasButton(buttons, *defaultButton) ? *defaultButton : FirstButton(buttons);

    if (std::optional<MessageAnswer> preset = RecordMessageBox(request)) return *preset;
    // Checked on every box, not once: tests and scripts change the environment at run time.
    if (!HasDisplay()) return ShowMessageBoxOnConsole(request);
    return CurrentUiBackend().ShowMessageBox(request);
}

}  // namespace tarn::platform::ui
