#include "conduit/sync/DataRecord.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "common/model/CollectionErrors.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/HandheldDecoder.h"
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

uint8_t OffsetWidth(std::size_t bytes) {
    if (bytes <= UINT8_MAX) return 1;
    if (bytes <= UINT16_MAX) return 2;
    return 4;
}

void WriteOffset(char* at, uint8_t width, Offset offset) {
    if (width == 1) {
        const auto narrow = static_cast<uint8_t>(offset);
        std::memcpy(at, &narrow, sizeof narrow);
    } else if (width == 2) {
        const auto narrow = static_cast<uint16_t>(offset);
        std::memcpy(at, &narrow, sizeof narrow);
    } else {
        std::memcpy(at, &offset, sizeof offset);
    }
}

Offset ReadOffset(const char* at, uint8_t width) {
    if (width == 1) return static_cast<uint8_t>(*at);
    if (width == 2) {
        uint16_t narrow = 0;
        std::memcpy(&narrow, at, sizeof narrow);
        return narrow;
    }
    Offset offset = 0;
    std::memcpy(&offset, at, sizeof offset);
    return offset;
}

}  // namespace

clsDataRecord::Rare& clsDataRecord::RareMembers() const {
    if (!rare_) rare_ = std::make_unique<Rare>();
    return *rare_;
}

void clsDataRecord::SetFields(std::shared_ptr<colFields> fields) {
    RareMembers().fields = std::move(fields);
    layout_.reset();
    values_.reset();
    stored_ = false;
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

void clsDataRecord::AddDeletedRowKey(std::string key, bool sameKeyText) {
    Rare& rare = RareMembers();
    if (rare.deletedRowOfSameKeyText && !sameKeyText) return;
    if (sameKeyText && !rare.deletedRowOfSameKeyText) {
        rare.desktopKeyValues.clear();  // rows that matched in letter case alone
        rare.deletedRowOfSameKeyText = true;
    }
    rare.desktopKeyValues.push_back(std::move(key));
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
    layout_ = std::move(layout);
    AssignValues(values);
    if (rare_) rare_->fields.reset();
}

void clsDataRecord::AssignValues(const std::vector<std::string>& values) const {
    const std::size_t count = layout_->Count();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) bytes += values[i].size();
    if (bytes > UINT32_MAX) throw std::length_error("A record's values exceed 4 GB");
    const uint8_t width = OffsetWidth(bytes);
    auto buffer = std::make_unique_for_overwrite<char[]>(count * width + bytes);
    char* text = buffer.get() + count * width;
    Offset end = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(text + end, values[i].data(), values[i].size());
        end += static_cast<Offset>(values[i].size());
        WriteOffset(buffer.get() + i * width, width, end);
    }
    values_ = std::move(buffer);
    offsetWidth_ = width;
    stored_ = false;
}

void clsDataRecord::SetStoredBytes(std::shared_ptr<const RecordLayout> layout,
                                   std::string_view bytes) {
    const auto length = static_cast<uint32_t>(bytes.size());  // a handheld record is < 64 KB
    values_ = std::make_unique_for_overwrite<char[]>(sizeof length + bytes.size());
    std::memcpy(values_.get(), &length, sizeof length);
    std::memcpy(values_.get() + sizeof length, bytes.data(), bytes.size());
    layout_ = std::move(layout);
    stored_ = true;
    storedAsBuilt_ = false;
    if (rare_) rare_->fields.reset();
}

void clsDataRecord::SetBuiltBytes(std::shared_ptr<const RecordLayout> layout,
                                  std::string_view bytes) {
    SetStoredBytes(std::move(layout), bytes);
    storedAsBuilt_ = true;
}

std::string_view clsDataRecord::StoredBytes() const {
    uint32_t length = 0;
    std::memcpy(&length, values_.get(), sizeof length);
    return std::string_view(values_.get() + sizeof length, length);
}

std::optional<std::string_view> clsDataRecord::BuiltBytes() const {
    if (!stored_ || !storedAsBuilt_) return std::nullopt;
    return StoredBytes();
}

