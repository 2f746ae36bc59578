#pragma once

namespace tarn::platform {

// The characters that end a folder name in a path as users write it: a backslash is one on
// Windows and an ordinary character of a file name elsewhere.
#ifdef _WIN32
inline constexpr char kPathSeparators[] = "\\/";
#else
inline constexpr char kPathSeparators[] = "/";
#endif

}  // namespace tarn::platform
