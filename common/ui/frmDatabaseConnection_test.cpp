#include "common/ui/frmDatabaseConnection.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "common/connection/ConnectionTest.h"
#include "common/ui/ListControls.h"
#include "common/ui/ModalWindow.h"
#include "common/ui/testing/DialogTestSupport.h"
#include "platform/ui/FileDialogCapture.h"
#include "platform/ui/MessageBoxCapture.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::ui {
namespace {

using platform::ui::MessageAnswer;
using platform::ui::MessageBoxCapture;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using test::Find;
using test::WhenModalShown;

constexpr char kAccess[] = "Microsoft Access Driver (*.mdb)";

bool HaveSqliteDriver() {
    return !tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so").empty();
}

class ConnectionDialogTest : public ::testing::Test {
  protected:
    ConnectionDialogTest() {
        test::TestApplication();
        machine_.addOdbcDriver(kAccess, "/nonexistent/libaccess.so");
        machine_.addOdbcDriver("Microsoft Text Driver (*.txt; *.csv)", "/nonexistent/libtext.so");
        machine_.addOdbcDriver("Microsoft Excel Driver (*.xls)", "/nonexistent/libexcel.so");
        machine_.addOdbcDriver("PostgreSQL Unicode", "/nonexistent/psqlodbcw.so");
    }
    ~ConnectionDialogTest() override { ReleaseTestedConnection(); }

    QString Label(frmDatabaseConnection& dialog, const char* name) {
        return Find<QLabel>(dialog, name).text();
    }
    std::string Preview(QWidget& dialog) {
        return Find<QPlainTextEdit>(dialog, "txtPreviewConnect").toPlainText().toStdString();
    }

