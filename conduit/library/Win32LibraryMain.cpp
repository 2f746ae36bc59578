// The conduit library's start on Windows: its message boxes are the system's own. The library
// links its own copy of the user interface seam, so the host's choice does not reach it.
#include <windows.h>

#include "platform/ui/win32/Win32Ui.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) tarn::platform::ui::InstallWin32Ui();
    return TRUE;
}
