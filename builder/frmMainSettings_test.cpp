#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <fstream>

#include "builder/testing/BuilderTestSupport.h"
#include "common/connection/ConnectionTest.h"
#include "common/ui/testing/DialogTestSupport.h"
#include "platform/odbc/OdbcEnvironment.h"

namespace tarn::builder {
namespace {

using platform::ui::FileDialogKind;
using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using test::BuilderTest;
using test::Find;
using ui::test::WhenModalShown;

const char* const kEveryBox[] = {
    "txtConduitTitle",        "txtCreatorID",        "txtCompanyName",
    "txtConduitShortName",    "txtInstallationPath", "txtVersion",
    "txtFieldDelimiter",      "txtFilterDatabase",   "txtSignaturePath",
    "txtDeletedRecordsTable", "txtPreSyncExecution", "txtPostSyncExecution"};

class MainWindowSettingsTest : public BuilderTest {
  protected:
    void Fill(frmMain& window) {
        for (const char* name : kEveryBox) Box(window, name).setText(QString(name) + " text");
        Box(window, "txtCreatorID").setText("TORD");
        Find<QCheckBox>(window, "chkAllowModifyDatabase").setChecked(false);
        window.SetConnection({"SQLite3", "server", "/data/orders.db", "ann", "pässword", "x=1"});
    }
    // An SQLite database holding a deleted-records table "Deleted".
    std::string DatabaseWithDeletedTable() {
        std::string database = PathIn("desk.db");
        auto odbc = platform::odbc::OpenOdbcEnvironment();
        auto db = odbc->Connect("DRIVER={SQLite3};database=" + database);
        db->Execute("CREATE TABLE Deleted (RecordID INTEGER)");
        return database;
    }
};

TEST_F(MainWindowSettingsTest, StartsWithTablesLockedAndKeepsItsSize) {
    auto window = NewWindow();
    EXPECT_FALSE(Find<QTabWidget>(*window, "SSTab2").isEnabled());
    EXPECT_FALSE(Find<QPushButton>(*window, "cmdTestDeletedRecordsTable").isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(*window, "chkAllowModifyDatabase").isChecked());

    QStringList keys;
    for (QAction* button : Find<QToolBar>(*window, "tbToolBar").actions())
        if (!button->isSeparator()) keys << button->data().toString();
    EXPECT_EQ(keys,
              QStringList({"New", "Open", "Save", "Verify", "TestDatabase", "CreateInstall"}));

    QSize fixed = window->size();
    window->resize(fixed.width() + 200, fixed.height() - 100);
    EXPECT_EQ(window->size(), fixed);
}

TEST_F(MainWindowSettingsTest, ASavedDocumentLoadsBackEveryBoxTheFileKeepsAndItsTables) {
    std::string path = PathIn("orders.tcf");
    {
        auto window = NewWindow();
        Fill(*window);
        auto table = window->Tables().Add("Orders", "TarnOrders", 3, true);
        table->Fields().Add("Id", 3);
        table->Fields().Add("##STATUSFLAG##", 8);
        table->Fields().Add("Region", 10, "Region");
        window->Tables().Add("Lines", "TarnLines", 6, false)->Fields().Add("Qty", 2);
        ASSERT_TRUE(window->SaveConfigFile(path, true));
    }
    auto window = NewWindow();
    ASSERT_TRUE(window->LoadConfigFile(path));
    EXPECT_TRUE(boxes_.Shown().empty());
    for (const char* name : {"txtConduitTitle", "txtCompanyName", "txtConduitShortName",
                             "txtInstallationPath", "txtVersion", "txtSignaturePath",
                             "txtPreSyncExecution", "txtPostSyncExecution", "txtFilterDatabase"})
        EXPECT_EQ(Box(*window, name).text(), QString(name) + " text") << name;
    EXPECT_EQ(Box(*window, "txtCreatorID").text(), "TORD");
    EXPECT_FALSE(Find<QCheckBox>(*window, "chkAllowModifyDatabase").isChecked());
    EXPECT_EQ(window->Connection(), (ConnectionSettings{"SQLite3", "server", "/data/orders.db",
                                                        "ann", "pässword", "x=1"}));
    ASSERT_EQ(window->Tables().Count(), 2);
    auto orders = window->Tables().Item(1);
    EXPECT_EQ(orders->DesktopTableName, "Orders");
    EXPECT_EQ(orders->PalmDatabaseName, "TarnOrders");
    EXPECT_EQ(orders->SyncMethod, 3);
    EXPECT_TRUE(orders->PurgeBeforeSync);
    ASSERT_EQ(orders->Fields().Count(), 3);
    EXPECT_EQ(orders->Fields().Item(2)->FieldName, "##STATUSFLAG##");
    EXPECT_EQ(orders->Fields().Item(2)->DataType, 8);
    EXPECT_EQ(orders->Fields().Item(3)->Filter, "Region");
    EXPECT_EQ(window->Tables().Item(2)->SyncMethod, 6);
}

TEST_F(MainWindowSettingsTest,
       RefusesDeploymentCopiesAndUnreadableFilesWithAReasonAndStaysCleared) {
    std::string copy = PathIn("TORD.cfg");
    {
        auto window = NewWindow();
        Fill(*window);
        ASSERT_TRUE(window->SaveConfigFile(copy, false));
    }
    auto window = NewWindow();
    Fill(*window);
    EXPECT_FALSE(window->LoadConfigFile(copy));
    ASSERT_EQ(boxes_.Shown().size(), 1u);
    EXPECT_EQ(boxes_.Last()->caption, "Load Error");
    EXPECT_EQ(boxes_.Last()->text, "This is an invalid Tarn Conduit configuration file");
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Information);
    EXPECT_TRUE(Box(*window, "txtCompanyName").text().isEmpty());
    EXPECT_EQ(window->Tables().Count(), 0);

