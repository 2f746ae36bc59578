#include "platform/suite/PosixConduitManager.h"

#include <algorithm>
#include <cstdio>

#include "platform/Error.h"
#include "platform/suite/CreatorId.h"
#include "platform/suite/NumberText.h"
#include "platform/suite/StoreErrors.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

std::string SectionName(std::uint32_t creatorId) {
    char name[9];
    std::snprintf(name, sizeof name, "%08X", creatorId);
    return name;
}

[[noreturn]] void Damaged(const std::string& section, const std::string& why) {
    throw PlatformError(suite_error::kFailure,
                        "Damaged conduit registration [" + section + "]: " + why);
}

std::string TextField(const IniSection& section, const char* name) {
    const std::string* raw = section.Find(name);
    if (!raw) return {};
    std::optional<std::string> text = UnquoteText(*raw);
    if (!text) Damaged(section.name, std::string("bad ") + name);
    return *text;
}

ConduitInfo FromSection(const IniSection& section) {
    ConduitInfo info;
    std::optional<std::uint32_t> creatorId = ParseWhole<std::uint32_t>(section.name, 16);
    if (!creatorId || section.name.size() != 8) Damaged(section.name, "bad Creator ID");
    info.creatorId = *creatorId;
    info.comClass = TextField(section, "ComClass");
    info.directory = TextField(section, "Directory");
    info.remoteDirectory = TextField(section, "RemoteDirectory");
    info.file = TextField(section, "File");
    info.title = TextField(section, "Title");
    if (const std::string* raw = section.Find("Priority")) {
        std::optional<std::int32_t> priority = ParseWhole<std::int32_t>(*raw);
        if (!priority) Damaged(section.name, "bad Priority");
        info.priority = *priority;
    }
    return info;
}

IniSection ToSection(const ConduitInfo& info) {
    IniSection section{SectionName(info.creatorId), {}};
    section.Set("ComClass", QuoteText(info.comClass));
    // The text form is only for people reading the file; the section name is authoritative.
    section.Set("CreatorId", QuoteText(CreatorIdToText(info.creatorId)));
    section.Set("Directory", QuoteText(info.directory));
    section.Set("RemoteDirectory", QuoteText(info.remoteDirectory));
    section.Set("File", QuoteText(info.file));
    section.Set("Title", QuoteText(info.title));
    section.Set("Priority", std::to_string(info.priority));
    return section;
}

[[noreturn]] void NotRegistered(std::uint32_t creatorId) {
    throw PlatformError(suite_error::kNotFound, "No conduit is registered for Creator ID '" +
                                                    CreatorIdToText(creatorId) + "'");
}

}  // namespace

PosixConduitManager::PosixConduitManager() : PosixConduitManager(TarnHome() / "conduits.ini") {}

PosixConduitManager::PosixConduitManager(std::filesystem::path file) : store_(std::move(file)) {}

IniDocument PosixConduitManager::ReadAll() {
    IniDocument document;
    std::string error;
    ThrowIfFailed(store_.Read(document, &error), error);
    return document;
}

std::string PosixConduitManager::CreatorIdToText(std::uint32_t creatorId) {
    return platform::CreatorIdToText(creatorId);
}

std::uint32_t PosixConduitManager::CreatorIdFromText(const std::string& text) {
    return CreatorIdToNumber(text);
}

ConduitInfo PosixConduitManager::Lookup(std::uint32_t creatorId) {
    IniDocument document = ReadAll();
    const IniSection* section = document.Find(SectionName(creatorId));
    if (!section) NotRegistered(creatorId);
    return FromSection(*section);
}

void PosixConduitManager::Probe() {
    ReadAll();
}

void PosixConduitManager::Register(const ConduitInfo& info) {
    std::string error;
    ThrowIfFailed(store_.Update(
                      [&](IniDocument& document) {
                          IniSection section = ToSection(info);
                          if (IniSection* existing = document.Find(section.name))
                              *existing = std::move(section);
                          else
                              document.sections.push_back(std::move(section));
                          return true;
                      },
                      &error),
                  error);
}

void PosixConduitManager::Unregister(std::uint32_t creatorId) {
    std::string error;
    bool found = false;
    ThrowIfFailed(store_.Update(
                      [&](IniDocument& document) {
                          found = document.Remove(SectionName(creatorId));
                          return found;
                      },
                      &error),
                  error);
    if (!found) NotRegistered(creatorId);
}

std::vector<ConduitInfo> PosixConduitManager::List() {
    IniDocument document = ReadAll();
    std::vector<ConduitInfo> list;
    for (const auto& section : document.sections) list.push_back(FromSection(section));
    std::sort(list.begin(), list.end(), [](const ConduitInfo& a, const ConduitInfo& b) {
        if (a.priority != b.priority) return a.priority < b.priority;
        return a.creatorId < b.creatorId;
    });
    return list;
}

}  // namespace tarn::platform
