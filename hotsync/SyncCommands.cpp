// hotsync sync, list, regsvr and configure: the host side of running conduits.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "hotsync/CommandLine.h"
#include "hotsync/Commands.h"
#include "hotsync/ConduitLoader.h"
#include "hotsync/HandheldLock.h"
#include "platform/suite/CreatorId.h"
#include "platform/suite/DefaultSuite.h"
#include "platform/suite/HotSyncSession.h"

namespace tarn::hotsync {

namespace com = platform::com;

namespace {

constexpr char kSyncUsage[] =
    "sync --handheld DIR [--user NAME] [--creator CRID] [--wait SECONDS] [--dry-run]";
constexpr char kConfigureUsage[] = "configure CRID [--user NAME]";
constexpr char kRegsvrUsage[] = "regsvr [-u] LIBRARY";

std::string DefaultUserName() {
    const char* user = std::getenv("USER");
    return user && *user ? user : "HotSync User";
}

// Copies what a conduit added to the user's log to stdout, exactly as written.
class LogEcho {
  public:
    explicit LogEcho(std::filesystem::path file) : file_(std::move(file)) { offset_ = Size(); }
    void Flush() {
        std::ifstream in(file_, std::ios::binary);
        if (!in) return;
        in.seekg(static_cast<std::streamoff>(offset_));
        std::string added((std::istreambuf_iterator<char>(in)), {});
        offset_ += added.size();
        std::cout << added << std::flush;
    }

