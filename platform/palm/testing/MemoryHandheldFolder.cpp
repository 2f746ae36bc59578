#include "platform/palm/testing/MemoryHandheldFolder.h"

#include <optional>

#include "platform/palm/DatabaseFiles.h"
#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbRecordDatabase.h"

namespace tarn::platform::palm::testing {
namespace {

// Keeps a prepared version aside until it is published into the folder's map.
class MemoryStore : public DatabaseStore {
  public:
    MemoryStore(std::shared_ptr<std::map<std::string, std::string>> files, std::string fileName)
        : files_(std::move(files)), fileName_(std::move(fileName)) {}
    void Prepare(const std::string& bytes) override { prepared_ = bytes; }
    void Publish() override {
        if (prepared_) (*files_)[fileName_] = std::move(*prepared_);
        prepared_.reset();
    }
    void Discard() noexcept override { prepared_.reset(); }
    bool ReadStored(std::string& bytes) override {
        auto found = files_->find(fileName_);
        if (found == files_->end()) return false;
        bytes = found->second;
        return true;
    }
    bool KeepsStored() const override { return true; }

  private:
    std::shared_ptr<std::map<std::string, std::string>> files_;
    std::string fileName_;
    std::optional<std::string> prepared_;
};

}  // namespace

MemoryHandheldFolder::MemoryHandheldFolder()
    : files_(std::make_shared<std::map<std::string, std::string>>()) {}

std::string MemoryHandheldFolder::FileBytes(const std::string& fileName) const {
    auto found = files_->find(fileName);
    return found == files_->end() ? std::string() : found->second;
}

std::unique_ptr<RecordDatabase> MemoryHandheldFolder::Load(const std::string& fileName,
                                                           unsigned openMode) {
    PdbDatabase database;
    try {
        database = ParsePdb(files_->at(fileName));
    } catch (const PdbFormatError& e) {
        ThrowPalmError(kErrDatabaseDamaged, fileName + " is damaged: " + e.what());
    }
    if (database.header.isResourceDatabase())
        ThrowPalmError(kErrResourceDatabase, fileName + " is a resource database");
    auto real = std::make_unique<PdbRecordDatabase>(
        std::move(database), openMode, std::make_unique<MemoryStore>(files_, fileName));
    return std::make_unique<FaultyRecordDatabase>(std::move(real), faults_);
}

std::unique_ptr<RecordDatabase> MemoryHandheldFolder::OpenDatabase(const std::string& name,
                                                                   unsigned openMode) {
    std::string ansiName = DatabaseNameToAnsi(name);
    for (const auto& [fileName, bytes] : *files_) {
        try {
            if (ParsePdbHeader(bytes).name == ansiName) return Load(fileName, openMode);
        } catch (const PdbFormatError&) {
        }
    }
    ThrowPalmError(kErrDatabaseNotFound, "no database named \"" + name + "\"");
}

std::unique_ptr<RecordDatabase> MemoryHandheldFolder::CreateDatabase(const NewDatabase& wanted,
                                                                     unsigned openMode) {
    PdbDatabase database = NewEmptyDatabase(wanted);
    for (const auto& [fileName, bytes] : *files_) {
        try {
            if (ParsePdbHeader(bytes).name == database.header.name)
                ThrowPalmError(kErrDatabaseExists,
                               "a database named \"" + wanted.name + "\" already exists");
        } catch (const PdbFormatError&) {
        }
    }
    std::string fileName = wanted.name + ".pdb";
    (*files_)[fileName] = SerializePdb(database);
    return Load(fileName, openMode);
}

std::vector<DatabaseListing> MemoryHandheldFolder::ListDatabases() {
    std::vector<DatabaseListing> listings;
    for (const auto& [fileName, bytes] : *files_)
        listings.push_back(DescribeDatabaseFile(fileName, bytes));
    return listings;
}

}  // namespace tarn::platform::palm::testing
