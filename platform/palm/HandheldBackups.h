#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// Earlier versions of a handheld's database files, kept in the handheld's backup folder as
// "<file name>.<generation>", generation 1 being the most recent. Each time a database file is
// replaced, the file it replaces becomes generation 1 and the older ones move up; only the last
// kBackupGenerations are kept.
namespace tarn::platform::palm {

inline constexpr int kBackupGenerations = 3;
inline constexpr const char* kBackupFolderName = "Backup";

std::filesystem::path BackupFolder(const std::filesystem::path& handheld);
std::filesystem::path BackupFile(const std::filesystem::path& handheld, const std::string& fileName,
                                 int generation);

// Makes a copy of `file` (a link when the file system allows it, so it costs no space) under a
// temporary name in the backup folder, flushed to disk. `prepared` stays empty when the file
// does not exist. On failure nothing is left behind.
bool PrepareBackup(const std::filesystem::path& handheld, const std::filesystem::path& file,
                   std::filesystem::path& prepared, std::string* error = nullptr);

// Moves the older generations of `fileName` up by one, dropping the oldest, and makes the
// prepared copy generation 1. Renames only, so it needs no free space; the caller flushes the
// backup folder.
bool PublishBackup(const std::filesystem::path& handheld, const std::string& fileName,
                   const std::filesystem::path& prepared, std::string* error = nullptr);

struct BackupListing {
    std::string fileName;  // of the database file the backup was taken from
    int generation = 0;
    std::time_t modified = 0;  // when that version was written
    std::string name;          // the database name in its header; empty when unreadable
    uint32_t recordCount = 0;
    std::string error;  // why the backup cannot be read, if it cannot
};

// Every backup of the handheld, by file name and then generation.
std::vector<BackupListing> ListBackups(const std::filesystem::path& handheld);

}  // namespace tarn::platform::palm
