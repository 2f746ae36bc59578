#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/model/clsTable.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/SyncPlatform.h"
#include "platform/odbc/Database.h"
#include "platform/palm/HandheldFolder.h"
#include "platform/suite/ConduitManager.h"
#include "platform/suite/HotSyncNotifier.h"
#include "platform/suite/Registry.h"
#include "platform/suite/SyncUtility.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::conduit::test {

// Keeps the HotSync log lines in memory so tests can read them back.
class CapturingSyncUtility : public platform::SyncUtility {
  public:
    void AddLogEntry(const std::string& text, int32_t, int32_t, int32_t) override {
        lines.push_back(text);
    }
    std::unique_ptr<platform::SyncInformation> GetSyncInformation() override;
    void ReportOutcome(const platform::ConduitOutcome& outcome) override {
        outcomes.push_back(outcome);
    }

    std::vector<std::string> lines;
    std::vector<platform::ConduitOutcome> outcomes;
    uint32_t runningCreatorId = 0;
    bool dryRun = false;
};

class SwitchableNotifier : public platform::HotSyncNotifier {
  public:
    bool IsHotSyncRunning() override { return running; }
    void ConduitListChanged() override { ++changes; }
    bool running = true;
    int changes = 0;
};

// A sync platform on a private machine: real ODBC (the private driver list of the test
// environment), a real handheld folder, registry and conduit registry under the test's
// TARN_HOME; the log and the notifier are in memory. Any layer can be swapped for a fake.
class TestSyncPlatform : public SyncPlatform {
  public:
    TestSyncPlatform();
    ~TestSyncPlatform() override;

    platform::HotSyncNotifier& Notifier() override { return *notifier_; }
    platform::SyncUtility& SyncUtility() override { return utility; }
    platform::ConduitManager& ConduitManager() override { return *conduits_; }
    platform::Registry& Registry() override { return *registry_; }
    platform::odbc::Environment& Odbc() override { return *odbc_; }
    platform::palm::HandheldFolder& Handheld() override { return *handheld_; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    // Replace a layer, e.g. by a fault-injecting fake.
    void SetHandheld(std::unique_ptr<platform::palm::HandheldFolder> handheld);
    void SetOdbc(std::unique_ptr<platform::odbc::Environment> odbc);

    tarn::test::TestEnvironment environment;
    std::filesystem::path handheldDir;
    CapturingSyncUtility utility;
    SwitchableNotifier* notifier() { return notifier_.get(); }
    std::vector<std::string> messages;

    // The log lines joined with newlines, for readable assertions.
    std::string LogText() const;

  private:
    std::unique_ptr<SwitchableNotifier> notifier_;
    std::unique_ptr<platform::ConduitManager> conduits_;
    std::unique_ptr<platform::Registry> registry_;
    std::unique_ptr<platform::odbc::Environment> odbc_;
    std::vector<std::unique_ptr<platform::odbc::Environment>> replacedOdbc_;
    std::unique_ptr<platform::palm::HandheldFolder> handheld_;
};

// A field of a table description: desktop column name, data type and filter name.
struct TableField {
    std::string name;
    int16_t type;
    std::string filter = "";
};
// Appends the fields to a table description, returning the table.
clsTable& AddFields(clsTable& table, const std::vector<TableField>& fields);
// A table description of the desktop table `desktopName` with the fields.
clsTable Table(const std::string& desktopName, const std::vector<TableField>& fields);

// Connection settings (scrambled, as the file holds them) for an SQLite database file.
ConduitSettings SqliteSettings(const std::filesystem::path& databaseFile,
                               const std::string& creatorId = "TEST");

class DesktopTarget;
// Connection settings (scrambled) for any desktop target, as a user would fill them in.
ConduitSettings DesktopSettings(const DesktopTarget& desktop,
                                const std::string& creatorId = "TEST");

}  // namespace tarn::conduit::test
