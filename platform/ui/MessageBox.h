#pragma once

#include <optional>
#include <string>

namespace tarn::platform::ui {

enum class MessageIcon { None, Information, Critical, Question, Exclamation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// One message box as the program asked for it, after the defaults were filled in.
struct MessageBoxRequest {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;

    bool operator==(const MessageBoxRequest&) const = default;
};

// The one way every program and library shows a message box. An empty caption shows the
// program title. The default button must be one of `buttons`; otherwise (or when none is
// given) the first button is the default.
//
// Where the answer comes from, first match wins: an answer preset by a test
// (MessageBoxCapture.h); without a display, the line "caption: text" on stderr and the default
// button, so scripts, CI and tests never hang; otherwise the installed user interface (a real
// dialog once a program has installed the Qt one), or stderr as above when none is installed.
MessageAnswer ShowMessageBox(const std::string& caption, const std::string& text,
                             MessageIcon icon = MessageIcon::None,
                             MessageButtons buttons = MessageButtons::Ok,
                             std::optional<MessageAnswer> defaultButton = std::nullopt);

// The caption of boxes that have none of their own ("Tarn Conduit" until a program sets its
// own title at start).
void SetProgramTitle(const std::string& title);
std::string ProgramTitle();

// The first button of a set, and whether a set contains a given button.
MessageAnswer FirstButton(MessageButtons buttons);
bool HasButton(MessageButtons buttons, MessageAnswer answer);

}  // namespace tarn::platform::ui
