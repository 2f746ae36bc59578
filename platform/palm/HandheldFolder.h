#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/palm/PalmErrors.h"
#include "platform/palm/RecordDatabase.h"

// The handheld's databases, found by the name in their header. Failures throw
// tarn::platform::PlatformError (numbers in PalmErrors.h).
namespace tarn::platform::palm {

struct NewDatabase {
    std::string name;     // UTF-8, 1 to 31 Windows-1252 characters
    std::string creator;  // four characters
    std::string type = "DATA";
    uint16_t attributes = 0;
    uint16_t version = 0;
};

// One entry of the folder. A file that cannot be read has `error` set and only `fileName`.
struct DatabaseListing {
    std::string fileName;
    std::string name;
    std::string type;
    std::string creator;
    uint32_t recordCount = 0;  // resources, for a resource database
    bool resource = false;
    std::string error;

    bool readable() const { return error.empty(); }
};

class HandheldFolder {
  public:
    virtual ~HandheldFolder() = default;

    // Fails when no record database has that name, when it cannot be read, or when it is a
    // resource database.
    std::unique_ptr<RecordDatabase> OpenRecordDatabase(const std::string& name,
                                                       unsigned openMode = kOpenReadWriteSecret) {
        return OpenDatabase(name, openMode);
    }

    // Stores a new, empty record database at once and returns it open. Fails when a database of
    // that name exists already.
    std::unique_ptr<RecordDatabase> CreateRecordDatabase(const NewDatabase& database,
                                                         unsigned openMode = kOpenReadWriteSecret) {
        return CreateDatabase(database, openMode);
    }

    // What CreateRecordDatabase would return, failing as it would, but stored nowhere, now or
    // when it is published: for a dry run, which must leave the handheld as it was.
    virtual std::unique_ptr<RecordDatabase> PreviewNewRecordDatabase(const NewDatabase& database,
                                                                     unsigned openMode) {
        ThrowPalmError(kErrWriteFailed,
                       "this handheld cannot preview the new database " + database.name);
        (void)openMode;
    }

    // Every database, in file-name order; damaged files included with the reason.
    virtual std::vector<DatabaseListing> ListDatabases() = 0;

  private:
    // Default arguments stay on the public calls above, where every caller sees the same ones.
    virtual std::unique_ptr<RecordDatabase> OpenDatabase(const std::string& name,
                                                         unsigned openMode) = 0;
    virtual std::unique_ptr<RecordDatabase> CreateDatabase(const NewDatabase& database,
                                                           unsigned openMode) = 0;
};

}  // namespace tarn::platform::palm
