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
    void RemoveAllRecords() override;
    uint32_t WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                         std::string_view data) override;
    void Prepare() override;
    void Publish() override;
    void Discard() override;

  private:
    void RequireWrite(const char* action) const;
    bool Visible(const PdbRecord& record) const;
    uint32_t NewUniqueId();
    bool RebuiltAsStored() const;
    std::string Quoted() const;
    void ReturnSharedToStored(bool recordsStay);

    PdbDatabase database_;
    unsigned openMode_;
    std::unique_ptr<DatabaseStore> store_;
    std::optional<PdbHeader> beforePrepare_;
    // The records as stored, kept by the first emptying of a database not written to before, so
    // that a rebuild giving the same records in the same order stores nothing.
    std::optional<std::vector<PdbRecord>> stored_;
    // How many leading records of the rebuild are those stored, attributes and bytes: their
    // bytes were moved over from `stored_` rather than copied, so that a rebuild of an
    // unchanged database holds its records once.
    size_t sharedWithStored_ = 0;
    bool writtenBeforeEmptying_ = false;  // set while a prepared version awaits publishing
    size_t position_ = 0;
    bool endOfData_ = false;
    bool changed_ = false;
    std::unordered_map<uint32_t, size_t> indexById_;  // first record with each ID
    uint32_t nextUniqueId_ = 1;
};

}  // namespace tarn::platform::palm
