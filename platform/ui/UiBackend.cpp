#include "platform/ui/UiBackend.h"

#include <atomic>
#include <cstdio>

namespace tarn::platform::ui {
namespace {

class ConsoleUiBackend : public UiBackend {
  public:
    MessageAnswer ShowMessageBox(const MessageBoxRequest& request) override {
        return ShowMessageBoxOnConsole(request);
    }
    void PushPointer(std::int32_t) override {}
    void ChangePointer(std::int32_t) override {}
    void PopPointer() override {}
    void ProcessPendingEvents() override {}
};

ConsoleUiBackend consoleBackend;
std::atomic<UiBackend*> installed{nullptr};

}  // namespace

void InstallUiBackend(UiBackend* backend) {
    installed = backend;
}

UiBackend& CurrentUiBackend() {
    UiBackend* backend = installed;
    return backend ? *backend : consoleBackend;
}

MessageAnswer ShowMessageBoxOnConsole(const MessageBoxRequest& request) {
    // One write, so the line is not torn apart by other output of the program.
    std::string line = request.caption + ": " + request.text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return request.defaultButton;
}

}  // namespace tarn::platform::ui
