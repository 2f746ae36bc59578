// Renders the windows with sample data and saves each as a PNG, for the documentation.
// Usage: tarn-screenshots OUTPUT_FOLDER (run it on a display, e.g. under xvfb-run).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "common/ui/ListControls.h"
#include "common/ui/WindowPicture.h"
#include "common/ui/frmDatabaseConnection.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SyncPlatform.h"
#include "conduit/ui/frmMain.h"
#include "platform/Error.h"
#include "platform/odbc/Database.h"
#include "platform/suite/SyncUtility.h"

using tarn::screenshots::SaveWindowPicture;

namespace {

using namespace tarn;

// A driver manager with the drivers of a typical desktop, so the pictures do not depend on the
// machine they are made on.
class SampleDrivers : public platform::odbc::Environment {
  public:
    std::vector<std::string> ListDrivers() override {
        return {"SQLite3", "PostgreSQL Unicode", "MariaDB Unicode",
                "Microsoft Access Driver (*.mdb)"};
    }
    std::unique_ptr<platform::odbc::Connection> Connect(const std::string&) override {
        throw platform::PlatformError(1, "no connections while taking screenshots");
    }
};

class NoLog : public platform::SyncUtility {
  public:
    void AddLogEntry(const std::string&, std::int32_t, std::int32_t, std::int32_t) override {}
    std::unique_ptr<platform::SyncInformation> GetSyncInformation() override {
        throw platform::PlatformError(1, "no HotSync");
    }
    void ReportOutcome(const platform::ConduitOutcome&) override {}
};

// Only what the configuration window asks for on load.
class SamplePlatform : public conduit::SyncPlatform {
  public:
    platform::HotSyncNotifier& Notifier() override { throw Unused(); }
    platform::SyncUtility& SyncUtility() override { return log_; }
    platform::ConduitManager& ConduitManager() override { throw Unused(); }
    platform::Registry& Registry() override { throw Unused(); }
    platform::odbc::Environment& Odbc() override { return drivers_; }
    platform::palm::HandheldFolder& Handheld() override { throw Unused(); }
    void ShowMessage(const std::string&) override {}

  private:
    static platform::PlatformError Unused() { return platform::PlatformError(1, "unused"); }
    NoLog log_;
    SampleDrivers drivers_;
};

std::string WriteSampleConduit(const QTemporaryDir& scratch) {
    ConduitSettings settings;
    settings.FormatVersion = kCurrentFormatVersion;
    settings.CompanyName = ScrambleString("Harbour Supplies Ltd");
    settings.ConduitTitle = ScrambleString("Orders on the Road");
    settings.CreatorID = ScrambleString("HSOR");
    settings.AllowModifyDatabase = 1;
    settings.DBDriver = ScrambleString("SQLite3");
    settings.DBDatabase = ScrambleString("/srv/harbour/orders.db");
    settings.Version = "1.4";
    colTables tables;
    tables.Add("Orders", "HSOR-Orders")->Fields().Add("OrderId", 3);
    settings.TableCount = 1;
    std::string path = scratch.filePath("HSOR.cfg").toStdString();
    WriteConfigFile(path, settings, tables);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarn-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir scratch;
    bool ok = true;

    SamplePlatform platform;
    conduit::ModuleState state(platform);
    state.ConfigPath = WriteSampleConduit(scratch);
    {
        conduit::frmMain window(state);
        ok &= SaveWindowPicture(window, folder, "conduit-configuration.png");
    }

    SampleDrivers drivers;
    {
        ui::frmDatabaseConnection dialog(ui::kConduitDefaultDriver, nullptr, &drivers);
        dialog.ShowStoredSettings(
            {"PostgreSQL Unicode", "db.harbour.example", "orders", "clerk", "secret", "Port=5433"});
        ok &= SaveWindowPicture(dialog, folder, "database-connection.png");
    }
    {
        ui::frmDatabaseConnection dialog(ui::kBuilderDefaultDriver, nullptr, &drivers);
        dialog.ShowStoredSettings(
            {"Microsoft Access Driver (*.mdb)", "/srv/harbour/orders.mdb", "", "", "", ""});
        ok &= SaveWindowPicture(dialog, folder, "database-connection-file.png");
    }
    {
        ui::frmDatabaseConnection dialog(ui::kConduitDefaultDriver, nullptr, &drivers);
        dialog.ShowStoredSettings({"SQLite3", "", "/srv/harbour/orders.db", "", "", ""});
        ok &= SaveWindowPicture(dialog, folder, "database-connection-sqlite.png");
    }
    return ok ? 0 : 1;
}
