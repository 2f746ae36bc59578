#include "platform/ui/FileDialog.h"

#include <gtest/gtest.h>

#include "platform/ui/FileDialogCapture.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::ui {
namespace {

using test::ScopedEnv;
using test::TestEnvironment;

class AnsweringBackend : public FileDialogBackend {
  public:
    AnsweringBackend() { InstallFileDialogBackend(this); }
    ~AnsweringBackend() override { InstallFileDialogBackend(nullptr); }
    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) override {
        shown.push_back(request);
        return "/chosen/by/user";
    }
    std::vector<FileDialogRequest> shown;
};

TEST(FileDialogHeadless, ChoosesNothingAndSaysWhyOnStderr) {
    TestEnvironment env;
    AnsweringBackend backend;  // installed, but without a display it must not be asked
    testing::internal::CaptureStderr();
    EXPECT_EQ(ChooseOpenFile("", "Microsoft Access Driver (*.mdb) | *.mdb"), std::nullopt);
    EXPECT_EQ(BrowseForFolder("Select the installation path"), std::nullopt);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "Open: no file or folder can be chosen without a display\n"
              "Select the installation path: no file or folder can be chosen without a display\n");
    EXPECT_TRUE(backend.shown.empty());
}

TEST(FileDialogCapture, PresetAnswersGoToTheNextDialogsInOrder) {
    TestEnvironment env;
    FileDialogCapture capture;
    capture.PresetAnswer("/data/orders.mdb");
    capture.PresetAnswer(std::nullopt);
    EXPECT_EQ(ChooseOpenFile("", "Access | *.mdb", ""), "/data/orders.mdb");
    EXPECT_EQ(ChooseSaveFile("", "Installation File (*.exe) | *.exe", "", "*.exe"), std::nullopt);
    EXPECT_EQ(capture.PresetAnswersLeft(), 0u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(BrowseForFolder("Pick"), std::nullopt);  // presets used up: headless again
    testing::internal::GetCapturedStderr();

    std::vector<FileDialogRequest> shown = capture.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0],
              (FileDialogRequest{FileDialogKind::OpenFile, "", "Access | *.mdb", "", ""}));
    EXPECT_EQ(shown[1].kind, FileDialogKind::SaveFile);
    EXPECT_EQ(shown[1].defaultExtension, "*.exe");
    EXPECT_EQ(shown[2].kind, FileDialogKind::Folder);
}

TEST(FileDialogWithDisplay, GoesToTheInstalledBackendUnlessAnAnswerIsPreset) {
    TestEnvironment env;
    ScopedEnv display("DISPLAY", ":0");
    ScopedEnv platform("QT_QPA_PLATFORM", "");
    AnsweringBackend backend;
    EXPECT_EQ(ChooseOpenFile("Open", "All | *.*", "/start"), "/chosen/by/user");
    ASSERT_EQ(backend.shown.size(), 1u);
    EXPECT_EQ(backend.shown[0].initialPath, "/start");

    FileDialogCapture capture;
    capture.PresetAnswer("/preset");
    EXPECT_EQ(ChooseOpenFile("Open", "All | *.*"), "/preset");
    EXPECT_EQ(backend.shown.size(), 1u);
}

}  // namespace
}  // namespace tarn::platform::ui
