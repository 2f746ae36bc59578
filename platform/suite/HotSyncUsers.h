#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::platform {

struct HotSyncUser {
    std::uint32_t id = 0;
    std::string name;
};

// The HotSync users of this machine, as registration needs them. Failures throw PlatformError.
class HotSyncUsers {
  public:
    virtual ~HotSyncUsers() = default;

    virtual std::vector<std::uint32_t> UserIds() = 0;
    // The two per-user actions for a conduit, the permanent one and the one for the next
    // HotSync only (the pair the host hands a conduit's configuration call). Throw when the
    // user does not exist.
    virtual void SetPermanentSyncAction(std::uint32_t userId, std::uint32_t creatorId,
                                        std::int32_t action) = 0;
    virtual void SetTemporarySyncAction(std::uint32_t userId, std::uint32_t creatorId,
                                        std::int32_t action) = 0;
    // The user of that name (exact match); a new user with the next free ID when there is none.
    // Throws for an empty name.
    virtual HotSyncUser FindOrCreateUser(const std::string& name) = 0;
};

}  // namespace tarn::platform
