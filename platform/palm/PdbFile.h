#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The Palm database file (.pdb): one header, a list of record entries and the blocks they point
// at. The layout is written down in pdb_format.md beside this file. Everything here works on bytes;
// texts stay in the file's Windows-1252 form.
namespace tarn::platform::palm {

inline constexpr size_t kHeaderSize = 78;
inline constexpr size_t kNameFieldSize = 32;
inline constexpr size_t kMaxNameLength = 31;
inline constexpr size_t kRecordEntrySize = 8;
inline constexpr size_t kResourceEntrySize = 10;
inline constexpr size_t kMaxRecords = 65535;
inline constexpr size_t kMaxRecordSize = 65505;
inline constexpr uint32_t kMaxUniqueId = 0xFFFFFF;

// Header attribute bits this layer looks at.
inline constexpr uint16_t kDatabaseAttrResource = 0x0001;
inline constexpr uint16_t kDatabaseAttrReadOnly = 0x0002;

// The record attribute byte: flags in the high four bits, the category in the low four.
inline constexpr uint8_t kRecordAttrDelete = 0x80;
inline constexpr uint8_t kRecordAttrDirty = 0x40;
inline constexpr uint8_t kRecordAttrBusy = 0x20;
inline constexpr uint8_t kRecordAttrSecret = 0x10;
inline constexpr uint8_t kRecordFlagMask = 0xF0;
inline constexpr uint8_t kRecordCategoryMask = 0x0F;

// Bytes that do not form a readable database (or a database that cannot be written).
class PdbFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct PdbHeader {
    std::string name;  // Windows-1252 bytes up to (not including) the first NUL
    uint16_t attributes = 0;
    uint16_t version = 0;
    uint32_t creationDate = 0;
    uint32_t modificationDate = 0;
    uint32_t backupDate = 0;
    uint32_t modificationNumber = 0;
    uint32_t appInfoOffset = 0;   // as read; the writer computes its own
    uint32_t sortInfoOffset = 0;  // as read; the writer computes its own
    uint32_t type = 0;
    uint32_t creator = 0;
    uint32_t uniqueIdSeed = 0;
    uint32_t nextRecordListId = 0;
    uint16_t recordCount = 0;  // entries in the list: records, or resources

    bool isResourceDatabase() const { return (attributes & kDatabaseAttrResource) != 0; }
};

struct PdbRecord {
    uint8_t attributes = 0;  // flags and category, as stored
    uint32_t uniqueId = 0;   // 24 bits
    std::string data;

    uint8_t flags() const { return attributes & kRecordFlagMask; }
    uint8_t category() const { return attributes & kRecordCategoryMask; }
};

struct PdbDatabase {
    PdbHeader header;
    std::string appInfo;             // empty when the file has none
    std::string sortInfo;            // empty when the file has none
    std::vector<PdbRecord> records;  // stays empty for a resource database
};

// Reads and checks the 78-byte header only; `bytes` may be just the start of a file.
PdbHeader ParsePdbHeader(std::string_view bytes);

// Reads a whole file. A resource database is checked (its list and offsets must fit the file)
// but its resources are not loaded. Throws PdbFormatError saying what is wrong.
PdbDatabase ParsePdb(std::string_view bytes);

// Writes a record database. The offsets and the record count are computed here; every other
// header field is written as given. Throws PdbFormatError for what the format cannot hold:
// more than kMaxRecords records, a record over kMaxRecordSize bytes, a name over 31 bytes.
std::string SerializePdb(const PdbDatabase& database);

}  // namespace tarn::platform::palm
