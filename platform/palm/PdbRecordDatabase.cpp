#include "platform/palm/PdbRecordDatabase.h"

#include <algorithm>

#include "platform/palm/FourCharCode.h"
#include "platform/palm/PalmClock.h"
#include "platform/palm/PalmErrors.h"
#include "text/Windows1252.h"

namespace tarn::platform::palm {

PdbRecordDatabase::PdbRecordDatabase(PdbDatabase database, unsigned openMode,
                                     std::unique_ptr<DatabaseStore> store)
    : database_(std::move(database)), openMode_(openMode), store_(std::move(store)) {
    for (const PdbRecord& record : database_.records)
        highestId_ = std::max(highestId_, record.uniqueId);
    // New IDs continue after both the seed and every ID in use, so a fresh record never takes
    // the ID of one the desktop may still remember; they wrap round past 24 bits.
    nextUniqueId_ = std::max(database_.header.uniqueIdSeed, highestId_ + 1);
    if (nextUniqueId_ == 0 || nextUniqueId_ > kMaxUniqueId) nextUniqueId_ = 1;
}

namespace {

// What tells records read again from the store from those released: their order, attributes,
// IDs and bytes.
size_t RecordsDigest(const std::vector<PdbRecord>& records) {
    constexpr size_t kPrime = 1099511628211u;
    size_t digest = records.size();
    for (const PdbRecord& record : records) {
        digest = (digest ^ std::hash<std::string_view>{}(record.data)) * kPrime;
        digest = (digest ^ ((size_t{record.attributes} << 24) | record.uniqueId)) * kPrime;
    }
    return digest;
}

}  // namespace

std::string PdbRecordDatabase::Quoted() const {
    return "\"" + text::FromAnsi(database_.header.name) + "\"";
}

DatabaseInfo PdbRecordDatabase::Info() const {
    const PdbHeader& header = database_.header;
    DatabaseInfo info;
    info.name = text::FromAnsi(header.name);
    info.type = FourCharCodeText(header.type);
    info.creator = FourCharCodeText(header.creator);
    info.attributes = header.attributes;
    info.version = header.version;
    info.modificationNumber = header.modificationNumber;
    info.uniqueIdSeed = header.uniqueIdSeed;
    return info;
}

bool PdbRecordDatabase::Visible(const PdbRecord& record) const {
    return (openMode_ & kOpenShowSecret) != 0 || (record.attributes & kRecordAttrSecret) == 0;
}

void PdbRecordDatabase::RequireWrite(const char* action) const {
    if ((openMode_ & kOpenWrite) == 0)
        ThrowPalmError(kErrDatabaseReadOnly, std::string("cannot ") + action + " database " +
                                                 Quoted() + ": it was opened for reading only");
    if ((database_.header.attributes & kDatabaseAttrReadOnly) != 0)
        ThrowPalmError(kErrDatabaseReadOnly, std::string("cannot ") + action + " database " +
                                                 Quoted() + ": the database is read-only");
}

void PdbRecordDatabase::SetIterationIndex(uint32_t index) {
    position_ = index;
    endOfData_ = false;
}

uint32_t PdbRecordDatabase::RecordCount() const {
    if (released_) return releasedVisible_;
    if ((openMode_ & kOpenShowSecret) != 0) return static_cast<uint32_t>(database_.records.size());
    return static_cast<uint32_t>(std::count_if(database_.records.begin(), database_.records.end(),
                                               [&](const PdbRecord& r) { return Visible(r); }));
}

PalmRecord PdbRecordDatabase::ReadNext() {
    if ((openMode_ & kOpenRead) == 0)
        ThrowPalmError(kErrInvalidArgument,
                       "cannot read database " + Quoted() + ": it was not opened for reading");
    ReadReleased();
    while (position_ < database_.records.size() && !Visible(database_.records[position_]))
        ++position_;
    if (position_ >= database_.records.size()) {
        endOfData_ = true;
        return {};
    }
    const PdbRecord& stored = database_.records[position_];
    PalmRecord record;
    record.index = static_cast<uint32_t>(position_);
    record.uniqueId = stored.uniqueId;
    record.category = stored.category();
    record.attributes = stored.flags();
    record.data = stored.data;
    ++position_;
    endOfData_ = false;
    return record;
}

void PdbRecordDatabase::ReleaseRecords() {
    // Only records exactly as stored can be read again, and only from a store that keeps them.
    if (released_ || changed_ || stored_ || beforePrepare_ || database_.records.empty() ||
        !store_->KeepsStored())
        return;
    releasedVisible_ = RecordCount();
    releasedCount_ = database_.records.size();
    releasedDigest_ = RecordsDigest(database_.records);
    std::vector<PdbRecord>().swap(database_.records);
    DropIndex();
    released_ = true;
}

void PdbRecordDatabase::ReadReleased() {
    if (!released_) return;
    PdbDatabase again;
    {
        std::string bytes;
        if (!store_->ReadStored(bytes))
            ThrowPalmError(kErrDatabaseDamaged,
                           "cannot read database " + Quoted() + " again: it is no longer stored");
        try {
            again = ParsePdb(bytes);
        } catch (const PdbFormatError& e) {
            ThrowPalmError(kErrDatabaseDamaged,
                           "database " + Quoted() + " is damaged: " + std::string(e.what()));
        }
    }
    // Whatever the sync read must still be what it writes over.
    if (again.records.size() != releasedCount_ || RecordsDigest(again.records) != releasedDigest_)
        ThrowPalmError(kErrDatabaseDamaged,
                       "database " + Quoted() + " was changed by someone else while it was open");
    database_.records = std::move(again.records);
    released_ = false;
}

const std::unordered_map<uint32_t, size_t>& PdbRecordDatabase::IndexById() {
    if (!indexed_) {
        indexById_.reserve(database_.records.size());
        for (size_t i = 0; i < database_.records.size(); ++i)
            indexById_.try_emplace(database_.records[i].uniqueId, i);
        indexed_ = true;
    }
    return indexById_;
}

void PdbRecordDatabase::DropIndex() {
    std::unordered_map<uint32_t, size_t>().swap(indexById_);
    indexed_ = false;
}

// A stored record lent to the rebuild gets its bytes back, before the record it was lent to
// changes or goes; `recordStays` when that record is kept.
void PdbRecordDatabase::ReturnLent(size_t index, bool recordStays) {
    (*stored_)[index].data =
        recordStays ? database_.records[index].data : std::move(database_.records[index].data);
    lent_[index] = false;
}

void PdbRecordDatabase::ReturnSharedToStored(bool recordsStay) {
    for (size_t i = 0; i < lent_.size(); ++i)
        if (lent_[i]) ReturnLent(i, recordsStay);
    lent_.clear();
}

void PdbRecordDatabase::RemoveAllRecords() {
    RequireWrite("empty");
    ReadReleased();
    if (!database_.records.empty()) changed_ = true;
    ReturnSharedToStored(false);
    if (!stored_ && !writtenBeforeEmptying_) stored_ = std::move(database_.records);
    database_.records.clear();
    DropIndex();
    highestId_ = 0;
    position_ = 0;
}

uint32_t PdbRecordDatabase::NewUniqueId() {
    // At most 65,535 IDs are taken out of 16.7 million, so this ends quickly.
    for (;;) {
        uint32_t candidate = nextUniqueId_;
        nextUniqueId_ = candidate >= kMaxUniqueId ? 1 : candidate + 1;
        if (candidate != 0 && (candidate > highestId_ || !IndexById().contains(candidate)))
            return candidate;
    }
}

uint32_t PdbRecordDatabase::WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                                        std::string data) {
    RequireWrite("write to");
    if (category > kRecordCategoryMask)
        ThrowPalmError(kErrInvalidArgument, "cannot write to database " + Quoted() + ": category " +
                                                std::to_string(category) + " is not 0 to 15");
    if (recordId > kMaxUniqueId)
        ThrowPalmError(kErrInvalidArgument, "cannot write to database " + Quoted() +
                                                ": record ID " + std::to_string(recordId) +
                                                " does not fit in 24 bits");
    if (data.size() > kMaxRecordSize)
        ThrowPalmError(kErrLimitExceeded,
                       "cannot write to database " + Quoted() + ": a record of " +
                           std::to_string(data.size()) + " bytes is longer than the " +
                           std::to_string(kMaxRecordSize) + " bytes a record may hold");
    const uint8_t attributeByte =
        static_cast<uint8_t>((attributes & kRecordFlagMask) | (category & kRecordCategoryMask));

    ReadReleased();
    if (!stored_) writtenBeforeEmptying_ = true;
    if (recordId != 0) {
        const auto& byId = IndexById();
        auto found = byId.find(recordId);
        if (found != byId.end()) {
            if (found->second < lent_.size() && lent_[found->second])
                ReturnLent(found->second, true);
            PdbRecord& record = database_.records[found->second];
            record.attributes = attributeByte;
            record.data = std::move(data);
            changed_ = true;
            return recordId;
        }
    }
    if (database_.records.size() >= kMaxRecords)
        ThrowPalmError(kErrLimitExceeded, "cannot write to database " + Quoted() +
                                              ": it already holds the most records a database "
                                              "can hold (" +
                                              std::to_string(kMaxRecords) + ")");
    uint32_t id = recordId != 0 ? recordId : NewUniqueId();
    const size_t index = database_.records.size();
    // Records before this one were lent or returned as they came, so this stored one is whole.
    const bool lend = stored_ && index < stored_->size() &&
                      (*stored_)[index].attributes == attributeByte &&
                      (*stored_)[index].data == data;
    // Taken through a temporary: moved straight in, the stored string would be handed the
    // given one's buffer in exchange and keep it alive until the stored records are forgotten.
    if (lend) data = std::string(std::move((*stored_)[index].data));
    if (stored_) lent_.push_back(lend);
    database_.records.push_back(PdbRecord{attributeByte, id, std::move(data)});
    if (indexed_) indexById_.try_emplace(id, index);
    highestId_ = std::max(highestId_, id);
    changed_ = true;
    return id;
}

