#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "builder/ConduitForm.h"

// The NSIS script of an installation package: seven header lines computed from the conduit,
// then the fixed template (builder/installer/TarnConduit.nsi). Needs no windowing toolkit, so
// the window and the command line write the same script.
namespace tarn::builder {

// The values the header lines carry, as typed.
struct InstallerHeader {
    std::string ConduitTitle;
    std::string InstallationPath;
    std::string WindowsFilesFolder;  // VBFILESDIR: where the Windows files to pack are
    std::string CreatorID;
    std::string ConfigFile;   // the deployment copy's file name, beside the script
    std::string PackageFile;  // where the compiler writes the package

    bool operator==(const InstallerHeader&) const = default;
};

// The script's and the deployment copy's names in the folder the packager works in.
inline constexpr char kScriptFileName[] = "_temp.nsi";
std::string PackageConfigFileName(const ConduitForm& form);

InstallerHeader HeaderFor(const ConduitForm& form, const std::string& windowsFilesFolder,
                          const std::string& packageFile);

// Text made safe inside a quoted NSIS string: quotes of every kind and line breaks become NSIS
// escapes, and so does the dollar sign of a text the installer reads at run time (a title, a
// folder on the target). makensis takes the dollar signs of the paths it reads while compiling
// (packed files, the package) as they stand, so those keep theirs.
enum class NsisText { Runtime, CompileTimePath };
std::string NsisEscaped(std::string_view text, NsisText kind = NsisText::Runtime);

// The seven header lines, each ending in CR LF.
std::string ScriptHeader(const InstallerHeader& header);

// The fixed template with CR LF line ends.
const std::string& ScriptTemplate();

// The Windows files the template packs from VBFILESDIR, in the order it names them: the one
// list of what must be beside the builder.
std::vector<std::string> PackedWindowsFiles();

// Creates (or empties) the script and writes the header lines; then appends the template.
// makensis reads a script without a byte-order mark in the locale's encoding, so the script
// starts with the UTF-8 mark and any title reads the same on every building machine.
// False when the file cannot be written.
bool WriteScriptHeader(const std::string& scriptPath, const InstallerHeader& header);
bool AppendScriptTemplate(const std::string& scriptPath);

}  // namespace tarn::builder
