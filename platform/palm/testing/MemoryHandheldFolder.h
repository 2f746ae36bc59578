#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/palm/HandheldFolder.h"
#include "platform/palm/testing/FaultyRecordDatabase.h"

// A handheld folder held in memory: file name -> file bytes. Databases it hands out commit into
// it (they may outlive the folder object). With a fault plan set, every database it hands out
// afterwards fails as planned.
namespace tarn::platform::palm::testing {

class MemoryHandheldFolder : public HandheldFolder {
  public:
    MemoryHandheldFolder();

    std::vector<DatabaseListing> ListDatabases() override;

    void SetFaults(const FaultPlan& plan) { faults_ = plan; }
    void PutFile(const std::string& fileName, std::string bytes) {
        (*files_)[fileName] = std::move(bytes);
    }
    // Empty when there is no such file.
    std::string FileBytes(const std::string& fileName) const;
    const std::map<std::string, std::string>& files() const { return *files_; }

  private:
    std::unique_ptr<RecordDatabase> OpenDatabase(const std::string& name,
                                                 unsigned openMode) override;
    std::unique_ptr<RecordDatabase> CreateDatabase(const NewDatabase& database,
                                                   unsigned openMode) override;
    std::unique_ptr<RecordDatabase> Load(const std::string& fileName, unsigned openMode);

    std::shared_ptr<std::map<std::string, std::string>> files_;
    FaultPlan faults_;
};

}  // namespace tarn::platform::palm::testing
