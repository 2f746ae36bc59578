#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {

// Stands in for a windowing toolkit while it lives, to see what reaches one: the message boxes
// (each answered Cancel) and every pointer call, in order ("push 11", "change 13", "pop").
class RecordingUiBackend : public UiBackend {
  public:
    RecordingUiBackend() { InstallUiBackend(this); }
    ~RecordingUiBackend() override { InstallUiBackend(nullptr); }
    RecordingUiBackend(const RecordingUiBackend&) = delete;
    RecordingUiBackend& operator=(const RecordingUiBackend&) = delete;

    MessageAnswer ShowMessageBox(const MessageBoxRequest& request) override {
        shown.push_back(request);
        return MessageAnswer::Cancel;
    }
    void PushPointer(std::int32_t shape) override {
        pointerCalls.push_back("push " + std::to_string(shape));
    }
    void ChangePointer(std::int32_t shape) override {
        pointerCalls.push_back("change " + std::to_string(shape));
    }
    void PopPointer() override { pointerCalls.push_back("pop"); }
    void ProcessPendingEvents() override {}

    std::vector<MessageBoxRequest> shown;
    std::vector<std::string> pointerCalls;
};

}  // namespace tarn::platform::ui
