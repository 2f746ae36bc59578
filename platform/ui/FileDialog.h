#pragma once

#include <optional>
#include <string>

namespace tarn::platform::ui {

enum class FileDialogKind { OpenFile, SaveFile, Folder };

// One file dialog or folder browser as the program asked for it.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::OpenFile;
    std::string caption;  // empty: the toolkit's usual title
    // Pairs of description and pattern separated by "|", as in
    // "Tarn Conduit Config (*.tcf) | *.tcf"; blanks around the parts do not count. Several
    // patterns in one part are separated by ";". Empty: every file.
    std::string filter;
    std::string defaultExtension;  // added to a typed name without one, e.g. "*.tcf" or "tcf"
    std::string initialPath;       // proposed file name or starting folder

    bool operator==(const FileDialogRequest&) const = default;
};

// The one way every program asks the user for a file or a folder. The answer is the full path,
// or nothing when the user cancelled.
//
// Where the answer comes from, first match wins: an answer preset by a test
// (FileDialogCapture.h); without a display, nothing (a line on stderr says so), so scripts and
// tests never hang; otherwise the installed toolkit (see qt/QtUi.h).
std::optional<std::string> ShowFileDialog(const FileDialogRequest& request);

std::optional<std::string> ChooseOpenFile(const std::string& caption, const std::string& filter,
                                          const std::string& initialPath = "",
                                          const std::string& defaultExtension = "");
std::optional<std::string> ChooseSaveFile(const std::string& caption, const std::string& filter,
                                          const std::string& initialPath = "",
                                          const std::string& defaultExtension = "");
std::optional<std::string> BrowseForFolder(const std::string& caption,
                                           const std::string& initialPath = "");

// What a windowing toolkit does for file dialogs. Not owned; nullptr goes back to answering
// every dialog with nothing.
class FileDialogBackend {
  public:
    virtual ~FileDialogBackend() = default;
    virtual std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) = 0;
};
void InstallFileDialogBackend(FileDialogBackend* backend);
FileDialogBackend* InstalledFileDialogBackend();

}  // namespace tarn::platform::ui
