#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SyncPlatform.h"
#include "platform/Error.h"
#include "platform/files/AtomicFile.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/suite/PosixRegistry.h"
#include "platform/suite/SyncUtility.h"
#include "tests/support/TestEnvironment.h"

// A conduit library's module state on a private machine, for the configuration window's tests:
// the real registry stand-in and ODBC driver manager; no HotSync is running.
namespace tarn::conduit::test {

class NoHotSync : public platform::SyncUtility {
  public:
    void AddLogEntry(const std::string& text, std::int32_t, std::int32_t, std::int32_t) override {
        lines.push_back(text);
    }
    std::unique_ptr<platform::SyncInformation> GetSyncInformation() override {
        throw platform::PlatformError(1, "no HotSync is running");
    }
    void ReportOutcome(const platform::ConduitOutcome&) override {}
    std::vector<std::string> lines;
};

class WindowPlatform : public SyncPlatform {
  public:
    WindowPlatform() : odbc_(platform::odbc::OpenOdbcEnvironment()) {}

    platform::HotSyncNotifier& Notifier() override { throw Unused(); }
    platform::SyncUtility& SyncUtility() override { return utility_; }
    platform::ConduitManager& ConduitManager() override { throw Unused(); }
    platform::Registry& Registry() override { return registry_; }
    platform::odbc::Environment& Odbc() override { return *odbc_; }
    platform::palm::HandheldFolder& Handheld() override { throw Unused(); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;

  private:
    static platform::PlatformError Unused() {
        return platform::PlatformError(1, "not used by the configuration window");
    }
    NoHotSync utility_;
    platform::PosixRegistry registry_;  // under the test's TARN_HOME
    std::unique_ptr<platform::odbc::Environment> odbc_;
};

// The sample conduit: two tables with fields, filters and a scrambled SQLite connection.
inline void SampleConduit(ConduitSettings& settings, colTables& tables,
                          const std::string& database) {
    settings = {};
    settings.FormatVersion = kCurrentFormatVersion;
    settings.CompanyName = ScrambleString("Harbour Supplies Ltd");
    settings.ConduitTitle = ScrambleString("Orders on the Road");
    settings.CreatorID = ScrambleString("HSOR");
    settings.ConduitShortName = ScrambleString("Orders");
    settings.InstallationPath = ScrambleString("C:\\Program Files\\Orders");
    settings.AllowModifyDatabase = 1;
    settings.DBDriver = ScrambleString("SQLite3");
    settings.DBDatabase = ScrambleString(database);
    settings.DBPassword = ScrambleString("p\xc3\xa4ss");  // "päss": outside ASCII on purpose
    settings.Version = "1.4";
    settings.FilterDatabase = ScrambleString("HSORFilters");

    tables = colTables();
    auto orders = tables.Add("Orders", "HSOR-Orders", 0, false);
    orders->Fields().Add("OrderId", 3, "");
    orders->Fields().Add("Customer", 6, "Region");
    orders->Fields().Add("Placed", 1, "");
    orders->Fields().Add("Status", 8, "");
    auto items = tables.Add("Order Items", "HSOR-Items", 3, true);
    items->Fields().Add("ItemId", 3, "");
    items->Fields().Add("Quantity", 4, "");
    settings.TableCount = static_cast<int16_t>(tables.Count());
}

inline std::string FileBytes(const std::filesystem::path& path) {
    std::string bytes;
    platform::ReadWholeFile(path, bytes);
    return bytes;
}

// A machine with the module state and a sample configuration file written at ConfigPath.
struct ConduitMachine {
    ConduitMachine() : state(platform) {
        configFile = machine.root() / "conduits" / "HSOR.cfg";
        std::filesystem::create_directories(configFile.parent_path());
        state.ConfigPath = configFile.string();
        SampleConduit(writtenSettings, writtenTables, (machine.root() / "orders.db").string());
        Write();
    }

    void Write() {
        std::string error;
        if (!WriteConfigFile(configFile.string(), writtenSettings, writtenTables, &error))
            throw std::runtime_error("cannot write the sample conduit: " + error);
    }

    tarn::test::TestEnvironment machine;  // first: the registry lives under its TARN_HOME
    WindowPlatform platform;
    ModuleState state;
    std::filesystem::path configFile;
    ConduitSettings writtenSettings;
    colTables writtenTables;
};

}  // namespace tarn::conduit::test