void clsDataRecord::DecodeStored() const {
    std::vector<std::string>& values = layout_->DecodingRoom();
    DecodeStoredValues(*layout_, StoredBytes(), values);
    AssignValues(values);
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
    stored_ = false;
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
    if (stored_) DecodeStored();
    const std::size_t count = layout_->Count();
    const Offset begin =
        index > 0 ? ReadOffset(values_.get() + (index - 1) * offsetWidth_, offsetWidth_) : 0;
    const Offset end = ReadOffset(values_.get() + index * offsetWidth_, offsetWidth_);
    return std::string_view(values_.get() + count * offsetWidth_ + begin, end - begin);
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

namespace {

uint64_t OrderPrefix(std::string_view order) {
    uint64_t prefix = 0;
    for (std::size_t i = 0; i < sizeof prefix; ++i)
        prefix = (prefix << 8) | (i < order.size() ? static_cast<unsigned char>(order[i]) : 0u);
    return prefix;
}

// Compares the order text `order`, whose prefix is `prefix`, with the order text of a queued
// record's key. Where the prefixes differ they decide: a shorter text's missing bytes count
// as zero bytes, and a text is before any longer one it begins.
int CompareWithQueued(uint64_t prefix, std::string_view order, const QueuedRecord& queued) {
    if (prefix != queued.orderPrefix) return prefix < queued.orderPrefix ? -1 : 1;
    return CompareRecordOrder(order, queued.record->PrimaryFieldValue);
}

// `hint` is where the last search ended, and is left where this one ends. Rows that arrive in
// the queue's key order find their record at it or just past it, in a comparison or two,
// where a search of the whole queue reads some sixteen places far apart in memory.
QueuedRecord* FindIn(std::vector<QueuedRecord>& records, std::string_view order,
                     std::size_t& hint) {
    const uint64_t prefix = OrderPrefix(order);
    // Records arriving in key order are looked for beyond the last one: one comparison.
    if (records.empty() || CompareWithQueued(prefix, order, records.back()) > 0) return nullptr;
    if (hint < records.size()) {
        const int here = CompareWithQueued(prefix, order, records[hint]);
        if (here == 0) return &records[hint];
        if (here > 0 && hint + 1 < records.size()) {
            const int next = CompareWithQueued(prefix, order, records[hint + 1]);
            if (next == 0) return &records[++hint];
            if (next < 0) return nullptr;  // between two neighbours
        }
    }
    auto place = std::lower_bound(records.begin(), records.end(), order,
                                  [prefix](const QueuedRecord& queued, std::string_view order) {
                                      return CompareWithQueued(prefix, order, queued) > 0;
                                  });
    hint = static_cast<std::size_t>(place - records.begin());
    if (CompareWithQueued(prefix, order, *place) != 0) return nullptr;
    return &*place;
}

std::size_t OrderHash(std::string_view order) {
    return std::hash<std::string_view>{}(order);
}

// Whether `record` goes before `other`; `order` is the record's order text, built when first
// needed (only where their prefixes are equal).
bool Before(const QueuedRecord& record, std::optional<std::string>& order,
            const QueuedRecord& other) {
    if (record.orderPrefix != other.orderPrefix) return record.orderPrefix < other.orderPrefix;
    if (!order) order = RecordOrderKey(record.record->PrimaryFieldValue);
    return CompareWithQueued(record.orderPrefix, *order, other) < 0;
}

// Sorts records of distinct keys by their order texts: by prefix, then each run of equal
// prefixes by the whole texts, which are built for those records alone.
void SortByOrder(std::vector<QueuedRecord>& records) {
    std::sort(records.begin(), records.end(), [](const QueuedRecord& a, const QueuedRecord& b) {
        return a.orderPrefix < b.orderPrefix;
    });
    std::vector<std::pair<std::string, QueuedRecord>> run;
    for (std::size_t first = 0; first < records.size();) {
        std::size_t end = first + 1;
        while (end < records.size() && records[end].orderPrefix == records[first].orderPrefix)
            ++end;
        if (end - first > 1) {
            run.clear();
            for (std::size_t i = first; i < end; ++i)
                run.emplace_back(RecordOrderKey(records[i].record->PrimaryFieldValue),
                                 std::move(records[i]));
            std::sort(run.begin(), run.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
            for (std::size_t i = first; i < end; ++i) records[i] = std::move(run[i - first].second);
        }
        first = end;
    }
}

}  // namespace

colDataRecord::Record* colDataRecord::Find(std::string_view order) const {
    if (QueuedRecord* found = FindIn(records_, order, searchHint_)) return &found->record;
    if (recent_.empty()) return nullptr;
    const std::size_t hash = OrderHash(order);
    const uint64_t prefix = OrderPrefix(order);
    const std::size_t mask = recentTable_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint32_t entry = recentTable_[slot];
        if (entry == 0) return nullptr;
        QueuedRecord& queued = recent_[entry - 1];
        if (recentHashes_[entry - 1] == hash && CompareWithQueued(prefix, order, queued) == 0)
            return &queued.record;
    }
}

void colDataRecord::Insert(std::string_view order, Record record) {
    // Records that arrive in key order are appended; the merge places any recent ones among them.
    const uint64_t prefix = OrderPrefix(order);
    if (records_.empty() || CompareWithQueued(prefix, order, records_.back()) > 0) {
        records_.push_back({prefix, std::move(record)});
        return;
    }
    recent_.push_back({prefix, std::move(record)});
    recentHashes_.push_back(OrderHash(order));
    IndexRecent();
}

void colDataRecord::IndexRecent() {
    auto place = [this](std::size_t position) {
        const std::size_t mask = recentTable_.size() - 1;
        std::size_t slot = recentHashes_[position] & mask;
        while (recentTable_[slot] != 0) slot = (slot + 1) & mask;
        recentTable_[slot] = static_cast<uint32_t>(position + 1);
    };
    if (recent_.size() * 2 <= recentTable_.size()) {
        place(recent_.size() - 1);
        return;
    }
    recentTable_.assign(std::max<std::size_t>(64, recentTable_.size() * 2), 0);
    for (std::size_t position = 0; position < recent_.size(); ++position) place(position);
}

void colDataRecord::Settle() const {
    if (recent_.empty()) return;
    SortByOrder(recent_);
    // Merged from the back, in place: each record moves at most once.
    std::size_t older = records_.size();
    records_.resize(older + recent_.size());
    std::size_t to = records_.size();
    for (auto newer = recent_.rbegin(); newer != recent_.rend(); ++newer) {
        std::optional<std::string> order;
        while (older > 0 && Before(*newer, order, records_[older - 1]))
            records_[--to] = std::move(records_[--older]);
        records_[--to] = std::move(*newer);
    }
    recent_.clear();
    recentHashes_.clear();
    recentTable_.clear();
}

colDataRecord::const_iterator colDataRecord::begin() const {
    Settle();
    return const_iterator(records_.begin());
}

colDataRecord::const_iterator colDataRecord::end() const {
    Settle();
    return const_iterator(records_.end());
}

colDataRecord::Record colDataRecord::Item(int32_t position) const {
    if (position < 1 || position > Count()) throw IndexOutOfRangeError(position);
    Settle();
    return records_[static_cast<std::size_t>(position - 1)].record;
}

colDataRecord::Record colDataRecord::Item(std::string_view key) const {
    Record* found = Find(RecordOrderKey(key));
    if (!found) throw KeyNotFoundError(std::string(key));
    return *found;
}

void colDataRecord::Remove(std::string_view key) {
    Settle();
    QueuedRecord* found = FindIn(records_, RecordOrderKey(key), searchHint_);
    if (!found) throw KeyNotFoundError(std::string(key));
    records_.erase(records_.begin() + (found - records_.data()));
}

bool colDataRecord::KeyExists(std::string_view key) const {
    return Find(RecordOrderKey(key)) != nullptr;
}

// Each admission computes the order text once and searches for it once. The admission lines
// are composed only when the debug level will write them: a queue of tens of thousands of
// records is filled per table.

void colDataRecord::AdmitPalmRecord(HotSyncLog& log, Record record) {
    const std::string order = RecordOrderKey(record->PrimaryFieldValue);
    if (Find(order)) {
        // The first handheld record of a key wins; the queued one stays as it is.
        log.WriteLog("PDA record already exists: Key=" + record->PrimaryFieldValue, 1);
        return;
    }
    if (log.DebugLevel >= 3)
        log.WriteLog("Adding PDA Record to Queue: Key=" + record->PrimaryFieldValue, 3);
    Insert(order, std::move(record));
}

DesktopRowSkip colDataRecord::AdmitDesktopRecord(HotSyncLog& log, Record record) {
    const std::string order = RecordOrderKey(record->PrimaryFieldValue);
    Record* queued = Find(order);
    if (queued) {
        clsDataRecord& existing = **queued;
        // An earlier desktop row of the key wins, and a record the handheld deleted must
        // survive so that the driver deletes the desktop row.
        if (existing.RecordStatus & RecordOnDesktop) return DesktopRowSkip::KeyOfAnEarlierRow;
        if ((existing.RecordStatus & RecordDeleted) && !DesktopRowsReplaceDeletions) {
            // The deletion must reach this row by its own key, which may differ in letter
            // case or number format from the handheld's.
            existing.AddDeletedRowKey(record->DesktopKeyValues().empty()
                                          ? record->PrimaryFieldValue
                                          : record->DesktopKeyValues().front(),
                                      record->PrimaryFieldValue == existing.PrimaryFieldValue);
            return DesktopRowSkip::None;
        }
    }
    record->RecordStatus |= RecordOnDesktop;
    if (log.DebugLevel >= 3)
        log.WriteLog("Adding Desktop Record to Queue: Key=" + record->PrimaryFieldValue, 3);
    if (queued) {
        record->SetHandheldBefore((*queued)->HandheldBefore());
        *queued = std::move(record);  // takes the handheld record's place in the order
    } else {
        Insert(order, std::move(record));
    }
    return DesktopRowSkip::None;
}

}  // namespace tarn::conduit
