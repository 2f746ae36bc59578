#pragma once

#include <string>

namespace tarn::platform {

// How one conduit's synchronisation ended. The conduit's entry point reports nothing through
// its result (it returns false whatever happened), so the conduit tells the host this way, and
// the host decides its exit status from it.
struct ConduitOutcome {
    bool completed = false;
    std::string reason;  // one line: why it did not complete; empty when it did

    bool operator==(const ConduitOutcome&) const = default;
};

}  // namespace tarn::platform
