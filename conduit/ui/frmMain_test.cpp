#include "conduit/ui/frmMain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "common/ui/ModalWindow.h"
#include "common/ui/testing/DialogTestSupport.h"
#include "conduit/log/DebugLevel.h"
#include "conduit/log/RegistryFunctions.h"
#include "conduit/ui/ConduitUiTestSupport.h"
#include "platform/ui/MessageBoxCapture.h"
#include "tarn/Version.h"

namespace tarn::conduit {
namespace {

using platform::ui::MessageAnswer;
using platform::ui::MessageBoxCapture;
using platform::ui::MessageIcon;
using ui::test::Find;
using ui::test::WhenModalShown;

class ConduitWindowTest : public ::testing::Test {
  protected:
    ConduitWindowTest() { ui::test::TestApplication(); }

    // Shows the window modally and lets `user` work it; returns whether it closed with OK.
    bool Run(frmMain& window, std::function<void(QWidget&)> user) {
        WhenModalShown("frmMain", std::move(user));
        return ui::ExecModal(window) == QDialog::Accepted;
    }

    // Opens the connection dialog from the window, lets `user` work it, and waits until it is
    // closed again.
    void ManageConnection(QWidget& window, std::function<void(QWidget&)> user) {
        WhenModalShown("frmDatabaseConnection", std::move(user));
        Find<QPushButton>(window, "cmdManageConnection").click();
    }

    // Presses OK, which must keep the window open with one critical message, then Cancel;
    // returns the message. `before` runs first, with the window shown.
    std::string OkIsRefused(frmMain& window, const std::function<void()>& before = nullptr) {
        MessageBoxCapture boxes;
        EXPECT_FALSE(Run(window, [&](QWidget& self) {
            if (before) before();
            Find<QPushButton>(self, "cmdOK").click();
            EXPECT_TRUE(self.isVisible());  // still open: only Cancel closes it now
            Find<QPushButton>(self, "cmdCancel").click();
        }));
        EXPECT_FALSE(window.FileWritten());
        EXPECT_EQ(boxes.Shown().size(), 1u);
        if (boxes.Shown().size() != 1) return "";
        EXPECT_EQ(boxes.Shown()[0].caption, "Conduit Configuration");
        EXPECT_EQ(boxes.Shown()[0].icon, MessageIcon::Critical);
        return boxes.Shown()[0].text;
    }

