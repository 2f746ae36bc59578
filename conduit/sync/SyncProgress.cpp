#include "conduit/sync/SyncProgress.h"

#include "common/config/Scramble.h"
#include "conduit/sync/ModuleState.h"
#include "platform/suite/SyncUtility.h"

namespace tarn::conduit {
namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(200);

}  // namespace

void ReportProgress(ModuleState& state, const std::string& table, const char* step, long done,
                    long total) {
    const auto now = std::chrono::steady_clock::now();
    const bool edge = done == 0 || done == total;
    if (!edge && now - state.LastProgress < kProgressInterval) return;
    state.LastProgress = now;
    platform::SyncProgress progress{DescrambleString(state.Settings.ConduitTitle), table, step,
                                    done, total};
    state.Platform.SyncUtility().ReportProgress(progress);
}

}  // namespace tarn::conduit
