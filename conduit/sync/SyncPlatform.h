#pragma once

#include <string>

namespace tarn::platform {
class HotSyncNotifier;
class SyncUtility;
class ConduitManager;
class Registry;
namespace odbc {
class Environment;
}
namespace palm {
class HandheldFolder;
}
}  // namespace tarn::platform

namespace tarn::conduit {

// Everything outside the engine that a synchronisation touches. The conduit library hands the
// engine the real layers; tests hand it real layers over temporary folders, or fakes that fail
// on purpose.
class SyncPlatform {
  public:
    virtual ~SyncPlatform() = default;

    virtual platform::HotSyncNotifier& Notifier() = 0;
    virtual platform::SyncUtility& SyncUtility() = 0;
    virtual platform::ConduitManager& ConduitManager() = 0;
    virtual platform::Registry& Registry() = 0;
    virtual platform::odbc::Environment& Odbc() = 0;
    // The databases of the handheld being synchronised. Throws PlatformError outside a HotSync.
    // A sync asks once (SyncSession::Handheld) and keeps the answer to its end.
    virtual platform::palm::HandheldFolder& Handheld() = 0;
    // The one message the engine may show: called outside a HotSync.
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace tarn::conduit
