#include "builder/InstallerScript.h"

#include <algorithm>
#include <fstream>

#include "builder/InstallerTemplate.h"

namespace tarn::builder {
namespace {

// A folder as makensis wants it in a define: no trailing separator, since the template adds one.
std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
}

std::string Quoted(std::string_view text, NsisText kind = NsisText::Runtime) {
    return "\"" + NsisEscaped(text, kind) + "\"";
}

bool WriteText(const std::string& path, const std::string& text, std::ios::openmode mode) {
    std::ofstream file(path, std::ios::binary | std::ios::out | mode);
    if (!file) return false;
    file << text;
    file.close();
    return !file.fail();
}

}  // namespace

std::string PackageConfigFileName(const ConduitForm& form) {
    return form.ConduitShortName + ".cfg";
}

InstallerHeader HeaderFor(const ConduitForm& form, const std::string& windowsFilesFolder,
                          const std::string& packageFile) {
    return {form.ConduitTitle, form.InstallationPath,       windowsFilesFolder,
            form.CreatorID,    PackageConfigFileName(form), packageFile};
}

std::string NsisEscaped(std::string_view text, NsisText kind) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '$':
                escaped += kind == NsisText::Runtime ? "$$" : "$";
                break;
            case '"':
                escaped += "$\\\"";
                break;
            case '\'':
                escaped += "$\\'";
                break;
            case '`':
                escaped += "$\\`";
                break;
            case '\r':
                escaped += "$\\r";
                break;
            case '\n':
                escaped += "$\\n";
                break;
            case '\t':
                escaped += "$\\t";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string ScriptHeader(const InstallerHeader& header) {
    const char* end = "\r\n";
    std::string text;
    text += "NAME " + Quoted(header.ConduitTitle) + end;
    text += "InstallDir " + Quoted(header.InstallationPath) + end;
    // Quoted too, unlike a Windows system folder: a building machine's folders may hold blanks.
    text += "!define VBFILESDIR " +
            Quoted(WithoutTrailingSlash(header.WindowsFilesFolder), NsisText::CompileTimePath) +
            end;
    text += "!define CREATORID " + Quoted(header.CreatorID) + end;
    text += "!define CONDUIT_TITLE " + Quoted(header.ConduitTitle) + end;
    // Packed while compiling and named again on the target: the packing must find it.
    text += "!define CONFIG_FILE " + Quoted(header.ConfigFile, NsisText::CompileTimePath) + end;
    text += "OutFile " + Quoted(header.PackageFile, NsisText::CompileTimePath) + end;
    return text;
}

const std::string& ScriptTemplate() {
    static const std::string text = [] {
        std::string withCrLf;
        for (char c : std::string_view(kInstallerTemplate)) {
            if (c == '\n') withCrLf += '\r';
            withCrLf += c;
        }
        return withCrLf;
    }();
    return text;
}

std::vector<std::string> PackedWindowsFiles() {
    const std::string_view text(kInstallerTemplate);
    const std::string_view folder = "${VBFILESDIR}\\";
    std::vector<std::string> names;
    for (std::size_t at = text.find(folder); at != std::string_view::npos;
         at = text.find(folder, at + 1)) {
        std::size_t begin = at + folder.size();
        std::string name(text.substr(begin, text.find('"', begin) - begin));
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

bool WriteScriptHeader(const std::string& scriptPath, const InstallerHeader& header) {
    return WriteText(scriptPath, "\xEF\xBB\xBF" + ScriptHeader(header), std::ios::trunc);
}

bool AppendScriptTemplate(const std::string& scriptPath) {
    return WriteText(scriptPath, ScriptTemplate(), std::ios::app);
}

}  // namespace tarn::builder
