#include "platform/suite/SessionFileWatch.h"

namespace tarn::platform {

// A file held open here would refuse the host's replacing it, so nothing is watched and the
// session is read whenever it is asked for.
SessionFileWatch::~SessionFileWatch() = default;

void SessionFileWatch::Watch(const std::filesystem::path&) {}

bool SessionFileWatch::Unchanged(const std::filesystem::path&) const {
    return false;
}

void SessionFileWatch::Forget() {}

}  // namespace tarn::platform
