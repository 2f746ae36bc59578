#include "platform/palm/PdbFile.h"

#include <algorithm>

#include "platform/palm/BigEndian.h"

namespace tarn::platform::palm {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw PdbFormatError(what);
}

std::string Num(uint64_t value) {
    return std::to_string(value);
}

// One block of the file: where it starts and which it is. A file holds up to 65,535 of them,
// so what a block is called in messages is only spelt out for a message.
struct BlockStart {
    static constexpr int32_t kAppInfo = -2;
    static constexpr int32_t kSortInfo = -1;

    uint32_t offset;
    int32_t entry;  // kAppInfo, kSortInfo, or the position in the record list
};

std::string BlockName(const BlockStart& block, bool resource) {
    if (block.entry == BlockStart::kAppInfo) return "appInfo block";
    if (block.entry == BlockStart::kSortInfo) return "sortInfo block";
    return (resource ? "resource " : "record ") + Num(static_cast<uint64_t>(block.entry));
}

// The blocks follow the record list in file order: appInfo, sortInfo, then the records (or
// resources) in list order. Each block runs up to the start of the next one, the last to the end
// of the file. Anything else (a block inside the header, past the end, or before its predecessor)
// means the offsets cannot be trusted.
void CheckBlockOrder(const std::vector<BlockStart>& blocks, bool resource, size_t listEnd,
                     size_t fileSize) {
    const BlockStart* previous = nullptr;
    for (const BlockStart& block : blocks) {
        if (block.offset < listEnd)
            Fail(BlockName(block, resource) + " starts at offset " + Num(block.offset) +
                 ", inside the header and record list (which end at " + Num(listEnd) + ")");
        if (block.offset > fileSize)
            Fail(BlockName(block, resource) + " starts at offset " + Num(block.offset) +
                 ", past the end of the file (" + Num(fileSize) + " bytes)");
        if (previous && block.offset < previous->offset)
            Fail(BlockName(block, resource) + " starts at offset " + Num(block.offset) +
                 ", before " + BlockName(*previous, resource) + " at offset " +
                 Num(previous->offset));
        previous = &block;
    }
}

}  // namespace

PdbHeader ParsePdbHeader(std::string_view bytes) {
    if (bytes.size() < kHeaderSize)
        Fail("file is shorter than a database header (" + Num(bytes.size()) + " of " +
             Num(kHeaderSize) + " bytes)");
    std::string_view nameField = bytes.substr(0, kNameFieldSize);
    size_t nul = nameField.find('\0');
    if (nul == std::string_view::npos) Fail("database name is not terminated by a NUL byte");
    if (nul == 0) Fail("database name is empty");

    PdbHeader header;
    // Bytes after the NUL are left-overs of an earlier name on real handhelds; they are ignored.
    header.name = std::string(nameField.substr(0, nul));
    header.attributes = ReadBig16(bytes, 32);
    header.version = ReadBig16(bytes, 34);
    header.creationDate = ReadBig32(bytes, 36);
    header.modificationDate = ReadBig32(bytes, 40);
    header.backupDate = ReadBig32(bytes, 44);
    header.modificationNumber = ReadBig32(bytes, 48);
    header.appInfoOffset = ReadBig32(bytes, 52);
    header.sortInfoOffset = ReadBig32(bytes, 56);
    header.type = ReadBig32(bytes, 60);
    header.creator = ReadBig32(bytes, 64);
    header.uniqueIdSeed = ReadBig32(bytes, 68);
    header.nextRecordListId = ReadBig32(bytes, 72);
    header.recordCount = ReadBig16(bytes, 76);
    return header;
}

