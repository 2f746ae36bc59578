#include "conduit/sync/DataRecord.h"

#include <iterator>

#include "common/model/CollectionErrors.h"
#include "conduit/sync/ModuleState.h"
#include "conduit/sync/RecordOrder.h"

namespace tarn::conduit {

colFields& clsDataRecord::Fields() {
    if (!fields_) fields_ = std::make_shared<colFields>();
    return *fields_;
}

const colFields& clsDataRecord::Fields() const {
    if (!fields_) fields_ = std::make_shared<colFields>();
    return *fields_;
}

colDataRecord::Record colDataRecord::Item(int32_t position) const {
    if (position < 1 || position > Count()) throw IndexOutOfRangeError(position);
    return std::next(records_.begin(), position - 1)->second;
}

colDataRecord::Record colDataRecord::Item(std::string_view key) const {
    auto it = records_.find(RecordOrderKey(key));
    if (it == records_.end()) throw KeyNotFoundError(std::string(key));
    return it->second;
}

void colDataRecord::Remove(std::string_view key) {
    if (records_.erase(RecordOrderKey(key)) == 0) throw KeyNotFoundError(std::string(key));
}

bool colDataRecord::KeyExists(std::string_view key) const {
    return records_.count(RecordOrderKey(key)) != 0;
}

// Both admissions compute the order text once and use the map position found for the lookup
// to insert, so each costs one O(log n) search. The admission lines are composed only when the
// debug level will write them: a queue of tens of thousands of records is filled per table.

void colDataRecord::AdmitPalmRecord(ModuleState& state, Record record) {
    std::string order = RecordOrderKey(record->PrimaryFieldValue);
    auto place = records_.lower_bound(order);
    if (place != records_.end() && place->first == order) {
        // The first handheld record of a key wins; the queued one stays as it is.
        state.WriteLog("PDA record already exists: Key=" + record->PrimaryFieldValue, 1);
        return;
    }
    if (state.DebugLevel() >= 3)
        state.WriteLog("Adding PDA Record to Queue: Key=" + record->PrimaryFieldValue, 3);
    records_.emplace_hint(place, std::move(order), std::move(record));
}

void colDataRecord::AdmitDesktopRecord(ModuleState& state, Record record) {
    std::string order = RecordOrderKey(record->PrimaryFieldValue);
    auto place = records_.lower_bound(order);
    bool queued = place != records_.end() && place->first == order;
    if (queued) {
        clsDataRecord& existing = *place->second;
        // An earlier desktop row of the key wins, and a record the handheld deleted must
        // survive so that the driver deletes the desktop row; both drops are silent.
        if (existing.RecordStatus & RecordOnDesktop) return;
        if ((existing.RecordStatus & RecordDeleted) && !DesktopRowsReplaceDeletions) {
            // The deletion must reach this row by its own key, which may differ in letter
            // case or number format from the handheld's.
            existing.DesktopKeyValues.push_back(record->DesktopKeyValues.empty()
                                                    ? record->PrimaryFieldValue
                                                    : record->DesktopKeyValues.front());
            return;
        }
    }
    record->RecordStatus |= RecordOnDesktop;
    if (state.DebugLevel() >= 3)
        state.WriteLog("Adding Desktop Record to Queue: Key=" + record->PrimaryFieldValue, 3);
    if (queued)
        place->second = std::move(record);  // takes the handheld record's place in the order
    else
        records_.emplace_hint(place, std::move(order), std::move(record));
}

}  // namespace tarn::conduit
