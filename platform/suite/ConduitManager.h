#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::platform {

// One conduit registration: what the HotSync manager knows about a conduit.
struct ConduitInfo {
    std::string comClass;         // ProgID of the class the host creates for a HotSync
    std::uint32_t creatorId = 0;  // Creator ID number (see CreatorId.h)
    std::string directory;        // folder of the configuration file, as registered
    std::string remoteDirectory;  // the text field after Directory; registration leaves it empty
    std::string file;             // configuration file name, joined to `directory` as is
    std::string title;            // shown by the HotSync manager
    std::int32_t priority = 2;

    bool operator==(const ConduitInfo&) const = default;
};

// The HotSync manager's list of conduits. Failures throw PlatformError.
class ConduitManager {
  public:
    virtual ~ConduitManager() = default;

    virtual std::string CreatorIdToText(std::uint32_t creatorId) = 0;
    virtual std::uint32_t CreatorIdFromText(const std::string& text) = 0;
    // Throws when no conduit is registered under the number.
    virtual ConduitInfo Lookup(std::uint32_t creatorId) = 0;
    // Succeeds when the conduit list can be reached at all.
    virtual void Probe() = 0;
    // Replaces any registration with the same Creator ID.
    virtual void Register(const ConduitInfo& info) = 0;
    // Throws when no conduit is registered under the number.
    virtual void Unregister(std::uint32_t creatorId) = 0;
    // All registrations, by priority and then Creator ID.
    virtual std::vector<ConduitInfo> List() = 0;
};

}  // namespace tarn::platform
