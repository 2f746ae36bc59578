#pragma once

#include <cstddef>
#include <memory>

#include "platform/palm/RecordDatabase.h"

// A record database that fails on request, for tests of what a failing handheld does to the
// components above it. Everything else is passed to a real database underneath.
namespace tarn::platform::palm::testing {

struct FaultPlan {
    size_t failOnWrite = 0;  // the Nth WriteRecord call (from 1) throws; 0 = never
    bool failOnRemove = false;
    bool failOnPrepare = false;
    bool failOnPublish = false;
};

class FaultyRecordDatabase : public RecordDatabase {
  public:
    FaultyRecordDatabase(std::unique_ptr<RecordDatabase> inner, FaultPlan plan);

    DatabaseInfo Info() const override { return inner_->Info(); }
    void SetIterationIndex(uint32_t index) override { inner_->SetIterationIndex(index); }
    uint32_t RecordCount() const override { return inner_->RecordCount(); }
    PalmRecord ReadNext() override { return inner_->ReadNext(); }
    bool EndOfData() const override { return inner_->EndOfData(); }
    void ReleaseRecords() override { inner_->ReleaseRecords(); }
    void RemoveAllRecords() override;
    uint32_t WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                         std::string data) override;
    void Prepare() override;
    void Publish() override;
    void Discard() override { inner_->Discard(); }

    size_t writeCalls() const { return writeCalls_; }

  private:
    std::unique_ptr<RecordDatabase> inner_;
    FaultPlan plan_;
    size_t writeCalls_ = 0;
};

}  // namespace tarn::platform::palm::testing
