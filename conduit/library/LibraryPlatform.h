#pragma once

#include <filesystem>
#include <memory>

#include "conduit/sync/SyncPlatform.h"

namespace tarn::conduit {

// The layers a loaded conduit library works with: the machine state under TARN_HOME, the real
// ODBC driver manager, and the handheld folder of the HotSync the host is running.
class LibraryPlatform : public SyncPlatform {
  public:
    LibraryPlatform();
    ~LibraryPlatform() override;

    platform::HotSyncNotifier& Notifier() override;
    platform::SyncUtility& SyncUtility() override;
    platform::ConduitManager& ConduitManager() override;
    platform::Registry& Registry() override;
    platform::odbc::Environment& Odbc() override;
    platform::palm::HandheldFolder& Handheld() override;
    void ShowMessage(const std::string& text) override;

  private:
    std::unique_ptr<platform::HotSyncNotifier> notifier_;
    std::unique_ptr<platform::SyncUtility> utility_;
    std::unique_ptr<platform::ConduitManager> conduits_;
    std::unique_ptr<platform::Registry> registry_;
    std::unique_ptr<platform::odbc::Environment> odbc_;
    std::unique_ptr<platform::palm::HandheldFolder> handheld_;
    std::filesystem::path handheldFolder_;
};

}  // namespace tarn::conduit
