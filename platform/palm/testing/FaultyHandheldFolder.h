#pragma once

#include <memory>

#include "platform/palm/HandheldFolder.h"
#include "platform/palm/testing/FaultyRecordDatabase.h"

namespace tarn::platform::palm::testing {

// A real handheld folder whose databases fail as planned: everything else reaches the folder
// underneath, so what a failure leaves behind can be read from the real files.
class FaultyHandheldFolder : public HandheldFolder {
  public:
    FaultyHandheldFolder(std::unique_ptr<HandheldFolder> inner, FaultPlan plan)
        : inner_(std::move(inner)), plan_(plan) {}

    std::vector<DatabaseListing> ListDatabases() override { return inner_->ListDatabases(); }

  private:
    std::unique_ptr<RecordDatabase> OpenDatabase(const std::string& name,
                                                 unsigned openMode) override {
        return std::make_unique<FaultyRecordDatabase>(inner_->OpenRecordDatabase(name, openMode),
                                                      plan_);
    }
    std::unique_ptr<RecordDatabase> CreateDatabase(const NewDatabase& database,
                                                   unsigned openMode) override {
        return std::make_unique<FaultyRecordDatabase>(
            inner_->CreateRecordDatabase(database, openMode), plan_);
    }

    std::unique_ptr<HandheldFolder> inner_;
    FaultPlan plan_;
};

}  // namespace tarn::platform::palm::testing
