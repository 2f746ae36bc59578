#pragma once

#include <filesystem>

#include "platform/palm/HandheldFolder.h"
#include "platform/palm/PdbFile.h"

namespace tarn::platform::palm {

// The handheld as a folder of .pdb files. A database is found by the name in its header (the
// file's name plays no part) and created as `<name>.pdb`. Commits replace the file atomically.
class PosixHandheldFolder : public HandheldFolder {
  public:
    explicit PosixHandheldFolder(std::filesystem::path folder);

    std::vector<DatabaseListing> ListDatabases() override;
    std::unique_ptr<RecordDatabase> PreviewNewRecordDatabase(const NewDatabase& database,
                                                             unsigned openMode) override;

    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::unique_ptr<RecordDatabase> OpenDatabase(const std::string& name,
                                                 unsigned openMode) override;
    std::unique_ptr<RecordDatabase> CreateDatabase(const NewDatabase& database,
                                                   unsigned openMode) override;
    std::vector<std::filesystem::path> DatabaseFiles() const;
    // The new database, after the checks a creation makes; `file` is where it would be stored.
    PdbDatabase NewDatabaseIfFree(const NewDatabase& wanted, std::filesystem::path& file) const;
    // The files whose header carries this name; only headers are read.
    std::vector<std::filesystem::path> FilesNamed(const std::string& ansiName) const;
    std::unique_ptr<RecordDatabase> Load(const std::filesystem::path& file, const std::string& name,
                                         unsigned openMode) const;

    std::filesystem::path folder_;
};

// The file name a new database gets: its name with ".pdb", with characters a file name cannot
// hold replaced.
std::string FileNameForDatabase(const std::string& name);

}  // namespace tarn::platform::palm
