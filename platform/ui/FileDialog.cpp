#include "platform/ui/FileDialog.h"

#include <atomic>
#include <cstdio>

#include "platform/ui/Display.h"
#include "platform/ui/FileDialogCapture.h"

namespace tarn::platform::ui {
namespace {

std::atomic<FileDialogBackend*> installed{nullptr};

std::string DefaultCaption(FileDialogKind kind) {
    switch (kind) {
        case FileDialogKind::SaveFile:
            return "Save As";
        case FileDialogKind::Folder:
            return "Browse for Folder";
        case FileDialogKind::OpenFile:
            break;
    }
    return "Open";
}

std::optional<std::string> NothingChosen(const FileDialogRequest& request) {
    std::string caption = request.caption.empty() ? DefaultCaption(request.kind) : request.caption;
    std::string line = caption + ": no file or folder can be chosen without a display\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return std::nullopt;
}

}  // namespace

void InstallFileDialogBackend(FileDialogBackend* backend) {
    installed = backend;
}

FileDialogBackend* InstalledFileDialogBackend() {
    return installed;
}

std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) {
    if (std::optional<std::optional<std::string>> preset = RecordFileDialog(request))
        return *preset;
    FileDialogBackend* backend = installed;
    if (!HasDisplay() || !backend) return NothingChosen(request);
    return backend->ShowFileDialog(request);
}

std::optional<std::string> ChooseOpenFile(const std::string& caption, const std::string& filter,
                                          const std::string& initialPath,
                                          const std::string& defaultExtension) {
    return ShowFileDialog(
        {FileDialogKind::OpenFile, caption, filter, defaultExtension, initialPath});
}

std::optional<std::string> ChooseSaveFile(const std::string& caption, const std::string& filter,
                                          const std::string& initialPath,
                                          const std::string& defaultExtension) {
    return ShowFileDialog(
        {FileDialogKind::SaveFile, caption, filter, defaultExtension, initialPath});
}

std::optional<std::string> BrowseForFolder(const std::string& caption,
                                           const std::string& initialPath) {
    return ShowFileDialog({FileDialogKind::Folder, caption, "", "", initialPath});
}

}  // namespace tarn::platform::ui
