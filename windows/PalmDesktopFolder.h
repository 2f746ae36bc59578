#pragma once

#include <filesystem>
#include <optional>

namespace tarn::windows {

// Where the sync suite's installers look for the Palm Desktop folder: HKCU
// "Software\U.S. Robotics\Pilot Desktop\Core", value "Path".
inline constexpr wchar_t kPalmCoreKey[] = L"Software\\U.S. Robotics\\Pilot Desktop\\Core";
inline constexpr wchar_t kPalmPathValue[] = L"Path";

std::optional<std::filesystem::path> RegisteredPalmDesktopFolder();
bool RegisterPalmDesktopFolder(const std::filesystem::path& folder);

// The folder a fresh installation goes to: "Palm" in the program files folder.
std::filesystem::path DefaultPalmDesktopFolder();

}  // namespace tarn::windows