    tarn::test::TestEnvironment machine_;
    // Tests take over the modal windows unless one asks to see the program on its own.
    std::optional<ModalWindowsDrivenByTest> driven_{std::in_place};
};

TEST_F(ConnectionDialogTest, OffersNoneFirstAndTheInstalledDriversButNoTextOrSpreadsheetOnes) {
    frmDatabaseConnection dialog(kBuilderDefaultDriver);
    QComboBox& drivers = Find<QComboBox>(dialog, "cboDBDrivers");
    QStringList entries;
    for (int i = 0; i < drivers.count(); ++i) entries << drivers.itemText(i);
    QStringList expected = {"(None)", kAccess, "PostgreSQL Unicode"};
    if (HaveSqliteDriver()) expected.insert(1, "SQLite3");
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(drivers.currentText(), "(None)");

    // Filling again offers each driver once.
    FillDriverList(drivers);
    EXPECT_EQ(drivers.count(), expected.size());
}

TEST_F(ConnectionDialogTest, AFileBasedDriverSwitchesToAFileAndBackToAServer) {
    frmDatabaseConnection dialog(kBuilderDefaultDriver);
    QComboBox& drivers = Find<QComboBox>(dialog, "cboDBDrivers");
    QLineEdit& database = Find<QLineEdit>(dialog, "txtDatabase");
    QPushButton& path = Find<QPushButton>(dialog, "cmdServerPath");
    EXPECT_TRUE(path.isHidden());
    database.setText("orders");

    for (bool file : {true, false}) {
        ASSERT_TRUE(SelectListItem(drivers, file ? kAccess : "PostgreSQL Unicode"));
        EXPECT_EQ(Label(dialog, "lblServer"), file ? "Database File:" : "Server Name:");
        EXPECT_EQ(path.isHidden(), !file);
        EXPECT_EQ(Find<QLabel>(dialog, "lblDatabase").isEnabled(), !file);
        EXPECT_EQ(database.isEnabled(), !file);
        EXPECT_EQ(database.text(), "");  // emptied by the file, not given back by the server
    }
}

// The conduit library starts with the embedded database's driver.
TEST_F(ConnectionDialogTest, SelectingTakesOnlyAnExactMatchAndOtherwiseKeepsTheDefault) {
    frmDatabaseConnection dialog(kConduitDefaultDriver);
    EXPECT_EQ(dialog.EnteredSettings(), (ConnectionSettings{"SQLite3", "", "", "", "", ""}));
    QComboBox& drivers = Find<QComboBox>(dialog, "cboDBDrivers");
    EXPECT_FALSE(SelectListItem(drivers, "postgresql unicode"));
    EXPECT_FALSE(SelectListItem(drivers, "Microsoft Access Driver"));
    EXPECT_EQ(drivers.currentText(), "SQLite3");
    EXPECT_EQ(Label(dialog, "lblServer"), "Server/Path:");  // no click happened

    // A stored driver that is no longer installed: the default stays, and OK stores it.
    dialog.ShowStoredSettings({"Gone Driver 1.0", "srv", "db", "me", "pw", ""});
    EXPECT_EQ(dialog.EnteredSettings(),
              (ConnectionSettings{"SQLite3", "srv", "db", "me", "pw", ""}));
}

// The calling protocol of both callers, on settings the caller keeps.
ConnectionSettings EditConnection(const ConnectionSettings& stored,
                                  std::function<void(QWidget&)> user) {
    ConnectionSettings kept = stored;
    frmDatabaseConnection dialog(kConduitDefaultDriver);
    dialog.ShowStoredSettings(stored);
    WhenModalShown("frmDatabaseConnection", user);
    if (dialog.SetDataBaseSettings()) kept = dialog.EnteredSettings();
    return kept;
}

TEST_F(ConnectionDialogTest, ThePreviewFollowsTheTypingAndTheDriverWithThePasswordStarred) {
    ConnectionSettings stored{"PostgreSQL Unicode", "db.example", "orders", "", "", ""};
    ConnectionSettings entered = EditConnection(stored, [&](QWidget& window) {
        EXPECT_TRUE(Find<QPushButton>(window, "cmdTestConnection").isEnabled());
        EXPECT_EQ(Preview(window),
                  "DRIVER={PostgreSQL Unicode};SERVER=db.example;DBQ=db.example;"
                  "database=orders;DB=orders");
        QLineEdit& password = Find<QLineEdit>(window, "txtPassword");
        EXPECT_EQ(password.echoMode(), QLineEdit::Password);
        EXPECT_EQ(
            password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
            '*');
        QTest::keyClicks(&Find<QLineEdit>(window, "txtUsername"), "sales");
        QTest::keyClicks(&password, "secret");
        QTest::keyClicks(&Find<QLineEdit>(window, "txtAppend"), "Port=5433");
        const std::string rest = ";SERVER=db.example;DBQ=db.example";
        const std::string user = ";UID=sales;PWD=XXXXXX;Port=5433";
        EXPECT_EQ(Preview(window),
                  "DRIVER={PostgreSQL Unicode}" + rest + ";database=orders;DB=orders" + user);
        // A driver chosen empties the database box; a driver typed counts as well.
        QComboBox& drivers = Find<QComboBox>(window, "cboDBDrivers");
        SelectListItem(drivers, kAccess);
        EXPECT_EQ(Preview(window), "DRIVER={Microsoft Access Driver (*.mdb)}" + rest + user);
        drivers.setCurrentText("");
        QTest::keyClicks(&drivers, "MariaDB Unicode");
        EXPECT_EQ(Preview(window), "DRIVER={MariaDB Unicode}" + rest + user);
        Find<QPushButton>(window, "cmdOK").click();
    });
    EXPECT_EQ(entered, (ConnectionSettings{"MariaDB Unicode", "db.example", "", "sales", "secret",
                                           "Port=5433"}));
}

TEST_F(ConnectionDialogTest, PathBrowsesForAFileOfTheDriversKindAndPutsItIntoTheServerBox) {
    platform::ui::FileDialogCapture files;
    files.PresetAnswer("/data/orders.mdb");
    files.PresetAnswer(std::nullopt);
    const ConnectionSettings stored{kAccess, "", "", "", "", ""};
    ConnectionSettings kept = EditConnection(stored, [&](QWidget& window) {
        Find<QPushButton>(window, "cmdServerPath").click();
        EXPECT_EQ(Find<QLineEdit>(window, "txtServer").text(), "/data/orders.mdb");
        EXPECT_EQ(Preview(window),
                  "DRIVER={Microsoft Access Driver (*.mdb)};SERVER=/data/orders.mdb;"
                  "DBQ=/data/orders.mdb");
        // Cancelling the file dialog keeps the path.
        Find<QPushButton>(window, "cmdServerPath").click();
        EXPECT_EQ(Find<QLineEdit>(window, "txtServer").text(), "/data/orders.mdb");
        Find<QPushButton>(window, "cmdCancel").click();
    });
    EXPECT_EQ(kept, stored);
    std::vector<platform::ui::FileDialogRequest> shown = files.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], (platform::ui::FileDialogRequest{
                            platform::ui::FileDialogKind::OpenFile, "",
                            "Microsoft Access Driver (*.mdb) | *.mdb | All Files | *", "", ""}));
}

