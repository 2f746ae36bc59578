#include "conduit/sync/SyncProgress.h"

#include "platform/suite/SyncUtility.h"

namespace tarn::conduit {
namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(200);

}  // namespace

void ProgressReporter::Report(const std::string& table, const char* step, long done, long total) {
    const auto now = std::chrono::steady_clock::now();
    const bool edge = done == 0 || done == total;
    if (!edge && now - last_ < kProgressInterval) return;
    last_ = now;
    utility_.ReportProgress(platform::SyncProgress{conduit_, table, step, done, total});
}

}  // namespace tarn::conduit
