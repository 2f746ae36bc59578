#include "platform/palm/testing/MemoryHandheldFolder.h"

#include "platform/palm/DatabaseFiles.h"
#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbRecordDatabase.h"

namespace tarn::platform::palm::testing {

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
    auto store = [files = files_, fileName](const std::string& bytes) {
        (*files)[fileName] = bytes;
    };
    auto real = std::make_unique<PdbRecordDatabase>(std::move(database), openMode, store);
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
