#include <QAction>
#include <QLineEdit>
#include <QSettings>
#include <filesystem>
#include <fstream>

#include "builder/testing/BuilderTestSupport.h"
#include "tarn/Version.h"

namespace tarn::builder {
namespace {

using platform::ui::MessageAnswer;
using test::BuilderTest;
using test::Find;

class FileCommandsTest : public BuilderTest {
  protected:
    // A document of its own Creator ID in the test's folder.
    std::string Document(const std::string& name, const std::string& creatorId) {
        auto window = NewWindow();
        Find<QLineEdit>(*window, "txtCreatorID").setText(QString::fromStdString(creatorId));
        std::string path = PathIn(name);
        EXPECT_TRUE(window->SaveConfigFile(path, true));
        return path;
    }
    void Open(frmMain& window, const std::string& path) {
        dialogs_.PresetAnswer(path);
        window.mnuFileOpen_Click();
    }
    QStringList StoredValues() {
        QSettings store("TarnConduit", "TarnConduit");
        store.beginGroup("MRUList");
        QStringList values;
        for (const QString& key : store.childKeys())
            values << key + "=" + store.value(key).toString();
        return values;
    }
};

TEST_F(FileCommandsTest, RecentFilesFindDuplicatesWithoutLetterCaseAndKeepFour) {
    std::string lower = Document("conduit.tcf", "ONE1");
    auto window = NewWindow();
    Open(*window, lower);
    ASSERT_EQ(window->CurrentFile(), lower);

    // The same file in other letters is one entry (a case-blind folder would open it).
    std::string upper = PathIn("CONDUIT.TCF");
    std::filesystem::copy_file(lower, upper);
    boxes_.PresetAnswers({MessageAnswer::No});
    Open(*window, upper);
    ASSERT_EQ(window->RecentFileList().Count(), 1);
    EXPECT_EQ(window->RecentFileList().Title(0), upper);
    EXPECT_EQ(window->findChild<QAction*>("mnuFileMRUItem_1")->text(),
              QString::fromStdString("&1 " + upper));
    EXPECT_TRUE(window->findChild<QAction*>("mnuFileMRUItem_1")->isVisible());
    EXPECT_FALSE(window->findChild<QAction*>("mnuFileMRUItem_2")->isVisible());

    std::vector<std::string> more;
    for (int i = 2; i <= 5; ++i) {
        more.push_back(Document("c" + std::to_string(i) + ".tcf", "ABC" + std::to_string(i)));
        boxes_.PresetAnswers({MessageAnswer::No});
        Open(*window, more.back());
    }
    ASSERT_EQ(window->RecentFileList().Count(), 4);
    EXPECT_EQ(window->RecentFileList().Title(0), more[3]);
    EXPECT_EQ(window->RecentFileList().Title(3), more[0]);
    QStringList stored = StoredValues();
    EXPECT_EQ(stored.size(), 8);
    EXPECT_TRUE(stored.contains(QString::fromStdString("Name1=" + more[3])));
    EXPECT_TRUE(stored.contains(QString::fromStdString("Title4=" + more[0])));
    EXPECT_FALSE(stored.join("\n").contains(QString::fromStdString(upper)));

    // A new window reads the list back.
    auto later = NewWindow();
    ASSERT_EQ(later->RecentFileList().Count(), 4);
    EXPECT_EQ(later->RecentFileList().Name(1), more[2]);
}

TEST_F(FileCommandsTest, SavePromptOnlyWithACurrentFileAndNoNeverWrites) {
    auto window = NewWindow();
    window->mnuFileNew_Click();  // never saved: only the clear question
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Last()->text, "Clear current settings and create a new conduit?");

    std::string path = PathIn("saved.tcf");
    Find<QLineEdit>(*window, "txtCreatorID").setText("SAVE");
    dialogs_.PresetAnswer(path);
    window->mnuFileSaveAs_Click();
    EXPECT_EQ(window->CurrentFile(), path);
    EXPECT_EQ(dialogs_.Shown().back().filter, "Tarn Conduit Config (*.tcf) | *.tcf");
    EXPECT_EQ(dialogs_.Shown().back().kind, platform::ui::FileDialogKind::SaveFile);
    window->mnuFile_Opening();
    EXPECT_TRUE(window->findChild<QAction*>("mnuFileSave")->isEnabled());
    EXPECT_EQ(window->findChild<QAction*>("mnuFileSave")->text(),
              QString::fromStdString("&Save (" + path + ")"));

    Find<QLineEdit>(*window, "txtCreatorID").setText("EDIT");
    auto before = std::filesystem::last_write_time(path);
    boxes_.PresetAnswers({MessageAnswer::No, MessageAnswer::No});
    window->mnuFileNew_Click();
    EXPECT_EQ(boxes_.Shown()[1].text, "Save the current settings?");
    EXPECT_EQ(std::filesystem::last_write_time(path), before);

