#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/palm/PdbFile.h"
#include "platform/palm/RecordDatabase.h"

namespace tarn::platform::palm {

// Where a database's bytes are kept: a new version is first prepared beside the stored one,
// then published in its place, or discarded. Failures throw PlatformError.
class DatabaseStore {
  public:
    virtual ~DatabaseStore() = default;
    virtual void Prepare(const std::string& bytes) = 0;
    virtual void Publish() = 0;
    virtual void Discard() noexcept = 0;
    // The bytes stored now, read again; false when nothing is kept anywhere (a database only
    // previewed). Throws PlatformError when they are kept but cannot be read.
    virtual bool ReadStored(std::string& bytes) = 0;
    virtual bool KeepsStored() const = 0;
};

// A record database held in memory, whatever stores it. All changes stay in memory until
// Prepare, which serialises the whole database and hands the bytes to the store; a prepare or
// publish that fails, and a discard, leave this object as it was before the prepare, so the
// caller may try again.
class PdbRecordDatabase : public RecordDatabase {
  public:
    PdbRecordDatabase(PdbDatabase database, unsigned openMode,
                      std::unique_ptr<DatabaseStore> store);
    ~PdbRecordDatabase() override;

    DatabaseInfo Info() const override;
    void SetIterationIndex(uint32_t index) override;
    uint32_t RecordCount() const override;
    PalmRecord ReadNext() override;
    bool EndOfData() const override { return endOfData_; }
    void ReleaseRecords() override;
    void RemoveAllRecords() override;
    uint32_t WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                         std::string data) override;
    void Prepare() override;
    void Publish() override;
    void Discard() override;

  private:
    void RequireWrite(const char* action) const;
    bool Visible(const PdbRecord& record) const;
    uint32_t NewUniqueId();
    bool RebuiltAsStored() const;
    std::string Quoted() const;
    void ReturnLent(size_t index, bool recordStays);
    void ReturnSharedToStored(bool recordsStay);
    void ReadReleased();
    void ForgetStored();
    const std::unordered_map<uint32_t, size_t>& IndexById();
    void DropIndex();

    PdbDatabase database_;
    unsigned openMode_;
    std::unique_ptr<DatabaseStore> store_;
    std::optional<PdbHeader> beforePrepare_;
    // The records as stored, kept by the first emptying of a database not written to before, so
    // that a rebuild giving the same records in the same order stores nothing.
    std::optional<std::vector<PdbRecord>> stored_;
    // Which records of the rebuild are those stored at the same position, attributes and
    // bytes: their bytes were moved over from `stored_` rather than copied, so that a rebuild
    // holds each unchanged record once.
    std::vector<bool> lent_;
    // Set while the records held differ from those stored and `stored_` does not hold these.
    bool writtenBeforeEmptying_ = false;
    size_t position_ = 0;
    bool endOfData_ = false;
    bool changed_ = false;
    // Set while the records are left to the store after ReleaseRecords: what the engine asks
    // before it needs them again is answered from these, and the records read again must
    // match them.
    bool released_ = false;
    uint32_t releasedVisible_ = 0;
    size_t releasedCount_ = 0;
    size_t releasedDigest_ = 0;
    // The first record with each ID, built when first needed: a sync only appends records
    // under fresh IDs, which the highest ID in use answers alone.
    std::unordered_map<uint32_t, size_t> indexById_;
    bool indexed_ = false;
    uint32_t highestId_ = 0;
    uint32_t nextUniqueId_ = 1;
};

}  // namespace tarn::platform::palm
