#pragma once

#include <string>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"

namespace tarn::builder {

enum class DocumentRead {
    Loaded,          // a builder document
    DeploymentCopy,  // a description written for an installation, not to be edited
    Unreadable,      // missing, damaged, or not a description at all
};

// Reads a description for the builder. The reader of description files is lenient (short files
// read as zeros), so a file counts as unreadable also when a text or number it announces is
// missing or its
// format version is not one the builder ever wrote: otherwise any file would "open" as an empty
// conduit without a word.
DocumentRead ReadDocument(const std::string& path, ConduitSettings& settings, colTables& tables);

}  // namespace tarn::builder
