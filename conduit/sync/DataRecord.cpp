#include "conduit/sync/DataRecord.h"

#include <cstring>
#include <iterator>

#include "common/model/CollectionErrors.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/RecordOrder.h"
#include "text/Windows1252.h"

namespace tarn::conduit {

void RecordLayout::Add(const std::string& name, int16_t type) {
    names_.push_back(name);
    folded_.push_back(text::FoldCase(name));
    types_.push_back(type);
}

std::optional<std::size_t> RecordLayout::Find(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return i;
    const std::string folded = text::FoldCase(name);
    for (std::size_t i = 0; i < folded_.size(); ++i)
        if (folded_[i] == folded) return i;
    return std::nullopt;
}

std::shared_ptr<const RecordLayout> MakeRecordLayout(const colFields& definitions,
                                                     bool (*included)(int16_t type)) {
    auto layout = std::make_shared<RecordLayout>();
    for (const auto& definition : definitions)
        if (included(definition->DataType))
            layout->Add(definition->FieldName, definition->DataType);
    return layout;
}

namespace {

using Offset = uint32_t;

}  // namespace

clsDataRecord::Rare& clsDataRecord::RareMembers() const {
    if (!rare_) rare_ = std::make_unique<Rare>();
    return *rare_;
}

void clsDataRecord::SetFields(std::shared_ptr<colFields> fields) {
    RareMembers().fields = std::move(fields);
    layout_.reset();
    values_.reset();
}

const std::string& clsDataRecord::PrimaryFieldName() const {
    static const std::string kNone;
    return FieldCount() > 0 ? FieldName(0) : kNone;
}

const std::vector<std::string>& clsDataRecord::DesktopKeyValues() const {
    static const std::vector<std::string> kNone;
    return rare_ ? rare_->desktopKeyValues : kNone;
}

void clsDataRecord::AddDesktopKeyValue(std::string key) {
    RareMembers().desktopKeyValues.push_back(std::move(key));
}

std::optional<RecordDigest> clsDataRecord::HandheldBefore() const {
    if (!handheldNoted_) return std::nullopt;
    return RecordDigest{handheldLength_, handheldHash_};
}

void clsDataRecord::SetHandheldBefore(std::optional<RecordDigest> digest) {
    handheldNoted_ = digest.has_value();
    handheldLength_ = digest ? static_cast<uint32_t>(digest->first) : 0;
    handheldHash_ = digest ? digest->second : 0;
}

void clsDataRecord::SetValues(std::shared_ptr<const RecordLayout> layout,
                              const std::vector<std::string>& values) {
    const std::size_t count = layout->Count();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) bytes += values[i].size();
    values_ = std::make_unique_for_overwrite<char[]>(count * sizeof(Offset) + bytes);
    char* text = values_.get() + count * sizeof(Offset);
    Offset end = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(text + end, values[i].data(), values[i].size());
        end += static_cast<Offset>(values[i].size());
        std::memcpy(values_.get() + i * sizeof(Offset), &end, sizeof end);
    }
    layout_ = std::move(layout);
    if (rare_) rare_->fields.reset();
}

void clsDataRecord::Expand() const {
    auto fields = std::make_shared<colFields>();
    if (layout_) {
        fields->Reserve(static_cast<int32_t>(layout_->Count()));
        for (std::size_t i = 0; i < layout_->Count(); ++i)
            fields->Add(layout_->Name(i), layout_->Type(i))->Value = std::string(FieldValue(i));
    }
    RareMembers().fields = std::move(fields);
    layout_.reset();
    values_.reset();
}

colFields& clsDataRecord::Fields() {
    if (!ExpandedFields()) Expand();
    return *rare_->fields;
}

const colFields& clsDataRecord::Fields() const {
    if (!ExpandedFields()) Expand();
    return *rare_->fields;
}

std::size_t clsDataRecord::FieldCount() const {
    if (const colFields* fields = ExpandedFields())
        return static_cast<std::size_t>(fields->Count());
    return layout_ ? layout_->Count() : 0;
}

const std::string& clsDataRecord::FieldName(std::size_t index) const {
    if (const colFields* fields = ExpandedFields())
        return fields->Item(static_cast<int32_t>(index + 1))->FieldName;
    if (!layout_ || index >= layout_->Count()) throw IndexOutOfRangeError(int32_t(index + 1));
    return layout_->Name(index);
}

int16_t clsDataRecord::FieldType(std::size_t index) const {
    if (const colFields* fields = ExpandedFields())
        return fields->Item(static_cast<int32_t>(index + 1))->DataType;
    if (!layout_ || index >= layout_->Count()) throw IndexOutOfRangeError(int32_t(index + 1));
    return layout_->Type(index);
}

std::string_view clsDataRecord::FieldValue(std::size_t index) const {
    if (const colFields* fields = ExpandedFields())
        return fields->Item(static_cast<int32_t>(index + 1))->Value;
    if (!layout_ || index >= layout_->Count()) throw IndexOutOfRangeError(int32_t(index + 1));
    const std::size_t count = layout_->Count();
    Offset begin = 0, end = 0;
    if (index > 0) std::memcpy(&begin, values_.get() + (index - 1) * sizeof(Offset), sizeof begin);
    std::memcpy(&end, values_.get() + index * sizeof(Offset), sizeof end);
    return std::string_view(values_.get() + count * sizeof(Offset) + begin, end - begin);
}

std::size_t clsDataRecord::FieldIndex(std::string_view name) const {
    if (const colFields* fields = ExpandedFields()) {
        std::size_t index = 0;
        for (const auto& field : *fields) {
            if (text::FoldCase(field->FieldName) == text::FoldCase(name)) return index;
            ++index;
        }
        throw KeyNotFoundError(std::string(name));
    }
    std::optional<std::size_t> index = layout_ ? layout_->Find(name) : std::nullopt;
    if (!index) throw KeyNotFoundError(std::string(name));
    return *index;
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

void colDataRecord::AdmitPalmRecord(HotSyncLog& log, Record record) {
    std::string order = RecordOrderKey(record->PrimaryFieldValue);
    auto place = records_.lower_bound(order);
    if (place != records_.end() && place->first == order) {
        // The first handheld record of a key wins; the queued one stays as it is.
        log.WriteLog("PDA record already exists: Key=" + record->PrimaryFieldValue, 1);
        return;
    }
    if (log.DebugLevel >= 3)
        log.WriteLog("Adding PDA Record to Queue: Key=" + record->PrimaryFieldValue, 3);
    records_.emplace_hint(place, std::move(order), std::move(record));
}

void colDataRecord::AdmitDesktopRecord(HotSyncLog& log, Record record) {
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
            existing.AddDesktopKeyValue(record->DesktopKeyValues().empty()
                                            ? record->PrimaryFieldValue
                                            : record->DesktopKeyValues().front());
            return;
        }
    }
    record->RecordStatus |= RecordOnDesktop;
    if (log.DebugLevel >= 3)
        log.WriteLog("Adding Desktop Record to Queue: Key=" + record->PrimaryFieldValue, 3);
    if (queued) {
        record->SetHandheldBefore(place->second->HandheldBefore());
        place->second = std::move(record);  // takes the handheld record's place in the order
    } else {
        records_.emplace_hint(place, std::move(order), std::move(record));
    }
}

}  // namespace tarn::conduit
