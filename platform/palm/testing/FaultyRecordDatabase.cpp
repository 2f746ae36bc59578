#include "platform/palm/testing/FaultyRecordDatabase.h"

#include <string>

#include "platform/palm/PalmErrors.h"

namespace tarn::platform::palm::testing {

FaultyRecordDatabase::FaultyRecordDatabase(std::unique_ptr<RecordDatabase> inner, FaultPlan plan)
    : inner_(std::move(inner)), plan_(plan) {}

void FaultyRecordDatabase::RemoveAllRecords() {
    if (plan_.failOnRemove)
        ThrowPalmError(kErrInjectedFault, "injected fault: removing the records of \"" +
                                              inner_->Info().name + "\" failed");
    inner_->RemoveAllRecords();
}

uint32_t FaultyRecordDatabase::WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                                           std::string_view data) {
    ++writeCalls_;
    if (writeCalls_ == plan_.failOnWrite)
        ThrowPalmError(kErrInjectedFault, "injected fault: write " + std::to_string(writeCalls_) +
                                              " to \"" + inner_->Info().name + "\" failed");
    return inner_->WriteRecord(recordId, category, attributes, data);
}

void FaultyRecordDatabase::Commit() {
    if (plan_.failOnCommit)
        ThrowPalmError(kErrInjectedFault,
                       "injected fault: committing \"" + inner_->Info().name + "\" failed");
    inner_->Commit();
}

}  // namespace tarn::platform::palm::testing
