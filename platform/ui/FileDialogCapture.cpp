#include "platform/ui/FileDialogCapture.h"

#include <mutex>

namespace tarn::platform::ui {
namespace {

std::mutex& CaptureMutex() {
    static std::mutex mutex;
    return mutex;
}

FileDialogCapture* innermost = nullptr;

}  // namespace

FileDialogCapture::FileDialogCapture() {
    std::lock_guard lock(CaptureMutex());
    outer_ = innermost;
    innermost = this;
}

FileDialogCapture::~FileDialogCapture() {
    std::lock_guard lock(CaptureMutex());
    innermost = outer_;
}

void FileDialogCapture::PresetAnswer(std::optional<std::string> answer) {
    std::lock_guard lock(CaptureMutex());
    presets_.push_back(std::move(answer));
}

std::vector<FileDialogRequest> FileDialogCapture::Shown() const {
    std::lock_guard lock(CaptureMutex());
    return shown_;
}

std::size_t FileDialogCapture::PresetAnswersLeft() const {
    std::lock_guard lock(CaptureMutex());
    return presets_.size();
}

std::optional<std::optional<std::string>> RecordFileDialog(const FileDialogRequest& request) {
    std::lock_guard lock(CaptureMutex());
    if (!innermost) return std::nullopt;
    innermost->shown_.push_back(request);
    if (innermost->presets_.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(innermost->presets_.front());
    innermost->presets_.pop_front();
    return answer;
}

}  // namespace tarn::platform::ui