PdbDatabase ParsePdb(std::string_view bytes) {
    PdbDatabase database;
    PdbHeader& header = database.header;
    header = ParsePdbHeader(bytes);
    // A second record list lives only in a handheld's memory; a file that claims one would lose
    // records if read as if it had none.
    if (header.nextRecordListId != 0)
        Fail("database continues in a second record list (id " + Num(header.nextRecordListId) +
             "), which files do not use");

    const bool resource = header.isResourceDatabase();
    const size_t entrySize = resource ? kResourceEntrySize : kRecordEntrySize;
    const size_t count = header.recordCount;
    const size_t listEnd = kHeaderSize + count * entrySize;
    if (listEnd > bytes.size())
        Fail("record list of " + Num(count) + " entries needs " + Num(listEnd) +
             " bytes but the file has " + Num(bytes.size()));

    // The count is now bounded by the file's size, so sizing vectors by it is safe.
    std::vector<BlockStart> blocks;
    blocks.reserve(count + 2);
    if (header.appInfoOffset != 0) blocks.push_back({header.appInfoOffset, BlockStart::kAppInfo});
    if (header.sortInfoOffset != 0)
        blocks.push_back({header.sortInfoOffset, BlockStart::kSortInfo});
    const size_t firstEntryBlock = blocks.size();
    for (size_t i = 0; i < count; ++i) {
        size_t at = kHeaderSize + i * entrySize + (resource ? 6 : 0);
        blocks.push_back({ReadBig32(bytes, at), static_cast<int32_t>(i)});
    }
    CheckBlockOrder(blocks, resource, listEnd, bytes.size());

    auto blockEnd = [&](size_t index) -> size_t {
        return index + 1 < blocks.size() ? blocks[index + 1].offset : bytes.size();
    };
    auto blockBytes = [&](size_t index) {
        return std::string(
            bytes.substr(blocks[index].offset, blockEnd(index) - blocks[index].offset));
    };
    size_t index = 0;
    if (header.appInfoOffset != 0) database.appInfo = blockBytes(index++);
    if (header.sortInfoOffset != 0) database.sortInfo = blockBytes(index++);
    if (resource) return database;

    database.records.resize(count);
    for (size_t i = 0; i < count; ++i) {
        size_t at = kHeaderSize + i * kRecordEntrySize;
        PdbRecord& record = database.records[i];
        record.attributes = static_cast<uint8_t>(bytes[at + 4]);
        record.uniqueId = ReadBig24(bytes, at + 5);
        record.data = blockBytes(firstEntryBlock + i);
    }
    return database;
}

std::string SerializePdb(const PdbDatabase& database) {
    const PdbHeader& header = database.header;
    if (header.isResourceDatabase()) Fail("resource databases cannot be written");
    if (header.name.empty()) Fail("database name is empty");
    if (header.name.size() > kMaxNameLength)
        Fail("database name \"" + header.name + "\" is " + Num(header.name.size()) +
             " bytes long; a name holds at most " + Num(kMaxNameLength));
    if (header.name.find('\0') != std::string::npos) Fail("database name contains a NUL byte");
    const size_t count = database.records.size();
    if (count > kMaxRecords)
        Fail("a database holds at most " + Num(kMaxRecords) + " records; " + Num(count) +
             " were to be written");

    size_t total = kHeaderSize + count * kRecordEntrySize + 2 + database.appInfo.size() +
                   database.sortInfo.size();
    for (size_t i = 0; i < count; ++i) {
        const PdbRecord& record = database.records[i];
        if (record.data.size() > kMaxRecordSize)
            Fail("record " + Num(i) + " is " + Num(record.data.size()) +
                 " bytes long; a record holds at most " + Num(kMaxRecordSize));
        if (record.uniqueId > kMaxUniqueId)
            Fail("record " + Num(i) + " has unique ID " + Num(record.uniqueId) +
                 ", which does not fit in 24 bits");
        total += record.data.size();
    }
    if (total > 0xFFFFFFFFu) Fail("database of " + Num(total) + " bytes is too large for a file");

    std::string out;
    out.reserve(total);
    std::string nameField = header.name;
    nameField.resize(kNameFieldSize, '\0');
    out += nameField;
    AppendBig16(out, header.attributes);
    AppendBig16(out, header.version);
    AppendBig32(out, header.creationDate);
    AppendBig32(out, header.modificationDate);
    AppendBig32(out, header.backupDate);
    AppendBig32(out, header.modificationNumber);

    uint32_t offset = static_cast<uint32_t>(kHeaderSize + count * kRecordEntrySize + 2);
    uint32_t appInfoOffset = database.appInfo.empty() ? 0 : offset;
    offset += static_cast<uint32_t>(database.appInfo.size());
    uint32_t sortInfoOffset = database.sortInfo.empty() ? 0 : offset;
    offset += static_cast<uint32_t>(database.sortInfo.size());
    AppendBig32(out, appInfoOffset);
    AppendBig32(out, sortInfoOffset);
    AppendBig32(out, header.type);
    AppendBig32(out, header.creator);
    AppendBig32(out, header.uniqueIdSeed);
    AppendBig32(out, 0);  // no second record list
    AppendBig16(out, static_cast<uint16_t>(count));

    for (const PdbRecord& record : database.records) {
        AppendBig32(out, offset);
        out.push_back(static_cast<char>(record.attributes));
        AppendBig24(out, record.uniqueId);
        offset += static_cast<uint32_t>(record.data.size());
    }
    out.append(2, '\0');  // the customary gap after the list
    out += database.appInfo;
    out += database.sortInfo;
    for (const PdbRecord& record : database.records) out += record.data;
    return out;
}

}  // namespace tarn::platform::palm