    boxes_.PresetAnswers({MessageAnswer::Yes, MessageAnswer::Yes});
    window->mnuFileNew_Click();
    auto reread = NewWindow();
    ASSERT_TRUE(reread->LoadConfigFile(path));
    EXPECT_EQ(Find<QLineEdit>(*reread, "txtCreatorID").text(), "EDIT");
    EXPECT_TRUE(window->CurrentFile().empty());
    window->mnuFile_Opening();
    EXPECT_FALSE(window->findChild<QAction*>("mnuFileSave")->isEnabled());
}

// A save that fails says so, and what was to follow it (a new document, closing) does not
// throw away the document on screen, which is then the only copy.
TEST_F(FileCommandsTest, AFailedSaveIsReportedAndKeepsTheDocument) {
    std::filesystem::create_directories(PathIn("gone"));
    std::string path = Document("gone/doc.tcf", "GONE");
    auto window = NewWindow();
    Open(*window, path);
    std::filesystem::remove_all(PathIn("gone"));
    Find<QLineEdit>(*window, "txtCompanyName").setText("Unsaved Ltd");

    window->mnuFileSave_Click();
    EXPECT_EQ(boxes_.Last()->text, "There was an error saving the config file");
    EXPECT_EQ(boxes_.Last()->icon, platform::ui::MessageIcon::Critical);

    boxes_.PresetAnswers({MessageAnswer::Yes});
    window->mnuFileNew_Click();
    EXPECT_EQ(boxes_.Last()->text, "There was an error saving the config file");
    EXPECT_EQ(window->CurrentFile(), path);
    EXPECT_EQ(Find<QLineEdit>(*window, "txtCompanyName").text(), "Unsaved Ltd");

    boxes_.PresetAnswers({MessageAnswer::Yes});
    EXPECT_FALSE(window->close());
    EXPECT_EQ(Find<QLineEdit>(*window, "txtCompanyName").text(), "Unsaved Ltd");

    dialogs_.PresetAnswer(PathIn("gone/other.tcf"));
    window->mnuFileSaveAs_Click();
    EXPECT_EQ(window->CurrentFile(), path);
    EXPECT_EQ(window->RecentFileList().Count(), 1);
}

// The caption names the open document by its file name, after the program and its version.
TEST_F(FileCommandsTest, TheCaptionNamesTheOpenDocumentAndRecentEntriesOpenInPlace) {
    const QString program = QString("Tarn Conduit Builder - ") + kVersionText;
    std::string orders = Document("orders.tcf", "ORDR");
    auto window = NewWindow();
    EXPECT_EQ(window->windowTitle(), program);

    Open(*window, orders);
    EXPECT_EQ(window->windowTitle(), program + " - orders.tcf");
    dialogs_.PresetAnswer(PathIn("copy.tcf"));
    window->mnuFileSaveAs_Click();
    EXPECT_EQ(window->windowTitle(), program + " - copy.tcf");

    boxes_.PresetAnswers({MessageAnswer::No});
    window->mnuFileNew_Click();
    EXPECT_EQ(window->windowTitle(), program);

    // A recent entry opens without moving up the list; a missing one is reported.
    window->mnuFileMRUItem_Click(1);
    EXPECT_EQ(window->windowTitle(), program + " - orders.tcf");
    EXPECT_EQ(Box(*window, "txtCreatorID").text(), "ORDR");
    EXPECT_EQ(window->RecentFileList().Title(0), PathIn("copy.tcf"));
    std::filesystem::remove(PathIn("copy.tcf"));
    boxes_.PresetAnswers({MessageAnswer::No});
    window->mnuFileMRUItem_Click(0);
    EXPECT_EQ(boxes_.Last()->text, "File not found");
    EXPECT_EQ(window->RecentFileList().Count(), 2);
    EXPECT_EQ(window->CurrentFile(), orders);
    // A document that cannot be read leaves none open.
    std::ofstream(PathIn("broken.tcf")) << "x";
    boxes_.PresetAnswers({MessageAnswer::No});
    Open(*window, PathIn("broken.tcf"));
    EXPECT_EQ(window->CurrentFile(), "");
    EXPECT_EQ(window->windowTitle(), program);

    // A document named at start opens without touching the recent files.
    auto started = NewWindow();
    const std::string latest = started->RecentFileList().Title(0);
    started->OpenDocumentAtStart(orders);
    EXPECT_EQ(started->windowTitle(), program + " - orders.tcf");
    EXPECT_EQ(started->CurrentFile(), orders);
    EXPECT_EQ(Box(*started, "txtCreatorID").text(), "ORDR");
    EXPECT_EQ(started->RecentFileList().Count(), 2);
    EXPECT_EQ(started->RecentFileList().Title(0), latest);
}

}  // namespace
}  // namespace tarn::builder
