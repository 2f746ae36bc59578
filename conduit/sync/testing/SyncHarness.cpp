#include "conduit/sync/testing/SyncHarness.h"

#include <bit>
#include <cstring>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "conduit/log/DebugLevel.h"
#include "conduit/log/RegistryFunctions.h"
#include "conduit/sync/SyncDriver.h"
#include "platform/palm/HandheldFolder.h"
#include "platform/suite/ConduitManager.h"
#include "text/Windows1252.h"

namespace tarn::conduit::test {

SyncHarness::SyncHarness(const std::string& creatorId)
    : SyncHarness(DesktopKind::Sqlite, creatorId) {}

SyncHarness::SyncHarness(DesktopKind kind, const std::string& creatorId)
    : desktop(kind, platform.environment, platform.Odbc()),
      descriptionFile(platform.environment.root() / "conduit" / (creatorId + ".cfg")),
      creatorId_(creatorId) {
    settings = DesktopSettings(desktop, creatorId);
    if (kind == DesktopKind::Sqlite) databaseFile = desktop.database;
    db_ = desktop.Connect();
}

SyncHarness::~SyncHarness() = default;

clsTable& SyncHarness::AddTable(const std::string& desktopName, const std::string& palmName,
                                int16_t syncMethod, bool purge) {
    return *tables.Add(desktopName, palmName, syncMethod, purge);
}

void SyncHarness::Install() {
    std::filesystem::create_directories(descriptionFile.parent_path());
    settings.TableCount = static_cast<int16_t>(tables.Count());
    if (!WriteConfigFile(descriptionFile.string(), settings, tables))
        throw std::runtime_error("cannot write the description file");
    auto& conduits = platform.ConduitManager();
    platform::ConduitInfo info;
    info.comClass = "TarnConduit2.cTarnConduit";
    info.creatorId = conduits.CreatorIdFromText(creatorId_);
    info.directory = descriptionFile.parent_path().string() + "/";
    info.file = descriptionFile.filename().string();
    info.title = DescrambleString(settings.ConduitTitle);
    conduits.Register(info);
    platform.utility.runningCreatorId = info.creatorId;
}

void SyncHarness::SetDebugLevel(int level) {
    CreateRegistryKey(platform.Registry(), kDebugLevelKey, platform::kHkeyLocalMachine);
    SetRegistryValue(platform.Registry(), kDebugLevelKey, kDebugLevelValue,
                     RegistryValue(std::to_string(level)), platform::kHkeyLocalMachine, 1);
}

void SyncHarness::Exec(const std::string& sql) {
    db_->Execute(sql);
}

std::vector<Row> SyncHarness::Query(const std::string& sql) {
    std::vector<Row> rows;
    auto rs = db_->OpenResultSet(sql, platform::odbc::CursorKind::ForwardOnly);
    size_t columns = rs->ColumnNames().size();
    for (; !rs->AtEnd(); rs->Next()) {
        Row row;
        for (size_t c = 0; c < columns; ++c) row.push_back(rs->Value(c));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::map<std::string, std::string> SyncHarness::DesktopPairs(const std::string& table,
                                                             const std::string& keyColumn,
                                                             const std::string& valueColumn) {
    std::map<std::string, std::string> pairs;
    for (const auto& row : Query("SELECT " + keyColumn + ", " + valueColumn + " FROM " + table))
        pairs[row[0].value_or("NULL")] = row[1].value_or("NULL");
    return pairs;
}

void SyncHarness::WriteHandheld(const std::string& name, const std::vector<std::string>& records,
                                const std::string& creator) {
    platform::palm::NewDatabase database;
    database.name = name;
    database.creator = creator;
    auto db = platform.Handheld().CreateRecordDatabase(database);
    for (const auto& record : records) db->WriteRecord(0, 0, 0, record);
    db->Commit();
}

std::vector<std::string> SyncHarness::ReadHandheld(const std::string& name) {
    auto db = platform.Handheld().OpenRecordDatabase(name);
    std::vector<std::string> records;
    db->SetIterationIndex(0);
    for (auto record = db->ReadNext(); !db->EndOfData(); record = db->ReadNext())
        records.push_back(record.data);
    return records;
}

bool SyncHarness::HandheldExists(const std::string& name) {
    for (const auto& listing : platform.Handheld().ListDatabases())
        if (listing.name == name) return true;
    return false;
}

void SyncHarness::Sync() {
    Synchronize(state);
}

std::string Int32Bytes(int32_t value) {
    auto v = static_cast<uint32_t>(value);
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string TextBytes(const std::string& utf8) {
    return text::ToAnsi(utf8) + std::string(1, '\0');
}

std::string DoubleBytes(double value) {
    auto bits = std::bit_cast<uint64_t>(value);
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>(bits >> shift);
    return out;
}

namespace {

bool IsSummaryLine(const std::string& line) {
    return line.rfind("Summary: table ", 0) == 0 ||
           line.rfind("Dry run, nothing written: table ", 0) == 0;
}

}  // namespace

std::vector<std::string> SyncHarness::LogLines() const {
    std::vector<std::string> lines = platform.utility.lines;
    while (!lines.empty() && IsSummaryLine(lines.back())) lines.pop_back();
    return lines;
}

std::vector<std::string> SyncHarness::SummaryLines() const {
    std::vector<std::string> lines;
    for (const auto& line : platform.utility.lines)
        if (IsSummaryLine(line)) lines.push_back(line);
    return lines;
}

std::optional<std::string> SyncHarness::LoggedLeftDelimiter() const {
    const std::string prefix = "  Setting Left Field Delimiter: ";
    std::optional<std::string> found;
    for (const auto& line : platform.utility.lines)
        if (line.starts_with(prefix)) found = line.substr(prefix.size());
    return found;
}

}  // namespace tarn::conduit::test
