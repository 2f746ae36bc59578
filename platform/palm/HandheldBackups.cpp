#include "platform/palm/HandheldBackups.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <system_error>

#include "platform/files/AtomicFile.h"
#include "platform/palm/DatabaseFiles.h"

namespace tarn::platform::palm {
namespace {

constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool Fail(std::string* error, const std::string& what, const std::error_code& code) {
    if (error) *error = what + ": " + code.message();
    return false;
}

// The generation of a backup file name, 0 when it is none.
int GenerationOf(const std::string& backupName, std::string& fileName) {
    size_t dot = backupName.rfind('.');
    if (dot == std::string::npos || dot + 2 != backupName.size()) return 0;
    char digit = backupName[dot + 1];
    if (digit < '1' || digit > '0' + kBackupGenerations) return 0;
    fileName = backupName.substr(0, dot);
    return IsDatabaseFileName(fileName) ? digit - '0' : 0;
}

}  // namespace

std::filesystem::path BackupFolder(const std::filesystem::path& handheld) {
    return handheld / kBackupFolderName;
}

std::filesystem::path BackupFile(const std::filesystem::path& handheld, const std::string& fileName,
                                 int generation) {
    return BackupFolder(handheld) / (fileName + "." + std::to_string(generation));
}

bool PrepareBackup(const std::filesystem::path& handheld, const std::filesystem::path& file,
                   std::filesystem::path& prepared, std::string* error) {
    prepared.clear();
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(file, code);
    if (code) {
        if (code == std::errc::no_such_file_or_directory) return true;
        return Fail(error, "cannot read " + file.string(), code);
    }
    if (!std::filesystem::is_regular_file(status)) return true;  // nothing a backup could hold
    const std::filesystem::path folder = BackupFolder(handheld);
    std::filesystem::create_directory(folder, code);
    if (code) return Fail(error, "cannot create the backup folder " + folder.string(), code);

    // A link shares the old file's bytes, which the coming rename leaves untouched. Its name is a
    // temporary one of the usual pattern, so that an interrupted sync's link is cleared away.
    const std::filesystem::path target = folder / file.filename();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 6; ++i)
            suffix += kNameCharacters[random() % (sizeof kNameCharacters - 1)];
        std::filesystem::path candidate =
            folder / ("." + target.filename().string() + "." + suffix);
        std::filesystem::create_hard_link(file, candidate, code);
        if (!code) {
            prepared = candidate;
            return true;
        }
        if (code != std::errc::file_exists) break;
    }
    // No links here: copy the bytes instead.
    std::string bytes;
    if (!ReadWholeFile(file, bytes, error)) return false;
    return PrepareFile(target, bytes, FileAccess::Shared, prepared, error);
}

bool PublishBackup(const std::filesystem::path& handheld, const std::string& fileName,
                   const std::filesystem::path& prepared, std::string* error) {
    if (prepared.empty()) return true;
    for (int generation = kBackupGenerations - 1; generation >= 1; --generation) {
        std::filesystem::path from = BackupFile(handheld, fileName, generation);
        std::filesystem::path to = BackupFile(handheld, fileName, generation + 1);
        // Looked for first: not every system reports a missing file as such on a rename.
        std::error_code code;
        if (!std::filesystem::exists(from, code) && !code) continue;
        std::filesystem::rename(from, to, code);
        if (code && code != std::errc::no_such_file_or_directory)
            return Fail(error, "cannot keep the backup " + from.string(), code);
    }
    std::filesystem::path newest = BackupFile(handheld, fileName, 1);
    std::error_code code;
    std::filesystem::rename(prepared, newest, code);
    if (code) return Fail(error, "cannot keep the backup " + newest.string(), code);
    return true;
}

std::vector<BackupListing> ListBackups(const std::filesystem::path& handheld) {
    std::vector<BackupListing> listings;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(BackupFolder(handheld), ignored)) {
        BackupListing listing;
        listing.generation = GenerationOf(entry.path().filename().string(), listing.fileName);
        if (listing.generation == 0 || !entry.is_regular_file(ignored)) continue;
        auto written = std::filesystem::last_write_time(entry.path(), ignored);
        if (!ignored)
            listing.modified = std::chrono::system_clock::to_time_t(
                std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                    std::chrono::file_clock::to_sys(written)));
        std::string bytes;
        if (!ReadWholeFile(entry.path(), bytes, &listing.error)) {
            listings.push_back(std::move(listing));
            continue;
        }
        DatabaseListing described = DescribeDatabaseFile(listing.fileName, bytes);
        listing.name = described.name;
        listing.recordCount = described.recordCount;
        listing.error = described.error;
        listings.push_back(std::move(listing));
    }
    std::sort(listings.begin(), listings.end(), [](const BackupListing& a, const BackupListing& b) {
        return a.fileName != b.fileName ? a.fileName < b.fileName : a.generation < b.generation;
    });
    return listings;
}

}  // namespace tarn::platform::palm
