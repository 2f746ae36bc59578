#include "platform/ui/MouseIcon.h"

#include <gtest/gtest.h>

#include "platform/ui/testing/RecordingUiBackend.h"

namespace tarn::platform::ui {
namespace {

TEST(MouseIcon, HourglassLastsExactlyAsLongAsTheObject) {
    RecordingUiBackend log;
    EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);
    {
        MouseIcon busy;
        EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);  // nothing until a shape is set
        busy.set_cMouseIcon(kHourglassPointer);
        EXPECT_EQ(busy.cMouseIcon(), 11);
        EXPECT_EQ(CurrentMouseIcon(), 11);
    }
    EXPECT_EQ(CurrentMouseIcon(), kDefaultPointer);
    EXPECT_EQ(log.pointerCalls, (std::vector<std::string>{"push 11", "pop"}));
}

TEST(MouseIcon, NestedOperationsKeepTheOuterPointerUntilItEnds) {
    RecordingUiBackend log;
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
    EXPECT_EQ(log.pointerCalls,
              (std::vector<std::string>{"push 11", "push 13", "change 11", "pop", "pop"}));
}

}  // namespace
}  // namespace tarn::platform::ui
