// Renders the builder's windows with a sample conduit and saves each as a PNG, for the
// documentation. Usage: tarn-builder-screenshots OUTPUT_FOLDER (on a display, e.g. xvfb-run).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

#include "builder/frmCompile.h"
#include "builder/frmField.h"
#include "builder/frmImportTables.h"
#include "builder/frmMain.h"
#include "builder/frmSplash.h"
#include "common/ui/WindowPicture.h"
#include "platform/Error.h"
#include "platform/ui/MessageBox.h"

using tarn::screenshots::SaveWindowPicture;

namespace {

using namespace tarn;

// A desktop database with a few tables, so the import dialog has something to offer.
class SampleDatabase : public platform::odbc::Connection {
  public:
    void Execute(const std::string&) override {}
    std::unique_ptr<platform::odbc::ResultSet> OpenResultSet(const std::string&,
                                                             platform::odbc::CursorKind) override {
        throw platform::PlatformError(1, "no queries while taking screenshots");
    }
    bool HasRows(const std::string&) override { return false; }
    std::vector<std::string> ListTables() override {
        return {"Orders", "Customers", "Products", "Regions"};
    }
    std::vector<platform::odbc::ColumnInfo> ListColumns(const std::string&) override {
        return {{"CustomerID", 4}, {"Name", 12},   {"Street", 12},   {"City", 12},
                {"Region", 1},     {"Balance", 8}, {"LastOrder", 11}};
    }
    std::string DriverInfo(unsigned short) override { return ""; }
    bool SupportsTransactions() override { return false; }
    bool BeginTransaction() override { return false; }
    void Commit() override {}
    void Rollback() override {}
};

void LoadSampleConduit(builder::frmMain& window) {
    auto set = [&](const char* name, const char* text) {
        window.findChild<QLineEdit*>(name)->setText(text);
    };
    set("txtConduitTitle", "Orders");
    set("txtCreatorID", "TORD");
    set("txtCompanyName", "Tarn Sample Company");
    set("txtConduitShortName", "TarnOrders");
    set("txtInstallationPath", "/opt/tarn/orders");
    set("txtVersion", "1.0");
    set("txtFieldDelimiter", "\"");
    set("txtFilterDatabase", "TarnCFitler-TORD");
    set("txtSignaturePath", "/var/lib/tarn/signatures");
    set("txtDeletedRecordsTable", "DeletedRecords");
    set("txtPreSyncExecution", "/usr/local/bin/orders-export");
    set("txtPostSyncExecution", "/usr/local/bin/orders-report");
    window.SetConnection({"SQLite3", "", "/home/ann/orders.db", "", "", ""});

    auto orders = window.Tables().Add("Orders", "TarnOrders", 0, false);
    orders->Fields().Add("OrderNo", 3);
    orders->Fields().Add("Customer", 6);
    orders->Fields().Add("Region", 10, "Region");
    orders->Fields().Add("Placed", 1);
    orders->Fields().Add("Amount", 2);
    orders->Fields().Add("##STATUSFLAG##", 8);
    auto lines = window.Tables().Add("OrderLines", "TarnOrderLines", 3, true);
    lines->Fields().Add("LineNo", 3);
    window.Tables().Add("Products", "TarnProducts", 2, false)->Fields().Add("Code", 6);
    window.SetWorkingTable("Orders");
    window.RefreshTableList();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarn-builder-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    platform::ui::SetProgramTitle("TarnConduit");
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(".");
    bool ok = true;

    builder::frmMain window;
    LoadSampleConduit(window);
    auto& properties = *window.findChild<QTabWidget*>("SSTab1");
    auto& tableTabs = *window.findChild<QTabWidget*>("SSTab2");
    properties.setCurrentIndex(0);
    ok &= SaveWindowPicture(window, folder, "builder-conduit-properties.png");
    properties.setCurrentIndex(1);
    tableTabs.setCurrentIndex(1);
    ok &= SaveWindowPicture(window, folder, "builder-desktop-database.png");
    properties.setCurrentIndex(2);
    tableTabs.setCurrentIndex(0);
    ok &= SaveWindowPicture(window, folder, "builder-miscellaneous.png");

    builder::frmField field;
    field.findChild<QLineEdit*>("txtFieldName")->setText("Region");
    field.findChild<QComboBox*>("cbDataType")->setCurrentIndex(10);
    field.findChild<QLineEdit*>("txtFilter")->setText("Region");
    ok &= SaveWindowPicture(field, folder, "builder-field.png");

    SampleDatabase database;
    colTables tables;
    tables.Add("Orders");
    builder::frmImportTables import(tables, database);
    import.findChild<QListWidget*>("lstTable")->setCurrentRow(0);
    ok &= SaveWindowPicture(import, folder, "builder-import-tables.png");

    // The packager as a successful run leaves it.
    builder::SetPackagerPauses({0, 0, 0});
    builder::frmCompile packager(builder::ConduitForm{}, "", "");
    for (int step = 0; step < 9; ++step) packager.SetStatus("");
    packager.SetStatus("Compilation Complete - Conduit Installation Created");
    ok &= SaveWindowPicture(packager, folder, "builder-compile-installation.png");

    builder::frmSplash about;
    about.findChild<QPushButton*>("cmdOk")->setVisible(true);
    about.setFixedSize(about.sizeHint());
    ok &= SaveWindowPicture(about, folder, "builder-about.png");
    return ok ? 0 : 1;
}
