#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/FileDialog.h"

namespace tarn::platform::ui {

// For tests: while an object of this class lives, every file dialog is recorded, and preset
// answers (a path, or nothing for a cancelled dialog) go to the next dialogs in order instead of
// showing them. Once the presets are used up, dialogs are shown as usual (without a display:
// nothing chosen). Captures nest; the innermost one is in effect.
class FileDialogCapture {
  public:
    FileDialogCapture();
    ~FileDialogCapture();
    FileDialogCapture(const FileDialogCapture&) = delete;
    FileDialogCapture& operator=(const FileDialogCapture&) = delete;

    void PresetAnswer(std::optional<std::string> answer);
    std::vector<FileDialogRequest> Shown() const;
    std::size_t PresetAnswersLeft() const;

  private:
    friend std::optional<std::optional<std::string>> RecordFileDialog(
        const FileDialogRequest& request);

    FileDialogCapture* outer_;
    std::deque<std::optional<std::string>> presets_;
    std::vector<FileDialogRequest> shown_;
};

// Called by ShowFileDialog: records the dialog in the capture in effect and returns its preset
// answer, if one is left.
std::optional<std::optional<std::string>> RecordFileDialog(const FileDialogRequest& request);

}  // namespace tarn::platform::ui
