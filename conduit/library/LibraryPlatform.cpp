#include "conduit/library/LibraryPlatform.h"

#include "platform/Error.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/palm/DefaultHandheldFolder.h"
#include "platform/suite/DefaultSuite.h"
#include "platform/suite/HotSyncSession.h"
#include "platform/suite/SuiteErrors.h"
#include "platform/ui/MessageBox.h"

namespace tarn::conduit {

LibraryPlatform::LibraryPlatform() = default;
LibraryPlatform::~LibraryPlatform() = default;

// Each layer is made on first use: showing the configuration window needs no ODBC driver
// manager, and a sync outside a HotSync needs nothing but the notifier.
platform::HotSyncNotifier& LibraryPlatform::Notifier() {
    if (!notifier_) notifier_ = platform::DefaultHotSyncNotifier();
    return *notifier_;
}

platform::SyncUtility& LibraryPlatform::SyncUtility() {
    if (!utility_) utility_ = platform::DefaultSyncUtility();
    return *utility_;
}

platform::ConduitManager& LibraryPlatform::ConduitManager() {
    if (!conduits_) conduits_ = platform::DefaultConduitManager();
    return *conduits_;
}

platform::Registry& LibraryPlatform::Registry() {
    if (!registry_) registry_ = platform::DefaultRegistry();
    return *registry_;
}

platform::odbc::Environment& LibraryPlatform::Odbc() {
    if (!odbc_) odbc_ = platform::odbc::OpenOdbcEnvironment();
    return *odbc_;
}

platform::palm::HandheldFolder& LibraryPlatform::Handheld() {
    auto session = platform::CurrentProcessSession();
    if (!session || session->handheldFolder.empty())
        throw platform::PlatformError(platform::suite_error::kNotFound,
                                      "No HotSync is running, so there is no handheld to open");
    std::filesystem::path folder = session->handheldFolder;
    if (!handheld_ || folder != handheldFolder_) {
        handheld_ = platform::palm::DefaultHandheldFolder(folder);
        handheldFolder_ = folder;
    }
    return *handheld_;
}

void LibraryPlatform::ShowMessage(const std::string& text) {
    platform::ui::ShowMessageBox("TarnConduit2", text);
}

}  // namespace tarn::conduit
