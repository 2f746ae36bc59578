#include "conduit/ui/ConduitConfiguration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include "common/ui/ModalWindow.h"
#include "common/ui/testing/DialogTestSupport.h"
#include "conduit/ui/ConduitUiTestSupport.h"
#include "platform/ui/MessageBoxCapture.h"

namespace tarn::conduit {
namespace {

TEST(ShowConduitConfiguration, WithoutADisplayTheWindowLoadsAndClosesAsCancelled) {
    test::ConduitMachine m;
    std::string before = test::FileBytes(m.configFile);
    m.state.Settings = {};
    testing::internal::CaptureStderr();
    ShowConduitConfiguration(m.state);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_THAT(err, testing::EndsWith("Conduit Configuration: the window cannot be shown without "
                                       "a display; it is closed as cancelled\n"));
    EXPECT_EQ(m.state.Settings, m.writtenSettings);  // loaded
    EXPECT_EQ(test::FileBytes(m.configFile), before);
}

TEST(ShowConduitConfiguration, AProgramWithoutQtGetsAnApplicationOnlyForTheWindow) {
    if (QCoreApplication::instance()) GTEST_SKIP() << "needs a process without a QApplication";
    test::ConduitMachine m;
    testing::internal::CaptureStderr();
    ShowConduitConfiguration(m.state);
    ShowConduitConfiguration(m.state);  // and again, with a new one
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    // Qt's chatter about its own setup is kept out of the host's console.
    EXPECT_EQ(err.find("QStandardPaths"), std::string::npos) << err;
    EXPECT_EQ(m.state.Settings, m.writtenSettings);
}

TEST(ShowConduitConfiguration, ShowsTheWindowModallyAndReturnsWhenItCloses) {
    ui::test::TestApplication();
    test::ConduitMachine m;
    ui::ModalWindowsDrivenByTest driven;
    std::filesystem::remove(m.configFile);
    m.state.Settings.ConduitTitle = ScrambleString("left over from before");
    bool shown = false;
    platform::ui::MessageBoxCapture boxes;
    ui::test::WhenModalShown("frmMain", [&](QWidget& window) {
        shown = true;
        ui::test::Find<QPushButton>(window, "cmdOK").click();
        ui::test::Find<QPushButton>(window, "cmdCancel").click();
    });
    ShowConduitConfiguration(m.state);
    EXPECT_TRUE(shown);
    // A missing file reads as empty settings, which OK refuses to write in its place.
    EXPECT_EQ(m.state.Settings, ConduitSettings{});
    EXPECT_FALSE(std::filesystem::exists(m.configFile));
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

}  // namespace
}  // namespace tarn::conduit
