#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// The conduit-wide settings, in file order. Fields marked scrambled hold the scrambled text
// (see Scramble.h); readers descramble where they need the plain value.
struct ConduitSettings {
    bool IsConfigFile = false;  // true in builder documents, false in deployment copies
    int16_t FormatVersion = 0;
    std::string CompanyName;       // scrambled
    std::string ConduitTitle;      // scrambled
    std::string CreatorID;         // scrambled
    std::string ConduitShortName;  // scrambled
    std::string InstallationPath;  // scrambled
    int16_t TableCount = 0;
    int16_t AllowModifyDatabase = 0;
    std::string DBDriver;    // scrambled
    std::string DBServer;    // scrambled
    std::string DBDatabase;  // scrambled
    std::string DBUsername;  // scrambled
    std::string DBPassword;  // scrambled
    std::string DBAppend;    // scrambled
    std::string Reserved1;
    std::string Reserved2;
    std::string Version;
    std::string SignaturePath;      // scrambled
    std::string PreSyncExecution;   // scrambled
    std::string PostSyncExecution;  // scrambled
    std::string FilterDatabase;     // scrambled
    std::string Reserved3;
    std::string Reserved4;
    std::string Reserved5;

    bool operator==(const ConduitSettings&) const = default;
};

// One table as stored in the file, followed there by FieldCount field records.
struct TableRecord {
    std::string DesktopTableName;
    std::string PalmDatabaseName;
    int16_t SyncMethod = 0;
    bool PurgeBeforeSync = false;
    std::string Reserved1;
    std::string Reserved2;
    int16_t FieldCount = 0;
};

struct FieldRecord {
    std::string FieldName;
    int16_t DataType = 0;
    std::string Filter;
};

// The format version the builder writes.
inline constexpr int16_t kCurrentFormatVersion = 2;

}  // namespace tarn