PdbRecordDatabase::~PdbRecordDatabase() {
    if (beforePrepare_) store_->Discard();
}

// Record IDs are left out: a rebuild hands out fresh ones, and nothing else tells records apart.
bool PdbRecordDatabase::RebuiltAsStored() const {
    if (!stored_ || stored_->size() != database_.records.size()) return false;
    for (size_t i = 0; i < stored_->size(); ++i) {
        if (i < lent_.size() && lent_[i]) continue;  // lent only while the same
        const PdbRecord& before = (*stored_)[i];
        const PdbRecord& now = database_.records[i];
        if (before.attributes != now.attributes || before.data != now.data) return false;
    }
    return true;
}

void PdbRecordDatabase::Prepare() {
    // A sync that changes nothing leaves the file as it is, byte for byte, and keeps the backups
    // of real changes from being pushed out by copies of the same contents.
    if (changed_ && RebuiltAsStored()) changed_ = false;
    if (!changed_) return;
    RequireWrite("commit");
    Discard();
    // This rebuild is written whatever happens next, so the records as stored have served
    // their purpose; they go before the file's bytes are made, which would otherwise make three
    // copies of a large database at once.
    ForgetStored();
    PdbHeader& header = database_.header;
    const PdbHeader before = header;
    header.modificationNumber += 1;
    header.modificationDate = DateNow(UsesUnixDates(header.creationDate));
    header.uniqueIdSeed = nextUniqueId_;
    try {
        std::string bytes;
        try {
            bytes = SerializePdb(database_);
        } catch (const PdbFormatError& e) {
            ThrowPalmError(kErrLimitExceeded,
                           "cannot write database " + Quoted() + ": " + e.what());
        }
        store_->Prepare(bytes);
    } catch (...) {
        header = before;
        throw;
    }
    beforePrepare_ = before;
}

void PdbRecordDatabase::Publish() {
    if (!beforePrepare_) return;
    try {
        store_->Publish();
    } catch (...) {
        Discard();
        throw;
    }
    beforePrepare_.reset();
    changed_ = false;
    // What is stored now is what is held, so a later rebuild is told apart from this.
    ForgetStored();
    writtenBeforeEmptying_ = false;
}

void PdbRecordDatabase::ForgetStored() {
    stored_.reset();
    lent_ = {};
    writtenBeforeEmptying_ = true;
}

void PdbRecordDatabase::Discard() {
    if (!beforePrepare_) return;
    store_->Discard();
    database_.header = *beforePrepare_;
    beforePrepare_.reset();
}

}  // namespace tarn::platform::palm
