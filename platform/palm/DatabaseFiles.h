#pragma once

#include <string>
#include <string_view>

#include "platform/palm/HandheldFolder.h"
#include "platform/palm/PdbFile.h"

// What every handheld folder does the same way, whatever stores its files.
namespace tarn::platform::palm {

// The header form (Windows-1252) of a database name given in UTF-8. Throws PlatformError when the
// name is empty, longer than 31 characters, or has characters Windows-1252 cannot hold.
std::string DatabaseNameToAnsi(const std::string& utf8);

// A new, empty record database with today's dates. Throws PlatformError for a bad name, creator
// or type.
PdbDatabase NewEmptyDatabase(const NewDatabase& wanted);

// The listing line of one file from its bytes: a damaged file gets the reason.
DatabaseListing DescribeDatabaseFile(const std::string& fileName, std::string_view bytes);

// Whether a file name looks like a handheld database (.pdb, .prc, .pqa in any letter case) and
// is not a half-written temporary file.
bool IsDatabaseFileName(const std::string& fileName);

}  // namespace tarn::platform::palm
