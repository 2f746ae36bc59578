#include "platform/suite/PosixHotSyncNotifier.h"

#include "platform/suite/HotSyncSession.h"
#include "platform/suite/IniStore.h"
#include "platform/suite/NumberText.h"
#include "platform/suite/StoreErrors.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

constexpr char kSection[] = "Notifier";
constexpr char kCounter[] = "ConduitListChanges";

std::uint64_t Counter(const IniDocument& document) {
    const IniSection* section = document.Find(kSection);
    const std::string* raw = section ? section->Find(kCounter) : nullptr;
    return raw ? ParseWhole<std::uint64_t>(*raw).value_or(0) : 0;
}

}  // namespace

bool PosixHotSyncNotifier::IsHotSyncRunning() {
    return CurrentProcessSession().has_value();
}

void PosixHotSyncNotifier::ConduitListChanged() {
    IniStore store(TarnHome() / "notifier.ini");
    std::string error;
    ThrowIfFailed(store.Update(
                      [](IniDocument& document) {
                          std::uint64_t next = Counter(document) + 1;
                          document.FindOrAdd(kSection).Set(kCounter, std::to_string(next));
                          return true;
                      },
                      &error),
                  error);
}

std::uint64_t PosixHotSyncNotifier::ConduitListChanges() {
    IniDocument document;
    std::string error;
    ThrowIfFailed(IniStore(TarnHome() / "notifier.ini").Read(document, &error), error);
    return Counter(document);
}

}  // namespace tarn::platform
