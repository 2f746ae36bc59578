#include "register/ComInstall.h"

#include "platform/suite/DefaultSuite.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MouseIcon.h"
#include "platform/ui/PendingEvents.h"

namespace tarn::MComInstall {

namespace ui = platform::ui;

const PalmComObjects& DefaultPalmComObjects() {
    static const PalmComObjects objects{
        []() -> std::shared_ptr<platform::ConduitManager> {
            return platform::DefaultConduitManager();
        },
        []() -> std::shared_ptr<platform::HotSyncUsers> { return platform::DefaultHotSyncUsers(); },
        []() -> std::shared_ptr<platform::HotSyncNotifier> {
            return platform::DefaultHotSyncNotifier();
        },
    };
    return objects;
}

bool IsPalmComInstalled(const PalmComObjects& palm) {
    try {
        palm.conduitManager()->Probe();
        return true;
    } catch (...) {
        return false;
    }
}

bool IsConduitRegistered(const std::string& creatorId, const PalmComObjects& palm) {
    try {
        auto manager = palm.conduitManager();
        manager->Lookup(manager->CreatorIdFromText(creatorId));
        return true;
    } catch (...) {
        return false;
    }
}

bool RegisterConduit(const std::string& creatorId, const std::string& title,
                     const std::string& fileName, const std::string& directory,
                     const PalmComObjects& palm) {
    ui::MouseIcon busy(ui::kHourglassPointer);
    try {
        auto manager = palm.conduitManager();
        platform::ConduitInfo info;
        info.comClass = kConduitComClass;
        info.creatorId = manager->CreatorIdFromText(creatorId);
        info.directory = directory;
        info.remoteDirectory.clear();
        info.file = fileName;
        info.title = title;
        info.priority = kConduitPriority;
        manager->Register(info);

        auto users = palm.hotSyncUsers();
        for (std::uint32_t user : users->UserIds()) {
            users->SetPermanentSyncAction(user, info.creatorId, 0);
            users->SetTemporarySyncAction(user, info.creatorId, 0);
        }
        palm.notifier()->ConduitListChanged();
        return true;
    } catch (...) {
        // The caller says what failed; a registration already made stays, as the HotSync
        // manager would keep it.
        return false;
    }
}

bool UnregisterConduit(const std::string& creatorId, const PalmComObjects& palm) {
    bool removed = false;
    {
        ui::MouseIcon busy(ui::kHourglassPointer);
        ui::LetPendingEventsRun();
        try {
            auto manager = palm.conduitManager();
            std::uint32_t number = manager->CreatorIdFromText(creatorId);
            manager->Lookup(number);  // a missing registration is a failure, not a no-op
            manager->Unregister(number);
            palm.notifier()->ConduitListChanged();
            ui::LetPendingEventsRun();
            removed = true;
        } catch (...) {
        }
    }
    // Shown after the busy pointer is gone, so the box does not sit under an hourglass.
    if (!removed)
        ui::ShowMessageBox("", "Error unregistering conduit with Creator ID " + creatorId,
                           ui::MessageIcon::Critical);
    return removed;
}

}  // namespace tarn::MComInstall
