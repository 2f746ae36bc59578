#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>

#include "platform/ui/Display.h"
#include "platform/ui/MessageBoxCapture.h"
#include "platform/ui/testing/RecordingUiBackend.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::ui {
namespace {

using test::ScopedEnv;
using test::TestEnvironment;

TEST(Display, NeedsADisplayThatIsNotOffscreenOrMinimal) {
    TestEnvironment env;
    EXPECT_FALSE(HasDisplay());
    {
        ScopedEnv display("DISPLAY", ":0");
        EXPECT_FALSE(HasDisplay());  // the test environment asks Qt for offscreen
        ScopedEnv platform("QT_QPA_PLATFORM", "");
        EXPECT_TRUE(HasDisplay());
    }
    ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    EXPECT_TRUE(HasDisplay());
    ScopedEnv minimal("QT_QPA_PLATFORM", "minimal");
    EXPECT_FALSE(HasDisplay());
    ScopedEnv offscreenWithOptions("QT_QPA_PLATFORM", "offscreen:fontengine=freetype");
    EXPECT_FALSE(HasDisplay());
}

TEST(MessageBoxHeadless, PrintsCaptionAndTextAndTakesTheDefaultButton) {
    TestEnvironment env;
    RecordingUiBackend backend;  // installed, but without a display it must not be asked

    testing::internal::CaptureStderr();
    MessageAnswer answer =
        ShowMessageBox("Error", "Error registering Conduit", MessageIcon::Critical);
    MessageAnswer no = ShowMessageBox("Save", "Save changes?", MessageIcon::Question,
                                      MessageButtons::YesNoCancel, MessageAnswer::No);
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(answer, MessageAnswer::Ok);
    EXPECT_EQ(no, MessageAnswer::No);
    EXPECT_EQ(err, "Error: Error registering Conduit\nSave: Save changes?\n");
    EXPECT_TRUE(backend.shown.empty());
}

TEST(MessageBoxHeadless, DefaultOutsideTheButtonsFallsBackToTheFirstButton) {
    TestEnvironment env;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowMessageBox("c", "t", MessageIcon::None, MessageButtons::YesNo, MessageAnswer::Ok),
              MessageAnswer::Yes);
    EXPECT_EQ(ShowMessageBox("c", "t", MessageIcon::None, MessageButtons::OkCancel,
                             MessageAnswer::Cancel),
              MessageAnswer::Cancel);
    testing::internal::GetCapturedStderr();
}

TEST(MessageBoxCaption, EmptyCaptionShowsTheProgramTitle) {
    TestEnvironment env;
    std::string before = ProgramTitle();
    SetProgramTitle("Tarn Conduit Register Tool");
    testing::internal::CaptureStderr();
    ShowMessageBox("", "Conduit config file not found", MessageIcon::Critical);
    std::string err = testing::internal::GetCapturedStderr();
    SetProgramTitle(before);
    EXPECT_EQ(err, "Tarn Conduit Register Tool: Conduit config file not found\n");
}

TEST(MessageBoxCapture, PresetAnswersGoToTheNextBoxesInOrderWithoutShowingThem) {
    TestEnvironment env;
    MessageBoxCapture capture;
    capture.PresetAnswers({MessageAnswer::No, MessageAnswer::Cancel});

    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowMessageBox("A", "first?", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    EXPECT_EQ(ShowMessageBox("B", "second?", MessageIcon::Exclamation, MessageButtons::OkCancel),
              MessageAnswer::Cancel);
    EXPECT_EQ(capture.PresetAnswersLeft(), 0u);
    // Presets used up: the box is shown the usual way again.
    EXPECT_EQ(ShowMessageBox("C", "third", MessageIcon::Information), MessageAnswer::Ok);
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(err, "C: third\n");
    std::vector<MessageBoxRequest> shown = capture.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], (MessageBoxRequest{"A", "first?", MessageIcon::Question,
                                           MessageButtons::YesNo, MessageAnswer::Yes}));
    EXPECT_EQ(shown[1].icon, MessageIcon::Exclamation);
    EXPECT_EQ(shown[2].text, "third");
    EXPECT_EQ(capture.Last()->caption, "C");
}

TEST(MessageBoxCapture, InnermostCaptureIsInEffectAndNothingIsRecordedAfterwards) {
    TestEnvironment env;
    MessageBoxCapture outer;
    outer.PresetAnswers({MessageAnswer::Yes});
    {
        MessageBoxCapture inner;
        inner.PresetAnswers({MessageAnswer::No});
        EXPECT_EQ(ShowMessageBox("x", "inner", MessageIcon::None, MessageButtons::YesNo),
                  MessageAnswer::No);
        EXPECT_EQ(inner.Shown().size(), 1u);
    }
    EXPECT_EQ(ShowMessageBox("x", "outer", MessageIcon::None, MessageButtons::YesNo),
              MessageAnswer::Yes);
    ASSERT_EQ(outer.Shown().size(), 1u);
    EXPECT_EQ(outer.Shown()[0].text, "outer");
}

TEST(MessageBoxWithDisplay, GoesToTheInstalledBackendUnlessAnAnswerIsPreset) {
    TestEnvironment env;
    ScopedEnv display("DISPLAY", ":0");
    ScopedEnv platform("QT_QPA_PLATFORM", "");
    RecordingUiBackend backend;

    EXPECT_EQ(ShowMessageBox("Cap", "Text", MessageIcon::Question, MessageButtons::YesNoCancel,
                             MessageAnswer::No),
              MessageAnswer::Cancel);
    ASSERT_EQ(backend.shown.size(), 1u);
    EXPECT_EQ(backend.shown[0],
              (MessageBoxRequest{"Cap", "Text", MessageIcon::Question, MessageButtons::YesNoCancel,
                                 MessageAnswer::No}));

    MessageBoxCapture capture;
    capture.PresetAnswers({MessageAnswer::Ok});
    EXPECT_EQ(ShowMessageBox("Cap", "Preset"), MessageAnswer::Ok);
    EXPECT_EQ(backend.shown.size(), 1u);
}

}  // namespace
}  // namespace tarn::platform::ui