    test::ConduitMachine m_;
    ui::ModalWindowsDrivenByTest driven_;
};

TEST_F(ConduitWindowTest, ShowsWhichConduitThisIsAndTheEnginesVersion) {
    frmMain window(m_.state);
    EXPECT_EQ(Find<QLabel>(window, "lblCompanyName").text(), "Harbour Supplies Ltd");
    EXPECT_EQ(Find<QLabel>(window, "lblConduitTitle").text(), "Orders on the Road");
    EXPECT_EQ(Find<QLabel>(window, "lblVersion").text(), "Version: 1.4");
    EXPECT_EQ(Find<QLabel>(window, "lblEngineVersion").text().toStdString(), kVersionText);
    // The Debug button lies below the window as loaded; the others are inside it.
    EXPECT_GE(Find<QPushButton>(window, "cmdDebug").y(), window.height());
    EXPECT_LE(Find<QPushButton>(window, "cmdCancel").geometry().bottom(), window.height());
    EXPECT_LE(Find<QPushButton>(window, "cmdCancel").geometry().right(), window.width());

    // The window showed the file, it did not keep anything of its own.
    EXPECT_EQ(m_.state.Settings, m_.writtenSettings);
    EXPECT_EQ(m_.state.Tables.Count(), 2);
}

TEST_F(ConduitWindowTest, DatasourceIsEnabledByAnyNonZeroAllowModifyDatabase) {
    for (int16_t allow : {0, 1, 2, -1, 255}) {
        m_.writtenSettings.AllowModifyDatabase = allow;
        m_.Write();
        frmMain window(m_.state);
        EXPECT_EQ(Find<QPushButton>(window, "cmdManageConnection").isEnabled(), allow != 0)
            << allow;
    }
}

TEST_F(ConduitWindowTest, ConnectionDialogOpensWithTheStoredConnectionDescrambled) {
    m_.writtenSettings.DBServer = ScrambleString("ignored-server");
    m_.writtenSettings.DBUsername = ScrambleString("clerk");
    m_.writtenSettings.DBAppend = ScrambleString("Timeout=5");
    m_.Write();
    frmMain window(m_.state);
    std::string database = (m_.machine.root() / "orders.db").string();
    int driverEntries = 0;
    bool ok = Run(window, [&](QWidget& self) {
        for (int round = 0; round < 2; ++round) {
            ManageConnection(self, [&](QWidget& dialog) {
                QComboBox& drivers = Find<QComboBox>(dialog, "cboDBDrivers");
                EXPECT_EQ(drivers.currentText(), "SQLite3");
                EXPECT_EQ(Find<QLineEdit>(dialog, "txtServer").text(), "ignored-server");
                EXPECT_EQ(Find<QLineEdit>(dialog, "txtDatabase").text().toStdString(), database);
                EXPECT_EQ(Find<QLineEdit>(dialog, "txtUsername").text(), "clerk");
                EXPECT_EQ(Find<QLineEdit>(dialog, "txtPassword").text(), "p\u00e4ss");
                EXPECT_EQ(Find<QLineEdit>(dialog, "txtAppend").text(), "Timeout=5");
                // Opened twice, each installed driver is offered once each time.
                if (round == 0)
                    driverEntries = drivers.count();
                else
                    EXPECT_EQ(drivers.count(), driverEntries);
                Find<QPushButton>(dialog, "cmdCancel").click();
            });
        }
        Find<QPushButton>(self, "cmdCancel").click();
    });
    EXPECT_FALSE(ok);
    EXPECT_GE(driverEntries, 1);
}

// Changes the connection in the dialog and confirms it.
void ChangeConnection(QWidget& dialog) {
    QLineEdit& database = Find<QLineEdit>(dialog, "txtDatabase");
    database.clear();
    QTest::keyClicks(&database, "/srv/new orders.db");
    QTest::keyClicks(&Find<QLineEdit>(dialog, "txtUsername"), "night shift");
    QLineEdit& password = Find<QLineEdit>(dialog, "txtPassword");
    password.clear();
    QTest::keyClicks(&password, "n3w");
    Find<QPushButton>(dialog, "cmdOK").click();
}

TEST_F(ConduitWindowTest, CancelAfterChangingTheConnectionLeavesTheFileByteForByte) {
    std::string before = test::FileBytes(m_.configFile);
    frmMain window(m_.state);
    bool ok = Run(window, [&](QWidget& self) {
        ManageConnection(self, ChangeConnection);
        Find<QPushButton>(self, "cmdCancel").click();
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(window.FileWritten());
    EXPECT_EQ(test::FileBytes(m_.configFile), before);
    // The module state still holds the change until the file is read again.
    EXPECT_EQ(DescrambleString(m_.state.Settings.DBUsername), "night shift");
}

TEST_F(ConduitWindowTest, OkWritesTheNewConnectionScrambledAndKeepsEveryTableAndField) {
    frmMain window(m_.state);
    bool ok = Run(window, [&](QWidget& self) {
        ManageConnection(self, ChangeConnection);
        Find<QPushButton>(self, "cmdOK").click();
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(window.FileWritten());

    ConduitSettings expected = m_.writtenSettings;
    expected.DBDatabase = ScrambleString("/srv/new orders.db");
    expected.DBUsername = ScrambleString("night shift");
    expected.DBPassword = ScrambleString("n3w");
    std::string expectedBytes;
    ASSERT_TRUE(EncodeConfig(expected, m_.writtenTables, expectedBytes));
    EXPECT_EQ(test::FileBytes(m_.configFile), expectedBytes);
    // Scrambled on disk: the plain password is nowhere in the file.
    EXPECT_EQ(test::FileBytes(m_.configFile).find("night shift"), std::string::npos);

    ConduitSettings reread;
    colTables tables;
    ASSERT_TRUE(ReadConfigFile(m_.configFile.string(), reread, tables));
    EXPECT_EQ(DescrambleString(reread.DBPassword), "n3w");
    EXPECT_EQ(DescrambleString(reread.DBDriver), "SQLite3");
    ASSERT_EQ(tables.Count(), 2);
    EXPECT_EQ(tables.Item(2)->DesktopTableName, "Order Items");
    EXPECT_EQ(tables.Item(2)->SyncMethod, 3);
    EXPECT_TRUE(tables.Item(2)->PurgeBeforeSync);
    EXPECT_EQ(tables.Item(1)->Fields().Item(2)->Filter, "Region");
}

TEST_F(ConduitWindowTest, OkWithoutAnyChangeRewritesTheSameBytes) {
    std::string before = test::FileBytes(m_.configFile);
    std::filesystem::last_write_time(
        m_.configFile, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    auto oldTime = std::filesystem::last_write_time(m_.configFile);
    frmMain window(m_.state);
    EXPECT_TRUE(Run(window, [](QWidget& self) { Find<QPushButton>(self, "cmdOK").click(); }));
    EXPECT_EQ(test::FileBytes(m_.configFile), before);
    EXPECT_NE(std::filesystem::last_write_time(m_.configFile), oldTime);  // really rewritten
}

TEST_F(ConduitWindowTest, DebugCyclesTheLevelWithItsMessages) {
    frmMain window(m_.state);
    MessageBoxCapture boxes;
    Run(window, [&](QWidget& self) {
        QPushButton& debug = Find<QPushButton>(self, "cmdDebug");
        for (int click = 0; click < 4; ++click) debug.click();
        Find<QPushButton>(self, "cmdCancel").click();
    });
    std::vector<std::string> texts;
    for (const auto& box : boxes.Shown()) {
        texts.push_back(box.text);
        EXPECT_EQ(box.icon, MessageIcon::Information);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Debug level is set to medium", "Debug level is set to high",
                         "Debug level is set to none", "Debug level is set to low"}));
    EXPECT_EQ(GetDebugLevel(m_.platform.Registry()), 1);

    // A level above the cycle grows by one and says nothing.
    SetRegistryValue(m_.platform.Registry(), kDebugLevelKey, kDebugLevelValue, "7",
                     platform::kHkeyLocalMachine, platform::kRegSz);
    MessageBoxCapture quiet;
    Find<QPushButton>(window, "cmdDebug").click();
    EXPECT_TRUE(quiet.Shown().empty());
    EXPECT_EQ(GetDebugLevel(m_.platform.Registry()), 8);
}

TEST_F(ConduitWindowTest, AfterAFailedReadOkKeepsTheFileAndSaysWhy) {
    // Two tables of one name: the reader stops at the second, with only part of the file read.
    std::string bytes;
    m_.writtenTables.Item(2)->DesktopTableName = "ORDERS";
    ASSERT_TRUE(EncodeConfig(m_.writtenSettings, m_.writtenTables, bytes));
    ASSERT_TRUE(platform::WriteFileAtomically(m_.configFile, bytes));

    frmMain window(m_.state);
    EXPECT_EQ(Find<QLabel>(window, "lblConduitTitle").text(), "Orders on the Road");
    EXPECT_EQ(m_.state.Tables.Count(), 1);
    const std::string message = OkIsRefused(window);
    EXPECT_EQ(test::FileBytes(m_.configFile), bytes);
    EXPECT_NE(message.find("could not be read completely"), std::string::npos);
    EXPECT_NE(message.find(m_.configFile.string()), std::string::npos);
}

// A description file deleted after registration reads as an empty description; "&Ok" must
// not write that empty description as the conduit's file.
TEST_F(ConduitWindowTest, AMissingFileIsReportedAndNeverWrittenEmpty) {
    std::filesystem::remove(m_.configFile);
    frmMain window(m_.state);
    const std::string message = OkIsRefused(window);
    EXPECT_FALSE(std::filesystem::exists(m_.configFile));
    EXPECT_NE(message.find(m_.configFile.string() + " could not be read ("), std::string::npos)
        << message;
    EXPECT_NE(message.find("Nothing has been saved"), std::string::npos);
}

TEST_F(ConduitWindowTest, AFileThatCannotBeReplacedIsReportedAndNotTakenAsWritten) {
    frmMain window(m_.state);
    const std::string message = OkIsRefused(window, [&] {
        // The folder of the file disappears behind the window's back; a plain file takes its
        // name, so nothing can be written there.
        std::filesystem::remove_all(m_.configFile.parent_path());
        std::ofstream(m_.configFile.parent_path()) << "in the way";
    });
    EXPECT_NE(message.find("could not be saved"), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::is_regular_file(m_.configFile.parent_path()));
}

TEST_F(ConduitWindowTest, WithoutAConfigurationPathOkExplainsThatNothingCanBeSaved) {
    m_.state.ConfigPath.clear();
    m_.state.Settings = {};
    m_.state.Tables = colTables();
    frmMain window(m_.state);
    EXPECT_EQ(Find<QLabel>(window, "lblVersion").text(), "Version: ");
    EXPECT_FALSE(Find<QPushButton>(window, "cmdManageConnection").isEnabled());
    EXPECT_EQ(OkIsRefused(window),
              "This conduit has no configuration file, so the settings cannot be saved.\r\n"
              "Press Cancel to close the window.");
}

TEST_F(ConduitWindowTest, TestingTheConnectionFromTheConduitWindowUsesTheRealDriver) {
    if (tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty())
        GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    frmMain window(m_.state);
    MessageBoxCapture boxes;
    Run(window, [&](QWidget& self) {
        ManageConnection(self, [](QWidget& dialog) {
            Find<QPushButton>(dialog, "cmdTestConnection").click();
            Find<QPushButton>(dialog, "cmdCancel").click();
        });
        Find<QPushButton>(self, "cmdCancel").click();
    });
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Successful Connection");
}

TEST_F(ConduitWindowTest, ALongTitleIsShownWholeAndPushesTheRestDown) {
    frmMain usual(m_.state);
    const int usualHeight = usual.height();
    const int usualCompanyTop = Find<QLabel>(usual, "lblCompanyName").y();

    m_.writtenSettings.ConduitTitle = ScrambleString(
        "Orders, Deliveries and Returns of the Northern Region Sales Force on the Road");
    m_.Write();
    frmMain window(m_.state);
    QLabel& title = Find<QLabel>(window, "lblConduitTitle");
    ASSERT_GT(title.fontMetrics().horizontalAdvance(title.text()), title.width());
    EXPECT_GE(title.height(), title.heightForWidth(title.width()));
    EXPECT_LE(title.geometry().right(), window.width());
    QLabel& company = Find<QLabel>(window, "lblCompanyName");
    EXPECT_GT(company.y(), usualCompanyTop);
    EXPECT_GT(company.y(), title.geometry().bottom());
    EXPECT_EQ(window.height() - usualHeight, company.y() - usualCompanyTop);
    EXPECT_LE(Find<QPushButton>(window, "cmdCancel").geometry().bottom(), window.height());
    EXPECT_GE(Find<QPushButton>(window, "cmdDebug").y(), window.height());
}

}  // namespace
}  // namespace tarn::conduit
