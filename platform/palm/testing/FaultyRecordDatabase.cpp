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
                                           std::string data) {
    ++writeCalls_;
    if (writeCalls_ == plan_.failOnWrite)
        ThrowPalmError(kErrInjectedFault, "injected fault: write " + std::to_string(writeCalls_) +
                                              " to \"" + inner_->Info().name + "\" failed");
    return inner_->WriteRecord(recordId, category, attributes, std::move(data));
}

void FaultyRecordDatabase::Prepare() {
    if (plan_.failOnPrepare)
        ThrowPalmError(kErrInjectedFault,
                       "injected fault: preparing \"" + inner_->Info().name + "\" failed");
    inner_->Prepare();
}

void FaultyRecordDatabase::Publish() {
    if (plan_.failOnPublish) {
        // As a real failed publish: the prepared version is gone, the stored one unchanged.
        inner_->Discard();
        ThrowPalmError(kErrInjectedFault,
                       "injected fault: publishing \"" + inner_->Info().name + "\" failed");
    }
    inner_->Publish();
}

}  // namespace tarn::platform::palm::testing
