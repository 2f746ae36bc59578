#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One open record database of the handheld, as the sync engine uses it: iterate, count, read,
// empty, append, and store the changes in two steps (prepare, publish). Failures throw
// tarn::platform::PlatformError (numbers in PalmErrors.h).
namespace tarn::platform::palm {

// Open mode bits, as the engine passes them (0xD0: read, write, show secret records).
inline constexpr unsigned kOpenRead = 0x80;
inline constexpr unsigned kOpenWrite = 0x40;
inline constexpr unsigned kOpenExclusive = 0x20;
inline constexpr unsigned kOpenShowSecret = 0x10;
inline constexpr unsigned kOpenReadWriteSecret = kOpenRead | kOpenWrite | kOpenShowSecret;

struct PalmRecord {
    uint32_t index = 0;      // position in the database, from 0
    uint32_t uniqueId = 0;   // the record ID, 24 bits
    uint8_t category = 0;    // 0 to 15
    uint8_t attributes = 0;  // flag bits (delete 0x80, dirty 0x40, busy 0x20, secret 0x10)
    std::string data;
};

// What the header says about the database.
struct DatabaseInfo {
    std::string name;     // UTF-8
    std::string type;     // four characters
    std::string creator;  // four characters
    uint16_t attributes = 0;
    uint16_t version = 0;
    uint32_t modificationNumber = 0;
    uint32_t uniqueIdSeed = 0;
};

class RecordDatabase {
  public:
    virtual ~RecordDatabase() = default;

    virtual DatabaseInfo Info() const = 0;

    // Positions the next read at record `index` and clears the end-of-data flag.
    virtual void SetIterationIndex(uint32_t index) = 0;
    // Records the open mode lets the caller see (secret ones only with kOpenShowSecret).
    virtual uint32_t RecordCount() const = 0;
    // The record at the iteration position, advancing past it. When there is none, returns an
    // empty record and EndOfData() turns true.
    virtual PalmRecord ReadNext() = 0;
    virtual bool EndOfData() const = 0;
    // The caller holds what it read of the records in its own form: a database that can read
    // them again from where they are stored may let its copy go until they are next needed, so
    // that a large database is not held twice. Changes not yet stored are always kept.
    virtual void ReleaseRecords() {}

    // Every record, secret ones included whatever the open mode.
    virtual void RemoveAllRecords() = 0;
    // Record ID 0 appends a new record with a fresh unique ID; another ID replaces the data of the
    // record with that ID, or appends one under that ID when there is none. Returns the ID used.
    // Refuses data over 65,505 bytes and a 65,536th record. The data is taken, so that a
    // record built for the database is not copied again.
    virtual uint32_t WriteRecord(uint32_t recordId, uint8_t category, uint8_t attributes,
                                 std::string data) = 0;

    // Writes the database with the changes made since opening completely beside the stored one
    // and flushes it to disk, without replacing anything: until Publish the stored database is
    // untouched, and a database released unpublished keeps its old contents. Nothing is prepared
    // when nothing changed. A failed prepare leaves nothing behind.
    virtual void Prepare() = 0;
    // Puts the prepared database in place of the stored one in a single step; the stored one is
    // kept as a backup first. Does nothing when nothing was prepared. On failure the stored
    // database is as it was and the prepared one is thrown away.
    virtual void Publish() = 0;
    // Throws a prepared, unpublished database away. Never fails.
    virtual void Discard() = 0;

    // Prepare and publish, for callers with nothing else to commit alongside.
    void Commit() {
        Prepare();
        Publish();
    }
};

}  // namespace tarn::platform::palm
