// Feeds arbitrary bytes to the reader: it must reject or accept them without crashing, and what
// it accepts as a record database must write back and read again to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/palm/DatabaseFiles.h"
#include "platform/palm/PdbFile.h"

using namespace tarn::platform::palm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    DescribeDatabaseFile("fuzz.pdb", bytes);
    PdbDatabase database;
    try {
        database = ParsePdb(bytes);
    } catch (const PdbFormatError&) {
        return 0;
    }
    if (database.header.isResourceDatabase()) return 0;
    std::string written;
    try {
        written = SerializePdb(database);
    } catch (const PdbFormatError&) {
        return 0;  // e.g. a record over the size a writer may produce
    }
    PdbDatabase again = ParsePdb(written);
    if (again.records.size() != database.records.size()) std::abort();
    for (size_t i = 0; i < again.records.size(); ++i)
        if (again.records[i].data != database.records[i].data ||
            again.records[i].attributes != database.records[i].attributes ||
            again.records[i].uniqueId != database.records[i].uniqueId)
            std::abort();
    if (again.appInfo != database.appInfo || again.sortInfo != database.sortInfo) std::abort();
    return 0;
}
