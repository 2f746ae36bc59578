#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/palm/PdbFile.h"
#include "platform/palm/RecordDatabase.h"

namespace tarn::platform::palm {

// A record database held in memory, whatever stores it. All changes stay in memory until
// Commit, which serialises the whole database and hands the bytes to `store`; a store that
// throws leaves this object as it was before the commit, so the caller may try again. A
// database emptied and written anew with the very records it held is not stored again.
class PdbRecordDatabase : public RecordDatabase {
  public:
    using Store = std::function<void(const std::string& bytes)>;

    PdbRecordDatabase(PdbDatabase database, unsigned openMode, Store store);

    DatabaseInfo Info() const override;
    void SetIterationIndex(uint32_t index) override;
    uint32_t RecordCount() const override;
    PalmRecord ReadNext() override;
    bool EndOfData() const override { return endOfData_; }
    void RemoveAllRecords() override;
    uint32_t WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                         std::string_view data) override;
    void Commit() override;

  private:
    void RequireWrite(const char* action) const;
    bool Visible(const PdbRecord& record) const;
    uint32_t NewUniqueId();
    // Maps each record ID to its record; returns the highest ID in use.
    uint32_t IndexRecords();
    // Whether the records, emptied and written anew since opening, are the ones stored.
    bool RebuiltAsStored() const;
    std::string Quoted() const;

    PdbDatabase database_;
    unsigned openMode_;
    Store store_;
    size_t position_ = 0;
    bool endOfData_ = false;
    bool changed_ = false;
    std::optional<std::vector<PdbRecord>> stored_;    // as stored, once emptied unchanged
    std::unordered_map<uint32_t, size_t> indexById_;  // first record with each ID
    uint32_t nextUniqueId_ = 1;
};

}  // namespace tarn::platform::palm
