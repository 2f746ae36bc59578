// PalmCOMInstaller.exe: installs the sync suite stand-in (the hotsync.exe host and the
// ComDirect.dll component library) into the Palm Desktop folder and records that folder where
// conduit installers look for it. "-s" anywhere on the command line runs it silently (installers
// pass "-s -a -s"). Exit code 0 when installed, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/files/AtomicFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/win32/Win32Ui.h"
#include "platform/win32/Win32Text.h"
#include "windows/PalmDesktopFolder.h"

namespace {

using tarn::platform::ui::MessageIcon;
using tarn::platform::ui::ShowMessageBox;

constexpr char kTitle[] = "Palm COM Installer";

// The bytes of a file carried inside this program.
bool CarriedFile(const wchar_t* name, std::string_view& bytes) {
    HRSRC found = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    bytes = std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, found));
    return true;
}

bool Install(const std::filesystem::path& folder, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code) {
        error = "cannot create " + folder.string() + ": " + code.message();
        return false;
    }
    const struct {
        const wchar_t* resource;
        const wchar_t* file;
    } files[] = {{L"hotsync_exe", L"hotsync.exe"}, {L"ComDirect_dll", L"ComDirect.dll"}};
    for (const auto& file : files) {
        std::string_view bytes;
        if (!CarriedFile(file.resource, bytes)) {
            error = "this installer is damaged: it does not carry " +
                    tarn::platform::win32::Utf8FromWide(file.file);
            return false;
        }
        if (!tarn::platform::WriteFileAtomically(folder / file.file, bytes, &error)) return false;
    }
    if (!tarn::windows::RegisterPalmDesktopFolder(folder)) {
        error = "cannot record the Palm Desktop folder in the registry";
        return false;
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    tarn::platform::ui::InstallWin32Ui();
    tarn::platform::ui::SetProgramTitle(kTitle);
    const std::wstring arguments = commandLine ? commandLine : L"";
    const bool silent =
        arguments.find(L"-s") != std::wstring::npos || arguments.find(L"-S") != std::wstring::npos;

    // An earlier installation is updated where it is.
    std::filesystem::path folder = tarn::windows::RegisteredPalmDesktopFolder().value_or(
        tarn::windows::DefaultPalmDesktopFolder());
    std::string error;
    if (!Install(folder, error)) {
        // A silent run must not stop on a box: the exit code and stderr tell its caller.
        const std::string text = "The Palm COM components could not be installed: " + error;
        if (silent)
            std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
        else
            ShowMessageBox(kTitle, text, MessageIcon::Critical);
        return 1;
    }
    if (!silent)
        ShowMessageBox(kTitle, "The Palm COM components were installed in " + folder.string() + ".",
                       MessageIcon::Information);
    return 0;
}
