#pragma once

#include <deque>
#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/ui/MessageBox.h"

namespace tarn::platform::ui {

// For tests: while an object of this class lives, every message box is recorded, and preset
// answers are handed out in order to the next boxes instead of showing them. Once the presets
// are used up, boxes are shown as usual (without a display: on stderr, default button).
// Captures nest; the innermost one is in effect.
class MessageBoxCapture {
  public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    void PresetAnswers(std::initializer_list<MessageAnswer> answers);
    // Every box asked for so far, presets answered or not.
    std::vector<MessageBoxRequest> Shown() const;
    // The last box asked for, or nothing when none was.
    std::optional<MessageBoxRequest> Last() const;
    std::size_t PresetAnswersLeft() const;

  private:
    friend std::optional<MessageAnswer> RecordMessageBox(const MessageBoxRequest& request);

    MessageBoxCapture* outer_;
    std::deque<MessageAnswer> presets_;
    std::vector<MessageBoxRequest> shown_;
};

// Called by ShowMessageBox: records the box in the capture in effect and returns its preset
// answer, if any.
std::optional<MessageAnswer> RecordMessageBox(const MessageBoxRequest& request);

}  // namespace tarn::platform::ui
