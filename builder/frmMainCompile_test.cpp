#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "builder/testing/BuilderTestSupport.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

namespace tarn::builder {
namespace {

using platform::ui::MessageAnswer;
using platform::ui::MessageIcon;
using test::BuilderTest;
using test::Find;

class CompileMenuTest : public BuilderTest {
  protected:
    std::string HotSyncList() {
        auto result = tarn::test::RunProcess((tarn::test::BinDir() / "hotsync").string(), {"list"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }
    bool Enabled(frmMain& window, const char* item) {
        return window.findChild<QAction*>(item)->isEnabled();
    }
};

TEST_F(CompileMenuTest, VerificationShowsOneMessageAndLeavesItsBoxActive) {
    auto window = NewWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    test::FillValidConduit(*window);
    Box(*window, "txtConduitTitle").clear();
    Box(*window, "txtCompanyName").clear();
    Find<QTabWidget>(*window, "SSTab1").setCurrentIndex(2);

    EXPECT_FALSE(window->VerifyConduitSettings());
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Last()->text, "A company name is required");
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Critical);
    EXPECT_EQ(Find<QTabWidget>(*window, "SSTab1").currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), &Box(*window, "txtCompanyName"));

    Box(*window, "txtCompanyName").setText("Tarn Ltd");
    Box(*window, "txtConduitTitle").setText("Orders");
    window->Tables().Item(1)->PalmDatabaseName.clear();
    EXPECT_FALSE(window->VerifyConduitSettings());
    EXPECT_EQ(boxes_.Last()->text, "A palm database name is required for the table Orders");

    window->Tables().Item(1)->PalmDatabaseName = "TarnOrders";
    Box(*window, "txtCreatorID").setText("AB C");
    window->tbToolBar_ButtonClick("Verify");
    EXPECT_EQ(boxes_.Last()->text, "Tarn Conduit settings appear valid.");
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Information);
    EXPECT_EQ(boxes_.Shown().size(), 3u);
}

