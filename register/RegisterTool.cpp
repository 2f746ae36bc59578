#include "register/RegisterTool.h"

#include <filesystem>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/files/PathSeparators.h"
#include "platform/ui/MessageBox.h"
#include "tarn/Version.h"

namespace tarn::MMain {
namespace {

namespace ui = platform::ui;

// Installers pass the path unquoted after the switch; only blanks around it are dropped.
std::string TrimSpaces(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) count += IsContinuationByte(c) ? 0 : 1;
    return count;
}

// The first `count` characters (not bytes) of UTF-8 text.
std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if (!IsContinuationByte(text[end]) && seen++ == count) break;
    }
    return text.substr(0, end);
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

struct ConfigLocation {
    std::string directory;  // ends in a separator when not empty, as given on the command line
    std::string fileName;
};

// The file the path names, split into its folder as given and its bare name; nothing when
// there is no such file.
std::optional<ConfigLocation> FindConfigFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::size_t slash = path.find_last_of(platform::kPathSeparators);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return ConfigLocation{path.substr(0, path.size() - name.size()), name};
}

int Register(const ConfigLocation& location, const MComInstall::PalmComObjects& palm) {
    // A file that cannot be read still leads to an attempt with what was read, which the
    // conduit manager then refuses.
    ConduitSettings settings;
    ReadSettingsFile(location.directory + location.fileName, settings);

    // Without the HotSync manager there is nobody to register with, and nobody to tell.
    if (!MComInstall::IsPalmComInstalled(palm)) return 1;

    std::string creatorId = DescrambleString(settings.CreatorID);
    std::string title = DescrambleString(settings.ConduitTitle);
    bool failed = false;
    if (MComInstall::IsConduitRegistered(creatorId, palm))
        failed = !MComInstall::UnregisterConduit(creatorId, palm);
    if (!MComInstall::RegisterConduit(creatorId, title, location.fileName, location.directory,
                                      palm)) {
        ui::ShowMessageBox("Error", "Error registering Conduit", ui::MessageIcon::Critical);
        return 1;
    }
    return failed ? 1 : 0;
}

}  // namespace

std::string VersionLine() {
    return "Version: " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

int RunRegisterTool(const std::string& commandLine, const MComInstall::PalmComObjects& palm) {
    ui::SetProgramTitle(kProgramTitle);
    const std::string trimmed = TrimSpaces(commandLine);

    if (commandLine.find('?') != std::string::npos) {
        ui::ShowMessageBox("", "Tarn Conduit Builder Register Tool\r\n" + VersionLine(),
                           ui::MessageIcon::Information);
        return 0;
    }
    if (CharacterCount(trimmed) < 7) {
        ui::ShowMessageBox("", "This program is used to un/register conduits.\r\n" + VersionLine());
        // Nothing was registered or removed: "-R" or "-U" without their argument must not
        // look like success to the installer or script that ran it.
        return kUsageError;
    }

    const std::string command{AsciiUpper(trimmed[0]), AsciiUpper(trimmed[1])};
    const std::string rest = TrimSpaces(trimmed.substr(2));
    if (command == "-U")
        return MComInstall::UnregisterConduit(FirstCharacters(rest, 4), palm) ? 0 : 1;
    if (command == "-R") {
        std::optional<ConfigLocation> location = FindConfigFile(rest);
        if (!location) {
            ui::ShowMessageBox("", "Conduit config file not found", ui::MessageIcon::Critical);
            return 1;
        }
        return Register(*location, palm);
    }
    // Neither switch: an attempt with no file at all, which the conduit manager refuses.
    return Register(ConfigLocation{}, palm);
}

}  // namespace tarn::MMain
