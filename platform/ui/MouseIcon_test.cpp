#include "platform/ui/MouseIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {
namespace {

class PointerLog : public UiBackend {
  public:
    PointerLog() { InstallUiBackend(this); }
    ~PointerLog() override { InstallUiBackend(nullptr); }

    MessageAnswer ShowMessageBox(const MessageBoxRequest& request) override {
        return request.defaultButton;
    }
    void PushPointer(std::int32_t shape) override {
        calls.push_back("push " + std::to_string(shape));
    }
    void ChangePointer(std::int32_t shape) override {
        calls.push_back("change " + std::to_string(shape));
    }
    void PopPointer() override { calls.push_back("pop"); }
    void ProcessPendingEvents() override {}

    std::vector<std::string> calls;
};

TEST(MouseIcon, HourglassLastsExactlyAsLongAsTheObject) {
    PointerLog log;
    EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);
    {
        MouseIcon busy;
        EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);  // nothing until a shape is set
        busy.set_cMouseIcon(kHourglassPointer);
        EXPECT_EQ(busy.cMouseIcon(), 11);
        EXPECT_EQ(CurrentMouseIcon(), 11);
    }
    EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"push 11", "pop"}));
}

TEST(MouseIcon, NestedOperationsKeepTheOuterPointerUntilItEnds) {
    PointerLog log;
    {
        MouseIcon outer(kHourglassPointer);
        {
            MouseIcon inner(13);
            EXPECT_EQ(CurrentMouseIcon(), 13);
            inner.set_cMouseIcon(kHourglassPointer);
            EXPECT_EQ(CurrentMouseIcon(), 11);
        }
        EXPECT_EQ(CurrentMouseIcon(), 11);
        outer.set_cMouseIcon(kDefaultPointer);  // released early by hand
        EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);
    }
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"push 11", "push 13", "change 11", "pop", "pop"}));
}

}  // namespace
}  // namespace tarn::platform::ui
