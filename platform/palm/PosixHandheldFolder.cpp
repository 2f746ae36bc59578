#include "platform/palm/PosixHandheldFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files/AtomicFile.h"
#include "platform/palm/DatabaseFiles.h"
#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbFileStore.h"
#include "platform/palm/PdbRecordDatabase.h"

namespace tarn::platform::palm {
namespace {

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// A file that holds no readable header names no database, so a search by name passes it by.
// But when it is the very file a database of that name is stored in, that database is damaged,
// not missing: it must be reported, and never created anew over the file.
void RefuseUnreadableNamesake(const std::filesystem::path& file, const std::string& name) {
    std::error_code typeError;
    if (!std::filesystem::is_regular_file(file, typeError)) return;
    std::string bytes, error;
    if (!ReadWholeFile(file, bytes, &error))
        ThrowPalmError(kErrDatabaseDamaged, "cannot read database " + Quoted(name) + ": " + error);
    try {
        ParsePdbHeader(bytes);
    } catch (const PdbFormatError& e) {
        ThrowPalmError(kErrDatabaseDamaged, "database " + Quoted(name) + " in " + file.string() +
                                                " is damaged: " + e.what());
    }
}

}  // namespace

std::string FileNameForDatabase(const std::string& name) {
    std::string fileName = name;
    std::replace(fileName.begin(), fileName.end(), '/', '_');
    if (!fileName.empty() && fileName[0] == '.') fileName[0] = '_';
    return fileName + ".pdb";
}

PosixHandheldFolder::PosixHandheldFolder(std::filesystem::path folder)
    : folder_(std::move(folder)) {}

std::vector<std::filesystem::path> PosixHandheldFolder::DatabaseFiles() const {
    std::error_code error;
    std::filesystem::directory_iterator it(folder_, error);
    if (error)
        ThrowPalmError(kErrFolderUnreadable,
                       "cannot read handheld folder " + folder_.string() + ": " + error.message());
    std::vector<std::filesystem::path> files;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (IsDatabaseFileName(it->path().filename().string())) files.push_back(it->path());
    }
    if (error)
        ThrowPalmError(kErrFolderUnreadable,
                       "cannot read handheld folder " + folder_.string() + ": " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::filesystem::path> PosixHandheldFolder::FilesNamed(
    const std::string& ansiName) const {
    std::vector<std::filesystem::path> matches;
    for (const auto& file : DatabaseFiles()) {
        std::string start = ReadFileStart(file, kHeaderSize);
        try {
            if (ParsePdbHeader(start).name == ansiName) matches.push_back(file);
        } catch (const PdbFormatError&) {
            // A file without a readable header holds no database of any name.
        }
    }
    return matches;
}

std::unique_ptr<RecordDatabase> PosixHandheldFolder::Load(const std::filesystem::path& file,
                                                          const std::string& name,
                                                          unsigned openMode) const {
    std::string bytes, error;
    if (!ReadWholeFile(file, bytes, &error))
        ThrowPalmError(kErrDatabaseDamaged, "cannot read database " + Quoted(name) + ": " + error);
    PdbDatabase database;
    try {
        database = ParsePdb(bytes);
    } catch (const PdbFormatError& e) {
        ThrowPalmError(kErrDatabaseDamaged, "database " + Quoted(name) + " in " +
                                                file.filename().string() +
                                                " is damaged: " + e.what());
    }
    if (database.header.isResourceDatabase())
        ThrowPalmError(kErrResourceDatabase, "database " + Quoted(name) +
                                                 " is a resource database, not a record database");
    return std::make_unique<PdbRecordDatabase>(std::move(database), openMode,
                                               std::make_unique<PdbFileStore>(folder_, file));
}

std::unique_ptr<RecordDatabase> PosixHandheldFolder::OpenDatabase(const std::string& name,
                                                                  unsigned openMode) {
    std::string ansiName = DatabaseNameToAnsi(name);
    std::vector<std::filesystem::path> files = FilesNamed(ansiName);
    if (files.empty()) {
        RefuseUnreadableNamesake(folder_ / FileNameForDatabase(name), name);
        ThrowPalmError(kErrDatabaseNotFound,
                       "no database named " + Quoted(name) + " in " + folder_.string());
    }
    if (files.size() > 1)
        ThrowPalmError(kErrDatabaseAmbiguous,
                       "database name " + Quoted(name) + " is used by both " +
                           files[0].filename().string() + " and " + files[1].filename().string());
    return Load(files.front(), name, openMode);
}

PdbDatabase PosixHandheldFolder::NewDatabaseIfFree(const NewDatabase& wanted,
                                                   std::filesystem::path& file) const {
    PdbDatabase database = NewEmptyDatabase(wanted);
    if (!FilesNamed(database.header.name).empty())
        ThrowPalmError(kErrDatabaseExists, "a database named " + Quoted(wanted.name) +
                                               " already exists in " + folder_.string());
    file = folder_ / FileNameForDatabase(wanted.name);
    std::error_code existsError;
    // Another database's file (its header names something else) is never overwritten.
    if (std::filesystem::exists(file, existsError) || existsError)
        ThrowPalmError(kErrDatabaseExists, "cannot create database " + Quoted(wanted.name) +
                                               ": the file " + file.string() +
                                               " exists and holds another database");
    return database;
}

std::unique_ptr<RecordDatabase> PosixHandheldFolder::CreateDatabase(const NewDatabase& wanted,
                                                                    unsigned openMode) {
    std::filesystem::path file;
    PdbDatabase database = NewDatabaseIfFree(wanted, file);
    std::string error;
    if (!WriteFileAtomically(file, SerializePdb(database), &error))
        ThrowPalmError(kErrWriteFailed,
                       "cannot create database " + Quoted(wanted.name) + ": " + error);
    return Load(file, wanted.name, openMode);
}

namespace {

// Keeps nothing: a database that is only previewed never reaches the folder.
class UnstoredDatabase : public DatabaseStore {
  public:
    void Prepare(const std::string&) override {}
    void Publish() override {}
    void Discard() noexcept override {}
    bool ReadStored(std::string&) override { return false; }
    bool KeepsStored() const override { return false; }
};

}  // namespace

std::unique_ptr<RecordDatabase> PosixHandheldFolder::PreviewNewRecordDatabase(
    const NewDatabase& wanted, unsigned openMode) {
    std::filesystem::path file;
    PdbDatabase database = NewDatabaseIfFree(wanted, file);
    return std::make_unique<PdbRecordDatabase>(std::move(database), openMode,
                                               std::make_unique<UnstoredDatabase>());
}

std::vector<DatabaseListing> PosixHandheldFolder::ListDatabases() {
    std::vector<DatabaseListing> listings;
    for (const auto& file : DatabaseFiles()) {
        std::string bytes, error;
        if (!ReadWholeFile(file, bytes, &error)) {
            DatabaseListing unreadable;
            unreadable.fileName = file.filename().string();
            unreadable.error = error;
            listings.push_back(std::move(unreadable));
            continue;
        }
        listings.push_back(DescribeDatabaseFile(file.filename().string(), bytes));
    }
    return listings;
}

}  // namespace tarn::platform::palm
