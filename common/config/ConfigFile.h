#pragma once

#include <string>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"

namespace tarn {

// The conduit description file: the settings record, then each table record followed by its
// field records. Little-endian 16-bit numbers and counted Windows-1252 strings, no header.

// Writes the whole file. The settings are written as given (scrambled fields already
// scrambled, TableCount as the caller set it). The old file is replaced only once the new one
// is complete, so a failed write leaves it as it was. False when the file cannot be written or
// a count or string does not fit its 16-bit field; `error` then says why.
bool WriteConfigFile(const std::string& path, const ConduitSettings& settings,
                     const colTables& tables, std::string* error = nullptr);

// Reads settings and tables; the caller's tables are replaced by a fresh collection. A missing
// file reads as empty settings and no tables. Bytes missing at the end read as empty strings
// and zeros. False when the file cannot be read or a table or field name repeats; what was read
// before the failure stays in the caller's settings and tables.
bool ReadConfigFile(const std::string& path, ConduitSettings& settings, colTables& tables,
                    std::string* error = nullptr);

// As ReadConfigFile, except that a file that does not exist fails like any other file that
// cannot be read, with the system's reason in `error`. A conduit at HotSync time reads its
// description this way: there a missing file is a fault to report, not an empty description.
bool ReadExistingConfigFile(const std::string& path, ConduitSettings& settings, colTables& tables,
                            std::string* error = nullptr);

// Reads only the leading settings record.
bool ReadSettingsFile(const std::string& path, ConduitSettings& settings,
                      std::string* error = nullptr);

// The bytes of a description, as WriteConfigFile stores them.
bool EncodeConfig(const ConduitSettings& settings, const colTables& tables, std::string& bytes,
                  std::string* error = nullptr);

}  // namespace tarn
