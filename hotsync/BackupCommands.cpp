// hotsync backups and restore: the earlier database files a handheld keeps, and putting one back.
#include <ctime>
#include <iostream>

#include "hotsync/Commands.h"
#include "hotsync/HandheldLock.h"
#include "platform/Error.h"
#include "platform/files/AtomicFile.h"
#include "platform/palm/HandheldBackups.h"
#include "platform/palm/PdbFileStore.h"

namespace tarn::hotsync {
namespace {

namespace palm = tarn::platform::palm;

struct BackupArgs {
    std::filesystem::path folder;
    std::string name;
    int generation = 1;
    std::chrono::seconds wait = kDefaultHandheldWait;
};

// --handheld DIR, and for a restore the name, --generation N and --wait SECONDS.
bool ParseBackupArgs(const Args& args, bool restore, BackupArgs& parsed) {
    bool haveFolder = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued =
            arg == "--handheld" || (restore && (arg == "--generation" || arg == "--wait"));
        if (valued && i + 1 >= args.size()) return false;
        if (arg == "--handheld") {
            parsed.folder = args[++i];
            haveFolder = !parsed.folder.empty();
        } else if (valued && arg == "--generation") {
            const std::string& value = args[++i];
            if (value.size() != 1 || value[0] < '1' || value[0] > '0' + palm::kBackupGenerations)
                return false;
            parsed.generation = value[0] - '0';
        } else if (valued) {
            if (!ParseWaitSeconds(args[++i], parsed.wait)) return false;
        } else if (restore && parsed.name.empty() && !arg.empty() && arg[0] != '-') {
            parsed.name = arg;
        } else {
            return false;
        }
    }
    return haveFolder && (!restore || !parsed.name.empty());
}

std::string LocalTime(std::time_t time) {
    std::tm parts{};
    localtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

}  // namespace

int RunBackups(const Args& args) {
    BackupArgs parsed;
    if (!ParseBackupArgs(args, false, parsed)) {
        std::cerr << "usage: hotsync backups --handheld DIR\n";
        return 2;
    }
    if (!std::filesystem::is_directory(parsed.folder)) {
        std::cerr << "hotsync: the handheld folder " << parsed.folder.string()
                  << " does not exist\n";
        return 1;
    }
    auto backups = palm::ListBackups(parsed.folder);
    for (const auto& backup : backups) {
        std::cout << backup.name << "\t" << backup.fileName << "\t" << backup.generation << "\t"
                  << LocalTime(backup.modified) << "\t";
        if (backup.error.empty())
            std::cout << backup.recordCount << " records\n";
        else
            std::cout << "cannot be read: " << backup.error << "\n";
    }
    if (backups.empty()) std::cerr << "hotsync: no backups in " << parsed.folder.string() << "\n";
    return 0;
}

int RunRestore(const Args& args) {
    BackupArgs parsed;
    if (!ParseBackupArgs(args, true, parsed)) {
        std::cerr << "usage: hotsync restore --handheld DIR NAME [--generation N] "
                     "[--wait SECONDS]\n";
        return 2;
    }
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
