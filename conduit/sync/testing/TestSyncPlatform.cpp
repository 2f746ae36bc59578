#include "conduit/sync/testing/TestSyncPlatform.h"

#include "common/config/Scramble.h"
#include "conduit/sync/testing/DesktopTarget.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/palm/PosixHandheldFolder.h"
#include "platform/suite/PosixConduitManager.h"
#include "platform/suite/PosixRegistry.h"

namespace tarn::conduit::test {
namespace {

class FixedSyncInformation : public platform::SyncInformation {
  public:
    FixedSyncInformation(uint32_t creatorId, bool dryRun)
        : creatorId_(creatorId), dryRun_(dryRun) {}
    uint32_t RunningCreatorId() override { return creatorId_; }
    bool DryRun() override { return dryRun_; }

  private:
    uint32_t creatorId_;
    bool dryRun_;
};

}  // namespace

std::unique_ptr<platform::SyncInformation> CapturingSyncUtility::GetSyncInformation() {
    return std::make_unique<FixedSyncInformation>(runningCreatorId, dryRun);
}

TestSyncPlatform::TestSyncPlatform()
    : handheldDir(environment.root() / "handheld"),
      notifier_(std::make_unique<SwitchableNotifier>()),
      conduits_(std::make_unique<platform::PosixConduitManager>()),
      registry_(std::make_unique<platform::PosixRegistry>()),
      odbc_(platform::odbc::OpenOdbcEnvironment()) {
    std::filesystem::create_directories(handheldDir);
    handheld_ = std::make_unique<platform::palm::PosixHandheldFolder>(handheldDir);
}

TestSyncPlatform::~TestSyncPlatform() = default;

void TestSyncPlatform::SetHandheld(std::unique_ptr<platform::palm::HandheldFolder> handheld) {
    handheld_ = std::move(handheld);
}

void TestSyncPlatform::SetOdbc(std::unique_ptr<platform::odbc::Environment> odbc) {
    // The harness's own desktop connection may have come from the one replaced.
    replacedOdbc_.push_back(std::move(odbc_));
    odbc_ = std::move(odbc);
}

std::string TestSyncPlatform::LogText() const {
    std::string text;
    for (const auto& line : utility.lines) text += line + "\n";
    return text;
}

clsTable& AddFields(clsTable& table, const std::vector<TableField>& fields) {
    for (const auto& field : fields) table.Fields().Add(field.name, field.type, field.filter);
    return table;
}

clsTable Table(const std::string& desktopName, const std::vector<TableField>& fields) {
    clsTable table;
    table.DesktopTableName = desktopName;
    AddFields(table, fields);
    return table;
}

ConduitSettings SqliteSettings(const std::filesystem::path& databaseFile,
                               const std::string& creatorId) {
    ConduitSettings s;
    s.FormatVersion = kCurrentFormatVersion;
    s.ConduitTitle = ScrambleString("Test Conduit");
    s.CreatorID = ScrambleString(creatorId);
    s.DBDriver = ScrambleString("SQLite3");
    s.DBDatabase = ScrambleString(databaseFile.string());
    return s;
}

}  // namespace tarn::conduit::test

namespace tarn::conduit::test {

ConduitSettings DesktopSettings(const DesktopTarget& desktop, const std::string& creatorId) {
    ConduitSettings s = SqliteSettings(desktop.database, creatorId);
    s.DBDriver = ScrambleString(desktop.driver);
    s.DBServer = ScrambleString(desktop.server);
    s.DBUsername = ScrambleString(desktop.user);
    s.DBPassword = ScrambleString(desktop.password);
    return s;
}

}  // namespace tarn::conduit::test
