#include "platform/ui/MessageBoxCapture.h"

#include <mutex>

namespace tarn::platform::ui {
namespace {

std::mutex& CaptureMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageBoxCapture* innermost = nullptr;

}  // namespace

MessageBoxCapture::MessageBoxCapture() {
    std::lock_guard lock(CaptureMutex());
    outer_ = innermost;
    innermost = this;
}

MessageBoxCapture::~MessageBoxCapture() {
    std::lock_guard lock(CaptureMutex());
    innermost = outer_;
}

void MessageBoxCapture::PresetAnswers(std::initializer_list<MessageAnswer> answers) {
    std::lock_guard lock(CaptureMutex());
    presets_.insert(presets_.end(), answers.begin(), answers.end());
}

std::vector<MessageBoxRequest> MessageBoxCapture::Shown() const {
    std::lock_guard lock(CaptureMutex());
    return shown_;
}

std::optional<MessageBoxRequest> MessageBoxCapture::Last() const {
    std::lock_guard lock(CaptureMutex());
    if (shown_.empty()) return std::nullopt;
    return shown_.back();
}

std::size_t MessageBoxCapture::PresetAnswersLeft() const {
    std::lock_guard lock(CaptureMutex());
    return presets_.size();
}

std::optional<MessageAnswer> RecordMessageBox(const MessageBoxRequest& request) {
    std::lock_guard lock(CaptureMutex());
    if (!innermost) return std::nullopt;
    innermost->shown_.push_back(request);
    if (innermost->presets_.empty()) return std::nullopt;
    MessageAnswer answer = innermost->presets_.front();
    innermost->presets_.pop_front();
    return answer;
}

}  // namespace tarn::platform::ui