// SQLite's driver reads its file from the database box only, so that box is the one to browse.
TEST_F(ConnectionDialogTest, SqliteBrowsesForItsDatabaseFileIntoTheDatabaseBox) {
    platform::ui::FileDialogCapture files;
    files.PresetAnswer("/data/orders.sqlite");
    files.PresetAnswer(std::nullopt);
    ConnectionSettings entered =
        EditConnection({"SQLite3", "", "/data/old.db", "", "", ""}, [&](QWidget& window) {
            QPushButton& browse = Find<QPushButton>(window, "cmdDatabasePath");
            EXPECT_FALSE(browse.isHidden());
            EXPECT_TRUE(Find<QPushButton>(window, "cmdServerPath").isHidden());
            EXPECT_TRUE(Find<QLineEdit>(window, "txtDatabase").isEnabled());
            browse.click();
            EXPECT_EQ(Find<QLineEdit>(window, "txtDatabase").text(), "/data/orders.sqlite");
            EXPECT_EQ(Preview(window),
                      "DRIVER={SQLite3};SERVER=;DBQ=;database=/data/orders.sqlite;"
                      "DB=/data/orders.sqlite");
            browse.click();  // cancelled: the path stays
            EXPECT_EQ(Find<QLineEdit>(window, "txtDatabase").text(), "/data/orders.sqlite");

            // Server drivers name a database, not a file.
            SelectListItem(Find<QComboBox>(window, "cboDBDrivers"), "PostgreSQL Unicode");
            EXPECT_TRUE(browse.isHidden());
            Find<QPushButton>(window, "cmdOK").click();
        });
    EXPECT_EQ(entered.Database, "/data/orders.sqlite");  // kept for the server driver
    std::vector<platform::ui::FileDialogRequest> shown = files.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, platform::ui::FileDialogKind::OpenFile);
    EXPECT_EQ(shown[0].initialPath, "/data/old.db");
    EXPECT_EQ(shown[0].filter,
              "Database Files (*.db;*.sqlite;*.sqlite3;*.db3) | *.db;*.sqlite;*.sqlite3;*.db3"
              " | All Files | *");
}

TEST_F(ConnectionDialogTest, CancelAfterEditingLeavesTheCallersSettingsUnchanged) {
    ConnectionSettings stored{"PostgreSQL Unicode", "srv", "db", "me", "pw", "Port=1"};
    // The file-based driver empties and locks the database box.
    ConnectionSettings edited{kAccess, "srvchanged", "", "mechanged", "pwchanged", "Port=1changed"};
    for (const char* button : {"cmdCancel", "", "cmdOK"}) {  // "": the window's own close box
        ConnectionSettings kept = EditConnection(stored, [&](QWidget& window) {
            SelectListItem(Find<QComboBox>(window, "cboDBDrivers"), kAccess);
            for (const char* box :
                 {"txtServer", "txtDatabase", "txtUsername", "txtPassword", "txtAppend"})
                QTest::keyClicks(&Find<QLineEdit>(window, box), "changed");
            if (*button)
                Find<QPushButton>(window, button).click();
            else
                window.close();
        });
        EXPECT_EQ(kept, std::string(button) == "cmdOK" ? edited : stored) << button;
    }
}