  private:
    uintmax_t Size() const {
        std::error_code ec;
        auto size = std::filesystem::file_size(file_, ec);
        return ec ? 0 : size;
    }
    std::filesystem::path file_;
    uintmax_t offset_ = 0;
};

// Each failing conduit gets one stderr line: line breaks inside driver messages become blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

struct ConduitSummary {
    std::string creator;
    std::string title;
    std::vector<platform::TableSummary> tables;
};

// What each conduit's tables did, after the log: a dry run says what a real sync would do.
void PrintSummary(const std::vector<ConduitSummary>& conduits, bool dryRun) {
    std::cout << (dryRun ? "Summary of the dry run (nothing was written; a sync would do this):\n"
                         : "Summary:\n");
    if (conduits.empty()) std::cout << "no conduit synchronized\n";
    for (const auto& conduit : conduits) {
        std::cout << "conduit " << conduit.creator << " (" << conduit.title << ")";
        if (conduit.tables.empty()) std::cout << ": no table synchronized";
        std::cout << "\n";
        for (const auto& table : conduit.tables)
            std::cout << "  table " << table.table << ": " << platform::SummaryText(table) << "\n";
    }
    std::cout << std::flush;
}

}  // namespace

int RunRegsvr(const Args& args) {
    std::string error;
    std::optional<ParsedArgs> parsed = ParseArgs(args, {{}, {"-u"}}, error);
    if (!parsed) return UsageError("regsvr", error, kRegsvrUsage);
    if (parsed->positional.size() != 1 || parsed->positional[0].empty())
        return UsageError("regsvr", "give exactly one library", kRegsvrUsage);
    const bool unregister = parsed->Has("-u");
    std::filesystem::path path = std::filesystem::absolute(parsed->positional[0]);
    auto library = platform::SharedLibrary::Open(path, &error);
    if (!library) {
        std::cerr << "hotsync: cannot load " << path.string() << ": " << error << "\n";
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto function = library->Get<com::DllRegisterServerFunction>(entry);
    if (!function) {
        std::cerr << "hotsync: " << path.string() << " has no " << entry << "\n";
        return 1;
    }
    if (!com::Succeeded(function())) {
        std::cerr << "hotsync: " << entry << " in " << path.string() << " failed\n";
        return 1;
    }
    std::cerr << entry << " in " << path.string() << " succeeded.\n";
    return 0;
}

int RunList(const Args& args) {
    if (!args.empty()) return UsageError("list", "unexpected argument '" + args[0] + "'", "list");
    auto conduits = platform::DefaultConduitManager();
    for (const auto& info : conduits->List())
        std::cout << platform::CreatorIdToText(info.creatorId) << "\t" << info.title << "\t"
                  << info.priority << "\t" << info.comClass << "\t" << info.directory + info.file
                  << "\n";
    return 0;
}

int RunSync(const Args& args) {
    int exitCode = 0;
    std::optional<HandheldArgs> parsed = ParseHandheldArgs(
        "sync", args, {{"--user", "--creator", "--wait"}, {"--dry-run"}}, kSyncUsage, exitCode);
    if (!parsed) return exitCode;
    const ParsedArgs& options = parsed->args;
    const bool dryRun = options.Has("--dry-run");
    if (!options.positional.empty())
        return UsageError("sync", "unexpected argument '" + options.positional[0] + "'",
                          kSyncUsage);
    std::chrono::seconds wait = kDefaultHandheldWait;
    if (options.Has("--wait") && !ParseWaitSeconds(options.Get("--wait"), wait))
        return UsageError("sync", kWaitError, kSyncUsage);
    if (options.Has("--user") && options.Get("--user").empty())
        return UsageError("sync", "--user needs a name", kSyncUsage);
    if (options.Has("--creator") && options.Get("--creator").empty())
        return UsageError("sync", "--creator needs a Creator ID", kSyncUsage);
    const std::filesystem::path& handheld = parsed->folder;
    std::string lockError;
    auto handheldLock = HoldHandheldFolder(handheld, wait, lockError);
    if (!handheldLock) {
        std::cerr << "hotsync: " << lockError << "\n";
        return 1;
    }
    std::string userName = options.Has("--user") ? options.Get("--user") : DefaultUserName();

    auto conduits = platform::DefaultConduitManager();
    std::vector<platform::ConduitInfo> toRun;
    for (const auto& info : conduits->List())
        if (!options.Has("--creator") ||
            platform::CreatorIdToText(info.creatorId) == options.Get("--creator"))
            toRun.push_back(info);
    if (options.Has("--creator") && toRun.empty()) {
        std::cerr << "hotsync: no conduit is registered under " << options.Get("--creator") << "\n";
        return 1;
    }

    auto users = platform::DefaultHotSyncUsers();
    platform::HotSyncUser user = users->FindOrCreateUser(userName);
    LogEcho log(platform::UserLogFile(user.name));
    std::vector<ConduitSummary> summaries;
    {
        platform::HotSyncSession session(user.id, user.name, handheld.string(), dryRun);
        for (const auto& info : toRun) {
            std::string creator = platform::CreatorIdToText(info.creatorId);
            std::string error;
            auto conduit = LoadConduit(info.comClass, error);
            if (!conduit) {
                std::cerr << "hotsync: conduit " << creator << " (" << info.title
                          << "): " << OneLine(error) << "\n";
                exitCode = 1;
                continue;
            }
            session.SetRunningCreatorId(info.creatorId);
            bool result = false;
            com::HRESULT status = (*conduit)->BeginProcess(&result);
            platform::ClearProgressLine();
            log.Flush();
            if (!com::Succeeded(status)) {
                std::cerr << "hotsync: conduit " << creator << " (" << info.title
                          << ") failed: " << OneLine((*conduit)->ErrorDescription()) << "\n";
                exitCode = 1;
                continue;
            }
            // BeginProcess returns false whatever happened; the conduit reports how its sync
            // ended in the session. A conduit that reports nothing is taken as completed.
            std::optional<platform::ConduitOutcome> outcome = session.RunningConduitOutcome();
            if (outcome) summaries.push_back({creator, info.title, outcome->tables});
            if (outcome && !outcome->completed) {
                std::cerr << "hotsync: conduit " << creator << " (" << info.title
                          << ") did not complete: " << OneLine(outcome->reason) << "\n";
                exitCode = 1;
            }
        }
    }
    log.Flush();
    PrintSummary(summaries, dryRun);
    return exitCode;
}

int RunConfigure(const Args& args) {
    std::string error;
    std::optional<ParsedArgs> parsed = ParseArgs(args, {{"--user"}, {}}, error);
    if (!parsed) return UsageError("configure", error, kConfigureUsage);
    const ParsedArgs& options = *parsed;
    if (options.positional.size() != 1)
        return UsageError("configure", "give exactly one creator ID", kConfigureUsage);
    if (options.Has("--user") && options.Get("--user").empty())
        return UsageError("configure", "--user needs a name", kConfigureUsage);
    const std::string& creator = options.positional[0];
    auto conduits = platform::DefaultConduitManager();
    platform::ConduitInfo info;
    try {
        info = conduits->Lookup(conduits->CreatorIdFromText(creator));
    } catch (const std::exception& e) {
        std::cerr << "hotsync: no conduit is registered under " << creator << "\n";
        return 1;
    }
    auto conduit = LoadConduit(info.comClass, error);
    if (!conduit) {
        std::cerr << "hotsync: conduit " << creator << ": " << error << "\n";
        return 1;
    }
    auto users = platform::DefaultHotSyncUsers();
    platform::HotSyncUser user =
        users->FindOrCreateUser(options.Has("--user") ? options.Get("--user") : DefaultUserName());
    std::int32_t permanent = 0, temporary = 0, newAction = 0, preference = 0;
    com::HRESULT status = (*conduit)->CfgConduit(
        static_cast<std::int32_t>(info.creatorId), static_cast<std::int32_t>(user.id), user.name,
        platform::UserLogFile(user.name).parent_path().string(), &permanent, &temporary, &newAction,
        &preference);
    if (!com::Succeeded(status)) {
        std::cerr << "hotsync: configuring " << creator
                  << " failed: " << (*conduit)->ErrorDescription() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tarn::hotsync
