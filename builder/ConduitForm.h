#pragma once

#include <string>

#include "common/config/ConduitSettings.h"
#include "common/connection/ConnectionString.h"

namespace tarn::builder {

// The conduit-wide settings as the main window shows them: plain text, exactly as typed.
struct ConduitForm {
    std::string CompanyName;
    std::string ConduitTitle;
    std::string CreatorID;
    std::string ConduitShortName;
    std::string InstallationPath;
    std::string Version;
    std::string SignaturePath;
    std::string PreSyncExecution;
    std::string PostSyncExecution;
    std::string FilterDatabase;
    bool AllowModifyDatabase = true;
    ConnectionSettings Connection;

    bool operator==(const ConduitForm&) const = default;
};

// The settings record a save writes: texts scrambled where the file keeps them scrambled, the
// version plain, members the window does not show empty.
ConduitSettings SettingsFromForm(const ConduitForm& form, bool isConfigFile, int tableCount);

// The window's texts from a record that was read, descrambled.
ConduitForm FormFromSettings(const ConduitSettings& settings);

}  // namespace tarn::builder
