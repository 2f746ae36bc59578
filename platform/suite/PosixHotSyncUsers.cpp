#include "platform/suite/PosixHotSyncUsers.h"

#include <algorithm>
#include <cstdio>

#include "platform/Error.h"
#include "platform/suite/NumberText.h"
#include "platform/suite/StoreErrors.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

std::string ActionEntry(std::uint32_t creatorId, const char* which) {
    char name[32];
    std::snprintf(name, sizeof name, "Sync %08X %s", creatorId, which);
    return name;
}

std::vector<HotSyncUser> ParseUsers(const IniDocument& document) {
    std::vector<HotSyncUser> users;
    for (const auto& section : document.sections) {
        std::optional<std::uint32_t> id = ParseWhole<std::uint32_t>(section.name);
        const std::string* raw = section.Find("Name");
        std::optional<std::string> name = raw ? UnquoteText(*raw) : std::nullopt;
        if (!id || !name)
            throw PlatformError(suite_error::kFailure,
                                "Damaged HotSync user entry [" + section.name + "]");
        users.push_back({*id, *name});
    }
    std::sort(users.begin(), users.end(),
              [](const HotSyncUser& a, const HotSyncUser& b) { return a.id < b.id; });
    return users;
}

}  // namespace

PosixHotSyncUsers::PosixHotSyncUsers() : PosixHotSyncUsers(TarnHome() / "users.ini") {}

PosixHotSyncUsers::PosixHotSyncUsers(std::filesystem::path file) : store_(std::move(file)) {}

IniDocument PosixHotSyncUsers::ReadAll() {
    IniDocument document;
    std::string error;
    ThrowIfFailed(store_.Read(document, &error), error);
    return document;
}

std::vector<HotSyncUser> PosixHotSyncUsers::Users() {
    return ParseUsers(ReadAll());
}

std::vector<std::uint32_t> PosixHotSyncUsers::UserIds() {
    std::vector<std::uint32_t> ids;
    for (const auto& user : Users()) ids.push_back(user.id);
    return ids;
}

HotSyncUser PosixHotSyncUsers::FindOrCreateUser(const std::string& name) {
    if (name.empty())
        throw PlatformError(suite_error::kInvalidArgument, "A HotSync user name may not be empty");
    HotSyncUser result;
    std::string error;
    ThrowIfFailed(
        store_.Update(
            [&](IniDocument& document) {
                std::vector<HotSyncUser> users = ParseUsers(document);
                for (const auto& user : users) {
                    if (user.name == name) {
                        result = user;
                        return false;
                    }
                }
                result = {users.empty() ? 1u : users.back().id + 1, name};
                document.FindOrAdd(std::to_string(result.id)).Set("Name", QuoteText(name));
                return true;
            },
            &error),
        error);
    return result;
}

void PosixHotSyncUsers::SetAction(std::uint32_t userId, std::uint32_t creatorId, const char* which,
                                  std::int32_t action) {
    std::string error;
    bool found = false;
    ThrowIfFailed(store_.Update(
                      [&](IniDocument& document) {
                          IniSection* section = document.Find(std::to_string(userId));
                          found = section != nullptr;
                          if (found)
                              section->Set(ActionEntry(creatorId, which), std::to_string(action));
                          return found;
                      },
                      &error),
                  error);
    if (!found)
        throw PlatformError(suite_error::kNotFound,
                            "No HotSync user with ID " + std::to_string(userId));
}

void PosixHotSyncUsers::SetPermanentSyncAction(std::uint32_t userId, std::uint32_t creatorId,
                                               std::int32_t action) {
    SetAction(userId, creatorId, "Permanent", action);
}

void PosixHotSyncUsers::SetTemporarySyncAction(std::uint32_t userId, std::uint32_t creatorId,
                                               std::int32_t action) {
    SetAction(userId, creatorId, "Temporary", action);
}

SyncActions PosixHotSyncUsers::ActionsFor(std::uint32_t userId, std::uint32_t creatorId) {
    IniDocument document = ReadAll();
    SyncActions actions;
    const IniSection* section = document.Find(std::to_string(userId));
    if (!section) return actions;
    auto read = [&](const char* which) -> std::optional<std::int32_t> {
        const std::string* raw = section->Find(ActionEntry(creatorId, which));
        return raw ? ParseWhole<std::int32_t>(*raw) : std::nullopt;
    };
    actions.permanent = read("Permanent");
    actions.temporary = read("Temporary");
    return actions;
}

}  // namespace tarn::platform
