#include "platform/palm/PdbFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "platform/palm/BigEndian.h"

namespace tarn::platform::palm {
namespace {

PdbDatabase SampleDatabase() {
    PdbDatabase db;
    db.header.name = "Sample\xE9";  // Windows-1252 e-acute
    db.header.attributes = 0x0008;
    db.header.version = 3;
    db.header.creationDate = 0xC0000001;
    db.header.modificationDate = 0xC0000002;
    db.header.backupDate = 0xC0000003;
    db.header.modificationNumber = 17;
    db.header.type = 0x44415441;     // DATA
    db.header.creator = 0x54737443;  // TstC
    db.header.uniqueIdSeed = 0x500;
    db.appInfo = std::string("app\0info", 8);
    db.sortInfo = "sort";
    db.records.push_back({0x40 | 3, 0x123456, "first"});
    db.records.push_back({0x00, 0, ""});
    db.records.push_back({0x10 | 15, 0xFFFFFF, std::string("\0\xFF\x01", 3)});
    return db;
}

void Poke32(std::string& bytes, size_t at, uint32_t value) {
    std::string encoded;
    AppendBig32(encoded, value);
    bytes.replace(at, 4, encoded);
}

void Poke16(std::string& bytes, size_t at, uint16_t value) {
    std::string encoded;
    AppendBig16(encoded, value);
    bytes.replace(at, 2, encoded);
}

size_t RecordOffsetAt(size_t index) {
    return kHeaderSize + index * kRecordEntrySize;
}

TEST(PdbFile, WritesAndReadsBackEveryField) {
    PdbDatabase original = SampleDatabase();
    std::string bytes = SerializePdb(original);
    PdbDatabase read = ParsePdb(bytes);

    auto stored = [](const PdbDatabase& db) {
        const PdbHeader& h = db.header;
        std::vector<std::tuple<uint8_t, uint32_t, std::string>> records;
        for (const PdbRecord& r : db.records)
            records.emplace_back(r.attributes, r.uniqueId, r.data);
        return std::tuple(h.name, h.attributes, h.version, h.creationDate, h.modificationDate,
                          h.backupDate, h.modificationNumber, h.type, h.creator, h.uniqueIdSeed,
                          db.appInfo, db.sortInfo, records);
    };
    EXPECT_EQ(stored(read), stored(original));
    EXPECT_EQ(read.records[0].category(), 3);
    EXPECT_EQ(read.records[0].flags(), 0x40);
    // Writing what was read gives the same bytes: nothing is lost or moved on a round trip.
    EXPECT_EQ(SerializePdb(read), bytes);
}

// Shapes that real files have and that must read. Bytes after the name's NUL and an appInfo
// block running to the end of the file are read from real files in RealDatabases_test.
TEST(PdbFile, ToleratesWhatRealFilesDo) {
    PdbDatabase db = SampleDatabase();
    db.sortInfo.clear();
    std::string bytes = SerializePdb(db);

    std::string nonZeroGap = bytes;
    nonZeroGap[RecordOffsetAt(3)] = 'x';
    nonZeroGap[RecordOffsetAt(3) + 1] = 'y';
    EXPECT_EQ(ParsePdb(nonZeroGap).appInfo, db.appInfo);

    // No gap at all: the blocks start right after the list.
    std::string noGap = bytes;
    noGap.erase(RecordOffsetAt(3), 2);
    Poke32(noGap, 52, ReadBig32(noGap, 52) - 2);
    for (size_t i = 0; i < 3; ++i)
        Poke32(noGap, RecordOffsetAt(i), ReadBig32(noGap, RecordOffsetAt(i)) - 2);
    PdbDatabase read = ParsePdb(noGap);
    EXPECT_EQ(read.appInfo, db.appInfo);
    EXPECT_EQ(read.records[2].data, db.records[2].data);

    // No records, no blocks, and stray bytes after the gap: ignored.
    PdbDatabase bare;
    bare.header.name = "Bare";
    EXPECT_TRUE(ParsePdb(SerializePdb(bare) + "trailing").records.empty());
}

TEST(PdbFile, HeaderOnlyReadNeedsJustTheHeader) {
    std::string bytes = SerializePdb(SampleDatabase());
    PdbHeader header = ParsePdbHeader(std::string_view(bytes).substr(0, kHeaderSize));
    EXPECT_EQ(header.name, "Sample\xE9");
    EXPECT_EQ(header.recordCount, 3);
}

struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
    const char* expectedText;
};

TEST(PdbFile, RejectsDamagedBytesWithAReason) {
    const std::string good = SerializePdb(SampleDatabase());
    const uint32_t firstRecord = ReadBig32(good, RecordOffsetAt(0));
    const std::vector<Damage> cases = {
        {"empty file", [](std::string& b) { b.clear(); }, "shorter than a database header"},
        {"half a header", [](std::string& b) { b.resize(40); }, "(40 of 78 bytes)"},
        {"name without NUL", [](std::string& b) { b.replace(0, 32, std::string(32, 'N')); },
         "not terminated"},
        {"empty name", [](std::string& b) { b[0] = '\0'; }, "name is empty"},
        {"huge record count", [](std::string& b) { Poke16(b, 76, 0xFFFF); },
         "record list of 65535 entries"},
        {"list cut short", [](std::string& b) { b.resize(RecordOffsetAt(2) + 3); },
         "record list of 3 entries"},
        {"record past end", [](std::string& b) { Poke32(b, RecordOffsetAt(2), 0x7FFFFFF0); },
         "record 2 starts at offset 2147483632, past the end"},
        {"record inside list", [](std::string& b) { Poke32(b, RecordOffsetAt(0), 20); },
         "record 0 starts at offset 20, inside the header"},
        {"records out of order",
         [&](std::string& b) { Poke32(b, RecordOffsetAt(1), firstRecord - 1); },
         "record 1 starts at offset"},
        {"appInfo past end", [](std::string& b) { Poke32(b, 52, 0xFFFFFFFF); },
         "appInfo block starts at offset 4294967295, past the end"},
        {"sortInfo before appInfo", [](std::string& b) { Poke32(b, 56, ReadBig32(b, 52) - 1); },
         "sortInfo block starts at offset"},
        {"appInfo after the records", [&](std::string& b) { Poke32(b, 52, firstRecord + 2); },
         "before appInfo block"},
        {"second record list", [](std::string& b) { Poke32(b, 72, 1); }, "second record list"},
        {"resource list past end",
         [](std::string& b) {
             Poke16(b, 32, kDatabaseAttrResource);
             Poke16(b, 76, 200);
         },
         "record list of 200 entries"},
    };
    for (const Damage& damage : cases) {
        std::string bytes = good;
        damage.apply(bytes);
        try {
            ParsePdb(bytes);
            ADD_FAILURE() << damage.what << ": accepted";
        } catch (const PdbFormatError& e) {
            EXPECT_NE(std::string(e.what()).find(damage.expectedText), std::string::npos)
                << damage.what << ": " << e.what();
        }
    }
}

TEST(PdbFile, EveryTruncationIsRejectedOrReadWithoutCrash) {
    const std::string good = SerializePdb(SampleDatabase());
    const uint32_t lastRecord = ReadBig32(good, RecordOffsetAt(2));
    for (size_t length = 0; length < good.size(); ++length) {
        std::string_view cut(good.data(), length);
        if (length < lastRecord) {
            EXPECT_THROW(ParsePdb(cut), PdbFormatError) << "length " << length;
        } else {
            // Only the last record, which runs to the end of the file, can be shortened.
            EXPECT_EQ(ParsePdb(cut).records[2].data.size(), length - lastRecord);
        }
    }
}

TEST(PdbFile, WriterRefusesWhatTheFormatCannotHold) {
    PdbDatabase db = SampleDatabase();
    db.records.assign(kMaxRecords + 1, PdbRecord{});
    try {
        SerializePdb(db);
        ADD_FAILURE() << "65,536 records were written";
    } catch (const PdbFormatError& e) {
        EXPECT_NE(std::string(e.what()).find("at most 65535 records"), std::string::npos);
    }

    db = SampleDatabase();
    db.records[1].data.assign(kMaxRecordSize, 'x');
    EXPECT_NO_THROW(SerializePdb(db));
    db.records[1].data.push_back('x');
    EXPECT_THROW(SerializePdb(db), PdbFormatError);

    db = SampleDatabase();
    db.header.name = std::string(32, 'n');
    EXPECT_THROW(SerializePdb(db), PdbFormatError);
    db.header.name = std::string(31, 'n');
    EXPECT_EQ(ParsePdb(SerializePdb(db)).header.name, db.header.name);

    db.header.attributes = kDatabaseAttrResource;
    EXPECT_THROW(SerializePdb(db), PdbFormatError);
}

}  // namespace
}  // namespace tarn::platform::palm
