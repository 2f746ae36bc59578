#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/suite/IniDocument.h"

namespace tarn::platform {

enum class StoreStatus {
    kOk,
    kCorrupt,     // the file exists but is not in the expected format; it is left untouched
    kUnwritable,  // the lock file or the new file cannot be written
};

// One state file under TARN_HOME. Readers take no lock: every write replaces the whole file
// atomically, so a reader sees either the old or the new document. Writers serialise on an
// exclusive lock on "<file>.lock" and re-read the file under it, so concurrent updates from
// several processes all survive.
class IniStore {
  public:
    explicit IniStore(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }

    // A missing file reads as an empty document.
    StoreStatus Read(IniDocument& document, std::string* error = nullptr) const;

    // Reads the current document under the lock and hands it to `change`; when `change`
    // returns true the document is written back.
    StoreStatus Update(const std::function<bool(IniDocument&)>& change,
                       std::string* error = nullptr);

    // Whether an update could replace the file (the folder and, when present, the file are
    // writable for this process).
    bool Writable() const;

  private:
    std::filesystem::path file_;
};

}  // namespace tarn::platform
