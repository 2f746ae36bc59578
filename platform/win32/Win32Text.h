#pragma once

#include <string>
#include <string_view>

// Text at the Win32 boundary: the system takes UTF-16, the rest of the system holds UTF-8.
namespace tarn::platform::win32 {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// The system's description of an error code (GetLastError), on one line.
std::string ErrorText(unsigned long code);
// ErrorText of the calling thread's last error.
std::string LastErrorText();

}  // namespace tarn::platform::win32