    std::string damaged = PathIn("damaged.tcf");
    std::ofstream(damaged, std::ios::binary) << std::string(
        "\xff\xff\x02\x00\x40\x00"
        "abc",
        9);
    Fill(*window);
    dialogs_.PresetAnswer(damaged);
    window->mnuFileOpen_Click();
    ASSERT_EQ(boxes_.Shown().size(), 2u);
    EXPECT_EQ(boxes_.Last()->text, "There was an error loading the configuration file");
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Critical);
    EXPECT_TRUE(Box(*window, "txtCreatorID").text().isEmpty());
    EXPECT_TRUE(window->CurrentFile().empty());
    EXPECT_EQ(window->RecentFileList().Count(), 0);
}

TEST_F(MainWindowSettingsTest, NewKeepsTheFiveBoxesAndTheAllowBoxAndClearsTheRestAfterYes) {
    auto window = NewWindow();
    Fill(*window);
    window->Tables().Add("Orders");

    boxes_.PresetAnswers({MessageAnswer::No});
    window->mnuFileNew_Click();
    EXPECT_EQ(boxes_.Last()->text, "Clear current settings and create a new conduit?");
    EXPECT_EQ(boxes_.Last()->buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Question);
    EXPECT_EQ(Box(*window, "txtCreatorID").text(), "TORD");
    EXPECT_EQ(window->Tables().Count(), 1);

    boxes_.PresetAnswers({MessageAnswer::Yes});
    window->mnuFileNew_Click();
    for (const char* kept : {"txtFieldDelimiter", "txtFilterDatabase", "txtDeletedRecordsTable",
                             "txtPreSyncExecution", "txtPostSyncExecution"})
        EXPECT_EQ(Box(*window, kept).text(), QString(kept) + " text") << kept;
    EXPECT_FALSE(Find<QCheckBox>(*window, "chkAllowModifyDatabase").isChecked());
    for (const char* cleared :
         {"txtCompanyName", "txtConduitTitle", "txtConduitShortName", "txtCreatorID", "txtVersion",
          "txtSignaturePath", "txtInstallationPath"})
        EXPECT_TRUE(Box(*window, cleared).text().isEmpty()) << cleared;
    EXPECT_EQ(window->Connection(), ConnectionSettings{});
    EXPECT_EQ(window->Tables().Count(), 0);
}

TEST_F(MainWindowSettingsTest, PropertyBoxesProposeTheFilterDatabaseAndInsistOnADelimiter) {
    auto window = NewWindow();
    Box(*window, "txtCreatorID").setText("TORD");
    window->txtCreatorID_LostFocus();
    EXPECT_EQ(Box(*window, "txtFilterDatabase").text(), "TarnCFitler-TORD");
    Box(*window, "txtCreatorID").setText("ABCD");
    window->txtCreatorID_LostFocus();
    EXPECT_EQ(Box(*window, "txtFilterDatabase").text(), "TarnCFitler-TORD");

    Box(*window, "txtFieldDelimiter").setText(" ");
    boxes_.PresetAnswers({MessageAnswer::No, MessageAnswer::Yes});
    window->txtFieldDelimiter_LostFocus();
    EXPECT_EQ(boxes_.Last()->text,
              "You must specify a field delimiter. A double quote is the default. Do you want to "
              "use a double quote?");
    EXPECT_EQ(Box(*window, "txtFieldDelimiter").text(), " ");
    window->txtFieldDelimiter_LostFocus();
    EXPECT_EQ(Box(*window, "txtFieldDelimiter").text(), "\"");
    window->txtFieldDelimiter_LostFocus();
    EXPECT_EQ(boxes_.Shown().size(), 2u);
}

