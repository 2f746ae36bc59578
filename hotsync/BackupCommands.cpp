// hotsync backups and restore: the earlier database files a handheld keeps, and putting one back.
#include <ctime>
#include <iostream>

#include "hotsync/CommandLine.h"
#include "hotsync/Commands.h"
#include "hotsync/HandheldLock.h"
#include "platform/Error.h"
#include "platform/files/AtomicFile.h"
#include "platform/palm/HandheldBackups.h"
#include "platform/palm/PdbFileStore.h"

namespace tarn::hotsync {
namespace {

namespace palm = tarn::platform::palm;

struct RestoreArgs {
    std::filesystem::path folder;
    std::string name;
    int generation = 1;
    std::chrono::seconds wait = kDefaultHandheldWait;
};

constexpr char kBackupsUsage[] = "backups --handheld DIR";
constexpr char kRestoreUsage[] = "restore --handheld DIR NAME [--generation N] [--wait SECONDS]";

std::string LocalTime(std::time_t time) {
    // The host is single-threaded, so the shared result of localtime is safe here.
    const std::tm* parts = std::localtime(&time);
    if (!parts) return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", parts);
    return text;
}

}  // namespace

int RunBackups(const Args& args) {
    int exitCode = 0;
    std::optional<HandheldArgs> parsed =
        ParseHandheldArgs("backups", args, {}, kBackupsUsage, exitCode);
    if (!parsed) return exitCode;
    if (!parsed->args.positional.empty())
        return UsageError("backups", "unexpected argument '" + parsed->args.positional[0] + "'",
                          kBackupsUsage);
    auto backups = palm::ListBackups(parsed->folder);
    for (const auto& backup : backups) {
        std::cout << backup.name << "\t" << backup.fileName << "\t" << backup.generation << "\t"
                  << LocalTime(backup.modified) << "\t";
        if (backup.error.empty())
            std::cout << backup.recordCount << " records\n";
        else
            std::cout << "cannot be read: " << backup.error << "\n";
    }
    if (backups.empty()) std::cerr << "hotsync: no backups in " << parsed->folder.string() << "\n";
    return 0;
}

int RunRestore(const Args& args) {
    int exitCode = 0;
    std::optional<HandheldArgs> handheld = ParseHandheldArgs(
        "restore", args, {{"--generation", "--wait"}, {}}, kRestoreUsage, exitCode);
    if (!handheld) return exitCode;
    RestoreArgs parsed;
    parsed.folder = handheld->folder;
    const ParsedArgs& options = handheld->args;
    if (options.positional.size() != 1)
        return UsageError("restore", "give exactly one database name", kRestoreUsage);
    parsed.name = options.positional[0];
    if (options.Has("--generation")) {
        const std::string value = options.Get("--generation");
        if (value.size() != 1 || value[0] < '1' || value[0] > '0' + palm::kBackupGenerations)
            return UsageError("restore",
                              "--generation must be a number from 1 to " +
                                  std::to_string(palm::kBackupGenerations),
                              kRestoreUsage);
        parsed.generation = value[0] - '0';
    }
    if (options.Has("--wait") && !ParseWaitSeconds(options.Get("--wait"), parsed.wait))
        return UsageError("restore", kWaitError, kRestoreUsage);
    std::string error;
    auto lock = HoldHandheldFolder(parsed.folder, parsed.wait, error);
    if (!lock) {
        std::cerr << "hotsync: " << error << "\n";
        return 1;
    }
    const palm::BackupListing* chosen = nullptr;
    auto backups = palm::ListBackups(parsed.folder);
    for (const auto& backup : backups)
        if ((backup.name == parsed.name || backup.fileName == parsed.name) &&
            backup.generation == parsed.generation)
            chosen = &backup;
    if (!chosen) {
        std::cerr << "hotsync: no backup of " << parsed.name << " with generation "
                  << parsed.generation << " in " << parsed.folder.string() << "\n";
        return 1;
    }
    if (!chosen->error.empty()) {
        std::cerr << "hotsync: the backup of " << parsed.name
                  << " cannot be read: " << chosen->error << "\n";
        return 1;
    }
    std::string bytes;
    if (!platform::ReadWholeFile(
            palm::BackupFile(parsed.folder, chosen->fileName, chosen->generation), bytes, &error)) {
        std::cerr << "hotsync: " << error << "\n";
        return 1;
    }
    // The file being replaced becomes a backup itself, so a restore can be undone in turn.
    try {
        palm::PdbFileStore store(parsed.folder, parsed.folder / chosen->fileName);
        store.Prepare(bytes);
        store.Publish();
    } catch (const platform::PlatformError& e) {
        std::cerr << "hotsync: " << e.description() << "\n";
        return 1;
    }
    std::cerr << "Restored " << chosen->fileName << " (\"" << chosen->name << "\", "
              << chosen->recordCount << " records) from backup generation " << chosen->generation
              << " of " << LocalTime(chosen->modified) << ".\n";
    return 0;
}

}  // namespace tarn::hotsync
