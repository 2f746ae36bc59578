#include "platform/ui/win32/Win32Ui.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Win32Text.h"

namespace tarn::platform::ui {
namespace {

UINT ButtonFlags(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return MB_OKCANCEL;
        case MessageButtons::YesNo:
            return MB_YESNO;
        case MessageButtons::YesNoCancel:
            return MB_YESNOCANCEL;
        case MessageButtons::Ok:
            break;
    }
    return MB_OK;
}

UINT IconFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Critical:
            return MB_ICONERROR;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::Exclamation:
            return MB_ICONWARNING;
        case MessageIcon::None:
            break;
    }
    return 0;
}

// Which of the box's buttons, counted from the first, is the default.
UINT DefaultFlags(const MessageBoxRequest& request) {
    std::vector<MessageAnswer> order;
    switch (request.buttons) {
        case MessageButtons::Ok:
            order = {MessageAnswer::Ok};
            break;
        case MessageButtons::OkCancel:
            order = {MessageAnswer::Ok, MessageAnswer::Cancel};
            break;
        case MessageButtons::YesNo:
            order = {MessageAnswer::Yes, MessageAnswer::No};
            break;
        case MessageButtons::YesNoCancel:
            order = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
            break;
    }
    constexpr UINT kDefaults[] = {MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3};
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == request.defaultButton) return kDefaults[i];
    return MB_DEFBUTTON1;
}

class Win32UiBackend : public UiBackend {
  public:
    MessageAnswer ShowMessageBox(const MessageBoxRequest& request) override {
        // The text keeps its line breaks; Windows wants them as carriage return and line feed.
        std::string text;
        for (char c : request.text) {
            if (c == '\n' && (text.empty() || text.back() != '\r')) text += '\r';
            text += c;
        }
        int answer = MessageBoxW(nullptr, win32::WideFromUtf8(text).c_str(),
                                 win32::WideFromUtf8(request.caption).c_str(),
                                 ButtonFlags(request.buttons) | IconFlags(request.icon) |
                                     DefaultFlags(request) | MB_SETFOREGROUND | MB_TASKMODAL);
        switch (answer) {
            case IDCANCEL:
                return HasButton(request.buttons, MessageAnswer::Cancel) ? MessageAnswer::Cancel
                                                                         : request.defaultButton;
            case IDYES:
                return MessageAnswer::Yes;
            case IDNO:
                return MessageAnswer::No;
            case IDOK:
                return MessageAnswer::Ok;
            default:  // the box could not be shown
                return ShowMessageBoxOnConsole(request);
        }
    }

    void PushPointer(std::int32_t shape) override {
        saved_.push_back(GetCursor());
        ChangePointer(shape);
    }
    void ChangePointer(std::int32_t shape) override {
        constexpr std::int32_t kHourglass = 11;
        SetCursor(LoadCursorW(nullptr, shape == kHourglass ? IDC_WAIT : IDC_ARROW));
    }
    void PopPointer() override {
        if (saved_.empty()) return;
        SetCursor(saved_.back());
        saved_.pop_back();
    }
    void ProcessPendingEvents() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

  private:
    std::vector<HCURSOR> saved_;
};

}  // namespace

void InstallWin32Ui() {
    static Win32UiBackend backend;
    InstallUiBackend(&backend);
}

}  // namespace tarn::platform::ui
