#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conduit/sync/ModuleState.h"
#include "conduit/sync/testing/DesktopTarget.h"
#include "conduit/sync/testing/TestSyncPlatform.h"

namespace tarn::conduit::test {

using Row = std::vector<std::optional<std::string>>;

// A whole conduit on a private machine: a desktop database (SQLite by default, or a fresh
// database on the test run's PostgreSQL or MariaDB server), a handheld folder, a description
// file registered under the conduit's Creator ID, and the engine's module state, ready for
// Synchronize. Setup and checks go around the engine: straight SQL on the desktop, record
// bytes on the handheld.
class SyncHarness {
  public:
    explicit SyncHarness(const std::string& creatorId = "TEST");
    explicit SyncHarness(DesktopKind kind, const std::string& creatorId = "TEST");
    ~SyncHarness();

    TestSyncPlatform platform;
    DesktopTarget desktop;
    ModuleState state{platform};
    ConduitSettings settings;
    colTables tables;
    std::filesystem::path databaseFile;  // the SQLite file; empty on a server
    std::filesystem::path descriptionFile;

    clsTable& AddTable(const std::string& desktopName, const std::string& palmName,
                       int16_t syncMethod = 0, bool purge = false);
    // Writes the description file and registers it under the Creator ID; the engine's running
    // Creator ID is set to match.
    void Install();
    void SetDebugLevel(int level);

    // Desktop side, through a connection of the harness's own.
    void Exec(const std::string& sql);
    std::vector<Row> Query(const std::string& sql);
    // A name delimited for the desktop's SQL, keeping its letter case.
    std::string Quote(const std::string& name) const { return desktop.Quote(name); }
    // "key=value" of the first two columns of a table, ordered by the first column.
    std::map<std::string, std::string> DesktopPairs(const std::string& table,
                                                    const std::string& keyColumn,
                                                    const std::string& valueColumn);

    // Handheld side: records as raw bytes.
    void WriteHandheld(const std::string& name, const std::vector<std::string>& records,
                       const std::string& creator = "TEST");
    std::vector<std::string> ReadHandheld(const std::string& name);
    bool HandheldExists(const std::string& name);

    void Sync();
    std::string Log() const { return platform.LogText(); }
    // The log without the summary lines that close every sync, which SummaryLines returns.
    std::vector<std::string> LogLines() const;
    std::vector<std::string> SummaryLines() const;
    // The identifier delimiter the last sync settled on, as its log says from debug level 3.
    std::optional<std::string> LoggedLeftDelimiter() const;

  private:
    std::unique_ptr<platform::odbc::Connection> db_;
    std::string creatorId_;
};

// Handheld record pieces, big-endian as the handheld stores them.
std::string Int32Bytes(int32_t value);
std::string TextBytes(const std::string& utf8);  // Windows-1252 and a zero byte
std::string DoubleBytes(double value);

}  // namespace tarn::conduit::test
