#pragma once

#include <filesystem>
#include <string>

#include "platform/palm/PdbRecordDatabase.h"

namespace tarn::platform::palm {

// A database file in a handheld folder. A new version is written whole to a temporary file
// beside the old one (and the old one linked into the backups) before anything is replaced;
// publishing is then renames only: the backups move up a generation and the new file takes the
// old one's name.
class PdbFileStore : public DatabaseStore {
  public:
    PdbFileStore(std::filesystem::path handheld, std::filesystem::path file);
    ~PdbFileStore() override;

    void Prepare(const std::string& bytes) override;
    void Publish() override;
    void Discard() noexcept override;
    bool ReadStored(std::string& bytes) override;
    bool KeepsStored() const override { return true; }

  private:
    std::filesystem::path handheld_;
    std::filesystem::path file_;
    std::filesystem::path prepared_;
    std::filesystem::path preparedBackup_;
};

}  // namespace tarn::platform::palm
