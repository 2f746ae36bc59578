#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarn::platform {

// Replaces the file at `path` with `bytes` so that readers see either the old file or the whole
// new one: the bytes go to a temporary file in the same folder, are flushed to disk, and the
// temporary file is renamed over the target. On failure the old file is left as it was, the
// temporary file is removed, and `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr);

// Reads a whole file. Returns false (with a reason) when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes,
                   std::string* error = nullptr);

// As ReadWholeFile, except that a file that does not exist reads as empty; nothing is created.
bool ReadFileOrNothing(const std::filesystem::path& path, std::string& bytes,
                       std::string* error = nullptr);

}  // namespace tarn::platform
