#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarn::platform {

// Who may read a file this layer creates. Shared files get the usual permissions less what the
// process umask takes away; owner-only files (descriptions holding a password, machine state)
// are readable by their owner alone, whatever they were before.
enum class FileAccess { Shared, OwnerOnly };

// Replaces the file at `path` with `bytes` so that readers see either the old file or the whole
// new one: PrepareFile, then PublishFile. On failure the old file is left as it was, the
// temporary file is removed, and `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr, FileAccess access = FileAccess::Shared);

// Writes `bytes` completely to a new temporary file beside `target` and flushes it to disk; the
// target is not touched. `prepared` receives the temporary file's path. A file being replaced
// keeps its permissions (owner-only files are made owner-only in any case). On failure nothing
// is left behind.
bool PrepareFile(const std::filesystem::path& target, std::string_view bytes, FileAccess access,
                 std::filesystem::path& prepared, std::string* error = nullptr);

// Puts a prepared file in place of its target in one rename and flushes the folder, so that the
// new name survives a power failure. On failure the target is as it was and the prepared file
// is still there for the caller to discard.
bool PublishFile(const std::filesystem::path& prepared, const std::filesystem::path& target,
                 std::string* error = nullptr);

// Removes a prepared file that will not be published; errors are ignored.
void DiscardFile(const std::filesystem::path& prepared);

// Flushes a folder's entries (new names, renames, removals) to disk.
bool SyncFolder(const std::filesystem::path& folder, std::string* error = nullptr);

// Whether a file name is one of the temporary files PrepareFile makes for a target named
// `targetName` (empty: for any target): "." + target name + "." + six random characters.
bool IsTemporaryFileName(const std::string& fileName, const std::string& targetName = {});
// The target name a temporary file was prepared for; empty when it is not one.
std::string TemporaryFileTarget(const std::string& fileName);

// Reads a whole file. Returns false (with a reason) when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes,
                   std::string* error = nullptr);

// As ReadWholeFile, except that a file that does not exist reads as empty; nothing is created.
bool ReadFileOrNothing(const std::filesystem::path& path, std::string& bytes,
                       std::string* error = nullptr);

// The first bytes of a file, at most `size`; empty when it cannot be read.
std::string ReadFileStart(const std::filesystem::path& path, size_t size);

// Appends `bytes` to a file in one write, creating it (readable by its owner only) when
// missing, so that lines appended by different writers never interleave.
bool AppendToFile(const std::filesystem::path& path, std::string_view bytes,
                  std::string* error = nullptr);

// Whether this process may replace the file: its folder takes new files and the file, when
// there is one, may be written.
bool CanReplaceFile(const std::filesystem::path& path);

// The permissions a new file gets: `requested` less the bits the process umask removes.
unsigned CreationMode(unsigned requested);

}  // namespace tarn::platform