TEST_F(ConnectionDialogTest, WithoutADisplayTheDialogIsNotShownAndCountsAsCancelled) {
    frmDatabaseConnection dialog(kBuilderDefaultDriver);
    driven_.reset();
    testing::internal::CaptureStderr();
    bool confirmed = dialog.SetDataBaseSettings();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(err,
              "Database Connection Configuration: the window cannot be shown without a display; "
              "it is closed as cancelled\n");
}

TEST_F(ConnectionDialogTest, TestingReportsSuccessAndFailureWithTheDriversText) {
    if (!HaveSqliteDriver()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    std::string good = (machine_.root() / "orders.db").string();
    std::string bad = (machine_.root() / "missing" / "orders.db").string();
    frmDatabaseConnection dialog(kConduitDefaultDriver);
    dialog.ShowStoredSettings({"SQLite3", "", good, "", "", ""});
    MessageBoxCapture boxes;
    boxes.PresetAnswers({MessageAnswer::Ok, MessageAnswer::Ok});
    std::optional<bool> afterSuccess;
    WhenModalShown("frmDatabaseConnection", [&](QWidget& window) {
        Find<QPushButton>(window, "cmdTestConnection").click();
        afterSuccess = dialog.TestConnectionStatus();
        QLineEdit& database = Find<QLineEdit>(window, "txtDatabase");
        database.setText(QString::fromStdString(bad));
        Find<QPushButton>(window, "cmdTestConnection").click();
        EXPECT_TRUE(window.isVisible());  // the dialog stays open with its values
        EXPECT_EQ(database.text().toStdString(), bad);
        Find<QPushButton>(window, "cmdCancel").click();
    });
    EXPECT_EQ(dialog.TestConnectionStatus(), std::nullopt);
    dialog.SetDataBaseSettings();

    EXPECT_EQ(afterSuccess, true);
    EXPECT_EQ(dialog.TestConnectionStatus(), false);
    std::vector<platform::ui::MessageBoxRequest> shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    using platform::ui::MessageBoxRequest;
    EXPECT_EQ(shown[0], (MessageBoxRequest{"Conduit Builder", "Successful Connection",
                                           MessageIcon::Information, MessageButtons::Ok}));
    EXPECT_EQ(shown[1], (MessageBoxRequest{"Conduit Builder",
                                           "The connection failed\r\n" + LastConnectionTestError(),
                                           MessageIcon::Critical, MessageButtons::Ok}));
    EXPECT_FALSE(LastConnectionTestError().empty());
}

// With no driver the driver manager would take the first one it knows (SQLite3 here) and
// report a success on a database the settings never named.
TEST_F(ConnectionDialogTest, TestingWithoutADriverIsRefusedBeforeConnecting) {
    if (!HaveSqliteDriver()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    std::string database = (machine_.root() / "orders.db").string();
    frmDatabaseConnection dialog(kConduitDefaultDriver);
    dialog.ShowStoredSettings({"SQLite3", "", database, "", "", ""});
    MessageBoxCapture boxes;
    boxes.PresetAnswers({MessageAnswer::Ok, MessageAnswer::Ok});
    WhenModalShown("frmDatabaseConnection", [&](QWidget& window) {
        auto& drivers = Find<QComboBox>(window, "cboDBDrivers");
        for (const char* none : {"", "(None)"}) {
            drivers.setCurrentText(none);
            Find<QPushButton>(window, "cmdTestConnection").click();
            EXPECT_FALSE(HoldsTestedConnection());
        }
        Find<QPushButton>(window, "cmdCancel").click();
    });
    dialog.SetDataBaseSettings();
    EXPECT_EQ(dialog.TestConnectionStatus(), false);
    EXPECT_FALSE(std::filesystem::exists(database));
    std::vector<platform::ui::MessageBoxRequest> shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) {
        EXPECT_EQ(box.text, "The connection failed\r\nNo ODBC driver selected");
        EXPECT_EQ(box.icon, MessageIcon::Critical);
    }
}

}  // namespace
}  // namespace tarn::ui
