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
    uint32_t highest = 0;
    indexById_.reserve(database_.records.size());
    for (size_t i = 0; i < database_.records.size(); ++i) {
        uint32_t id = database_.records[i].uniqueId;
        indexById_.try_emplace(id, i);
        highest = std::max(highest, id);
    }
    // New IDs continue after both the seed and every ID in use, so a fresh record never takes
    // the ID of one the desktop may still remember; they wrap round past 24 bits.
    nextUniqueId_ = std::max(database_.header.uniqueIdSeed, highest + 1);
    if (nextUniqueId_ == 0 || nextUniqueId_ > kMaxUniqueId) nextUniqueId_ = 1;
}

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
    if ((openMode_ & kOpenShowSecret) != 0) return static_cast<uint32_t>(database_.records.size());
    return static_cast<uint32_t>(std::count_if(database_.records.begin(), database_.records.end(),
                                               [&](const PdbRecord& r) { return Visible(r); }));
}

PalmRecord PdbRecordDatabase::ReadNext() {
    if ((openMode_ & kOpenRead) == 0)
        ThrowPalmError(kErrInvalidArgument,
                       "cannot read database " + Quoted() + ": it was not opened for reading");
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

// The stored records lent to the rebuild get their bytes back, before a record they were lent
// to changes or goes; `recordsStay` when the rebuild's records are kept.
void PdbRecordDatabase::ReturnSharedToStored(bool recordsStay) {
    for (size_t i = 0; i < sharedWithStored_; ++i)
        (*stored_)[i].data =
            recordsStay ? database_.records[i].data : std::move(database_.records[i].data);
    sharedWithStored_ = 0;
}

void PdbRecordDatabase::RemoveAllRecords() {
    RequireWrite("empty");
    if (!database_.records.empty()) changed_ = true;
    ReturnSharedToStored(false);
    if (!stored_ && !writtenBeforeEmptying_) stored_ = std::move(database_.records);
    database_.records.clear();
    indexById_.clear();
    position_ = 0;
}

uint32_t PdbRecordDatabase::NewUniqueId() {
    // At most 65,535 IDs are taken out of 16.7 million, so this ends quickly.
    for (;;) {
        uint32_t candidate = nextUniqueId_;
        nextUniqueId_ = candidate >= kMaxUniqueId ? 1 : candidate + 1;
        if (candidate != 0 && !indexById_.contains(candidate)) return candidate;
    }
}

uint32_t PdbRecordDatabase::WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                                        std::string_view data) {
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

    if (!stored_) writtenBeforeEmptying_ = true;
    if (recordId != 0) {
        auto found = indexById_.find(recordId);
        if (found != indexById_.end()) {
            if (found->second < sharedWithStored_) ReturnSharedToStored(true);
            PdbRecord& record = database_.records[found->second];
            record.attributes = attributeByte;
            record.data.assign(data);
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
    std::string bytes;
    if (stored_ && sharedWithStored_ == index && index < stored_->size() &&
        (*stored_)[index].attributes == attributeByte && (*stored_)[index].data == data) {
        bytes = std::move((*stored_)[index].data);
        ++sharedWithStored_;
    } else {
        bytes.assign(data);
    }
    database_.records.push_back(PdbRecord{attributeByte, id, std::move(bytes)});
    indexById_.try_emplace(id, database_.records.size() - 1);
    changed_ = true;
    return id;
}

PdbRecordDatabase::~PdbRecordDatabase() {
    if (beforePrepare_) store_->Discard();
}

// Record IDs are left out: a rebuild hands out fresh ones, and nothing else tells records apart.
bool PdbRecordDatabase::RebuiltAsStored() const {
    if (!stored_ || stored_->size() != database_.records.size()) return false;
    for (size_t i = sharedWithStored_; i < stored_->size(); ++i) {
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
}

void PdbRecordDatabase::Discard() {
    if (!beforePrepare_) return;
    store_->Discard();
    database_.header = *beforePrepare_;
    beforePrepare_.reset();
}

}  // namespace tarn::platform::palm