// Cancelling a browser or picker keeps what the box held: the user chose nothing.
TEST_F(MainWindowSettingsTest, ACancelledFolderBrowserOrProgramPickerKeepsTheBox) {
    const struct {
        void (frmMain::*click)();
        const char* box;
        FileDialogKind kind;
    } browsers[] = {
        {&frmMain::cmdInstallationPath_Click, "txtInstallationPath", FileDialogKind::Folder},
        {&frmMain::cmdSignaturePath_Click, "txtSignaturePath", FileDialogKind::Folder},
        {&frmMain::cmdPreSyncExecution_Click, "txtPreSyncExecution", FileDialogKind::OpenFile},
        {&frmMain::cmdPostSyncExecution_Click, "txtPostSyncExecution", FileDialogKind::OpenFile},
    };
    auto window = NewWindow();
    for (const auto& b : browsers) {
        dialogs_.PresetAnswer("/usr/local/chosen");
        (window.get()->*b.click)();
        EXPECT_EQ(Box(*window, b.box).text(), "/usr/local/chosen") << b.box;
        dialogs_.PresetAnswer(std::nullopt);
        (window.get()->*b.click)();
        EXPECT_EQ(Box(*window, b.box).text(), "/usr/local/chosen") << b.box;
        EXPECT_EQ(dialogs_.Shown().back().kind, b.kind) << b.box;
    }
}

TEST_F(MainWindowSettingsTest, DatabaseTestEnablesTheDeletedRecordsCheckOnlyAfterSuccess) {
    std::string database = DatabaseWithDeletedTable();
    auto window = NewWindow();
    window->SetConnection({"SQLite3", "", database, "", "", ""});
    window->tbToolBar_ButtonClick("TestDatabase");
    EXPECT_EQ(boxes_.Last()->caption, "Conduit Builder");
    EXPECT_EQ(boxes_.Last()->text, "Successful Connection");
    EXPECT_TRUE(window->TestConnectionStatus());
    EXPECT_TRUE(Find<QPushButton>(*window, "cmdTestDeletedRecordsTable").isEnabled());

    Box(*window, "txtDeletedRecordsTable").setText("Deleted");
    window->cmdTestDeletedRecordsTable_Click();
    EXPECT_EQ(boxes_.Shown().size(), 1u);
    Box(*window, "txtDeletedRecordsTable").setText("NoSuchTable");
    window->cmdTestDeletedRecordsTable_Click();
    EXPECT_EQ(boxes_.Last()->text, "Deleted Record Table not found or misconfigured");
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::None);

    window->SetConnection({"No Such Driver", "", database, "", "", ""});
    window->tbToolBar_ButtonClick("TestDatabase");
    EXPECT_EQ(boxes_.Last()->caption, "Conduit Builder");
    EXPECT_EQ(boxes_.Last()->text.rfind("The connection failed\n", 0), 0u);
    EXPECT_GT(boxes_.Last()->text.size(), std::string("The connection failed\n").size());
    EXPECT_EQ(boxes_.Last()->icon, MessageIcon::Critical);
    EXPECT_FALSE(Find<QPushButton>(*window, "cmdTestDeletedRecordsTable").isEnabled());
}

// The dialog's test opens the same shared connection the toolbar's does, so it counts alike:
// on success and on failure, whether the dialog is then confirmed or not.
TEST_F(MainWindowSettingsTest, ATestInTheConnectionDialogSetsTheDeletedRecordsCheckLikeTheToolbar) {
    std::string database = DatabaseWithDeletedTable();
    auto window = NewWindow();
    QPushButton& check = Find<QPushButton>(*window, "cmdTestDeletedRecordsTable");
    window->SetConnection({"SQLite3", "", database, "", "", ""});
    WhenModalShown("frmDatabaseConnection", [&](QWidget& dialog) {
        Find<QPushButton>(dialog, "cmdTestConnection").click();
        EXPECT_TRUE(check.isEnabled());
        Find<QPushButton>(dialog, "cmdCancel").click();
    });
    window->cmdSetupConnection_Click();
    EXPECT_EQ(boxes_.Last()->text, "Successful Connection");
    EXPECT_TRUE(window->TestConnectionStatus());
    Box(*window, "txtDeletedRecordsTable").setText("Deleted");
    window->cmdTestDeletedRecordsTable_Click();
    EXPECT_EQ(boxes_.Shown().size(), 1u);  // the table was found on the dialog's connection

    WhenModalShown("frmDatabaseConnection", [&](QWidget& dialog) {
        Find<QLineEdit>(dialog, "txtDatabase").setText(QString::fromStdString(PathIn("no/x.db")));
        Find<QPushButton>(dialog, "cmdTestConnection").click();
        Find<QPushButton>(dialog, "cmdOK").click();
    });
    window->cmdSetupConnection_Click();
    EXPECT_EQ(boxes_.Last()->text.rfind("The connection failed", 0), 0u);
    EXPECT_FALSE(window->TestConnectionStatus());
    EXPECT_FALSE(check.isEnabled());
}

}  // namespace
}  // namespace tarn::builder