TEST_F(CompileMenuTest, InstallsAndRemovesTheConduitAsTheHotSyncManagerSeesIt) {
    auto window = NewWindow();
    test::FillValidConduit(*window);
    window->mnuCompile_Opening();
    EXPECT_TRUE(Enabled(*window, "mnuCompilerVerifySettings"));
    EXPECT_TRUE(Enabled(*window, "mnuCompileInstallLocally"));
    EXPECT_FALSE(Enabled(*window, "mnuCompileRemoveConduitLocally"));
    EXPECT_TRUE(Enabled(*window, "mnuCompileCreateInstallation"));

    window->InstallConduitLocally();
    EXPECT_EQ(boxes_.Last()->text, "Conduit has been registered");
    std::string copy = (ProgramFolder() / "TORD.cfg").string();
    ASSERT_TRUE(std::filesystem::exists(copy));
    std::string list = HotSyncList();
    EXPECT_NE(list.find("TORD\tOrders\t2\tTarnConduit2.cTarnConduit\t" + copy), std::string::npos)
        << list;

    window->mnuCompile_Opening();
    EXPECT_FALSE(Enabled(*window, "mnuCompileInstallLocally"));
    EXPECT_TRUE(Enabled(*window, "mnuCompileRemoveConduitLocally"));

    boxes_.PresetAnswers({MessageAnswer::No});
    window->RemoveInstalledConduit();
    EXPECT_EQ(boxes_.Last()->text, "Remove conduit with Creator ID: TORD");
    EXPECT_EQ(boxes_.Last()->caption, "Remove Conduit");
    EXPECT_NE(HotSyncList().find("TORD"), std::string::npos);

    boxes_.PresetAnswers({MessageAnswer::Yes});
    window->RemoveInstalledConduit();
    EXPECT_EQ(boxes_.Last()->text, "Conduit has been unregistered");
    EXPECT_EQ(boxes_.Last()->caption, "Remove Conduit");
    EXPECT_EQ(HotSyncList(), "");
    EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST_F(CompileMenuTest, AnInstalledBuilderKeepsItsCopiesUnderTarnHome) {
    auto window = NewWindow();
    std::ofstream(machine_.root() / "readonly") << "a file, so nothing can be created below it";
    window->SetProgramFolder((machine_.root() / "readonly" / "bin").string());
    test::FillValidConduit(*window);
    window->InstallConduitLocally();
    EXPECT_EQ(boxes_.Last()->text, "Conduit has been registered");
    std::string copy = (machine_.tarnHome() / "conduits" / "TORD.cfg").string();
    EXPECT_TRUE(std::filesystem::exists(copy));
    EXPECT_NE(HotSyncList().find(copy), std::string::npos);
}

TEST_F(CompileMenuTest, AConduitThatDoesNotVerifyIsNotInstalled) {
    auto window = NewWindow();
    test::FillValidConduit(*window);
    Box(*window, "txtVersion").clear();
    window->InstallConduitLocally();
    EXPECT_EQ(boxes_.Last()->text, "A version number for your conduit is required");
    EXPECT_EQ(HotSyncList(), "");
    EXPECT_FALSE(std::filesystem::exists(ProgramFolder() / "TORD.cfg"));
}

// The preview runs the real sync host's dry run of the installed conduit and shows its output;
// neither the desktop nor the chosen handheld folder changes.
TEST_F(CompileMenuTest, PreviewHotSyncShowsWhatASyncWouldDoAndChangesNothing) {
    const std::string bin = tarn::test::BinDir().string();
    ASSERT_EQ(
        tarn::test::RunProcess(bin + "/hotsync", {"regsvr", bin + "/libTarnConduit2.so"}).exitCode,
        0);
    const std::string database = PathIn("orders.db");
    platform::odbc::OpenOdbcEnvironment()
        ->Connect("DRIVER={SQLite3};Database=" + database)
        ->Execute("CREATE TABLE Orders (Id INTEGER); INSERT INTO Orders VALUES (1), (2)");
    const std::string desktopBefore = tarn::test::ReadFileBytes(database);
    const std::filesystem::path handheld = machine_.root() / "handheld";
    std::filesystem::create_directories(handheld);

    auto window = NewWindow();
    test::FillValidConduit(*window);
    window->SetConnection({"SQLite3", "", database, "", "", ""});
    window->mnuCompile_Opening();
    EXPECT_FALSE(Enabled(*window, "mnuCompilePreviewHotSync"));
    window->InstallConduitLocally();
    window->mnuCompile_Opening();
    EXPECT_TRUE(Enabled(*window, "mnuCompilePreviewHotSync"));

    // The builder's tests run outside the program folder: the host is found on the path.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    dialogs_.PresetAnswer(std::nullopt);  // cancelled: nothing runs
    window->PreviewHotSync();
    EXPECT_EQ(window->findChild<QDialog*>("frmPreviewHotSync"), nullptr);
    dialogs_.PresetAnswer(handheld.string());
    window->PreviewHotSync();
    setenv("PATH", path.c_str(), 1);

    auto* preview = window->findChild<QDialog*>("frmPreviewHotSync");
    ASSERT_NE(preview, nullptr);
    const std::string shown =
        preview->findChild<QPlainTextEdit*>("txtPreviewOutput")->toPlainText().toStdString();
    EXPECT_NE(shown.find("Summary of the dry run (nothing was written; a sync would do this):\n"
                         "conduit TORD (Orders)\n  table Orders: desktop 0 added, 0 changed, 0 "
                         "deleted; handheld 2 added, 0 changed, 0 deleted; 0 left alone\n"),
              std::string::npos)
        << shown;
    EXPECT_EQ(tarn::test::ReadFileBytes(database), desktopBefore);
    EXPECT_FALSE(std::filesystem::exists(handheld / "TarnOrders.pdb"));
}

}  // namespace
}  // namespace tarn::builder
