#pragma once

#include <chrono>
#include <string>
#include <utility>

namespace tarn::platform {
class SyncUtility;
}

namespace tarn::conduit {

// Tells the host how far the table's current step has come. Cheap enough for every record: the
// host hears of it a few times a second at most, and of a step's first and last record.
class ProgressReporter {
  public:
    explicit ProgressReporter(platform::SyncUtility& utility) : utility_(utility) {}

    // The conduit's title, as the host shows it, once the description has been read.
    void SetConduit(std::string title) { conduit_ = std::move(title); }
    void Report(const std::string& table, const char* step, long done, long total);

  private:
    platform::SyncUtility& utility_;
    std::string conduit_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace tarn::conduit
