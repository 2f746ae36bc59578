#include "platform/palm/DatabaseFiles.h"

#include "text/Windows1252.h"
#include "platform/palm/FourCharCode.h"
#include "platform/palm/PalmClock.h"
#include "platform/palm/PalmErrors.h"

namespace tarn::platform::palm {

std::string DatabaseNameToAnsi(const std::string& utf8) {
    std::string ansi = text::ToAnsi(utf8);
    if (ansi.empty()) ThrowPalmError(kErrInvalidArgument, "a database name cannot be empty");
    if (text::FromAnsi(ansi) != utf8 || ansi.find('\0') != std::string::npos)
        ThrowPalmError(kErrInvalidArgument,
                       "database name \"" + utf8 + "\" has characters a handheld cannot store");
    if (ansi.size() > kMaxNameLength)
        ThrowPalmError(kErrInvalidArgument, "database name \"" + utf8 + "\" is longer than " +
                                                std::to_string(kMaxNameLength) + " characters");
    return ansi;
}

PdbDatabase NewEmptyDatabase(const NewDatabase& wanted) {
    PdbDatabase database;
    PdbHeader& header = database.header;
    header.name = DatabaseNameToAnsi(wanted.name);
    std::optional<uint32_t> creator = FourCharCodeFromText(wanted.creator);
    if (!creator)
        ThrowPalmError(kErrInvalidArgument, "creator ID \"" + wanted.creator + "\" of database \"" +
                                                wanted.name + "\" is not four characters");
    std::optional<uint32_t> type = FourCharCodeFromText(wanted.type);
    if (!type)
        ThrowPalmError(kErrInvalidArgument, "type \"" + wanted.type + "\" of database \"" +
                                                wanted.name + "\" is not four characters");
    if ((wanted.attributes & kDatabaseAttrResource) != 0)
        ThrowPalmError(kErrInvalidArgument,
                       "database \"" + wanted.name + "\" cannot be created as a resource database");
    header.creator = *creator;
    header.type = *type;
    header.attributes = wanted.attributes;
    header.version = wanted.version;
    header.creationDate = header.modificationDate = DateNow(false);
    header.uniqueIdSeed = 1;
    return database;
}

DatabaseListing DescribeDatabaseFile(const std::string& fileName, std::string_view bytes) {
    DatabaseListing listing;
    listing.fileName = fileName;
    try {
        PdbDatabase database = ParsePdb(bytes);
        listing.name = text::FromAnsi(database.header.name);
        listing.type = FourCharCodeText(database.header.type);
        listing.creator = FourCharCodeText(database.header.creator);
        listing.recordCount = database.header.recordCount;
        listing.resource = database.header.isResourceDatabase();
    } catch (const PdbFormatError& e) {
        listing.error = e.what();
    }
    return listing;
}

bool IsDatabaseFileName(const std::string& fileName) {
    if (fileName.empty() || fileName[0] == '.') return false;  // also our own temporary files
    size_t dot = fileName.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = text::FoldCase(fileName.substr(dot));
    return extension == ".pdb" || extension == ".prc" || extension == ".pqa";
}

}  // namespace tarn::platform::palm
