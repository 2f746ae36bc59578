#include "platform/suite/PosixComServers.h"

#include "platform/Error.h"
#include "platform/suite/StoreErrors.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

constexpr char kSection[] = "ProgIDs";

}  // namespace

PosixComServers::PosixComServers() : PosixComServers(TarnHome() / "com-servers.ini") {}

PosixComServers::PosixComServers(std::filesystem::path file) : store_(std::move(file)) {}

void PosixComServers::RegisterServer(const std::string& progId,
                                     const std::filesystem::path& library) {
    if (progId.empty())
        throw PlatformError(suite_error::kInvalidArgument, "A ProgID may not be empty");
    std::string error;
    ThrowIfFailed(store_.Update(
                      [&](IniDocument& document) {
                          document.FindOrAdd(kSection).Set(progId, QuoteText(library.string()));
                          return true;
                      },
                      &error),
                  error);
}

bool PosixComServers::UnregisterServer(const std::string& progId) {
    std::string error;
    bool found = false;
    ThrowIfFailed(store_.Update(
                      [&](IniDocument& document) {
                          IniSection* section = document.Find(kSection);
                          found = section && section->Remove(progId);
                          return found;
                      },
                      &error),
                  error);
    return found;
}

std::optional<std::filesystem::path> PosixComServers::Resolve(const std::string& progId) {
    IniDocument document;
    std::string error;
    ThrowIfFailed(store_.Read(document, &error), error);
    const IniSection* section = document.Find(kSection);
    const std::string* raw = section ? section->Find(progId) : nullptr;
    if (!raw) return std::nullopt;
    std::optional<std::string> path = UnquoteText(*raw);
    if (!path) throw PlatformError(suite_error::kFailure, "Damaged COM server entry for " + progId);
    return std::filesystem::path(*path);
}

}  // namespace tarn::platform
