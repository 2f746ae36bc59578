// TarnCReg on Windows: registers (-R path) or unregisters (-U CRID) a conduit; run by
// installers. A windowless program: what it says is a message box.
#include <windows.h>

#include "platform/ui/win32/Win32Ui.h"
#include "platform/win32/Win32Text.h"
#include "register/RegisterTool.h"

namespace {

// The command line after the program name, as the system hands it over (a quoted program
// path included), so that a path after -R keeps its blanks.
std::string ArgumentsText() {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"') quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return tarn::platform::win32::Utf8FromWide(line);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tarn::platform::ui::InstallWin32Ui();
    return tarn::MMain::RunRegisterTool(ArgumentsText());
}
