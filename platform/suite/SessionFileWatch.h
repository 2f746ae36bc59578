#pragma once

#include <cstdint>
#include <filesystem>

namespace tarn::platform {

// Whether the session file is still the very file read last. Every change to the session
// replaces the file whole, so the same file means the same session. The POSIX edition holds the
// file open, so that its inode cannot be given to a new file, and compares device and inode;
// the Windows edition cannot tell, and always has the file read again.
class SessionFileWatch {
  public:
    SessionFileWatch() = default;
    ~SessionFileWatch();
    SessionFileWatch(const SessionFileWatch&) = delete;
    SessionFileWatch& operator=(const SessionFileWatch&) = delete;

    // Starts watching the file now at `file`: call before reading it, so that a file replaced
    // in between is found changed at the next look rather than taken for the one read.
    void Watch(const std::filesystem::path& file);
    // Whether `file` is the file watched, in the process that began watching it (a forked child
    // owns no session of its parent's). False when nothing is watched or the file is gone.
    bool Unchanged(const std::filesystem::path& file) const;
    void Forget();

  private:
    std::filesystem::path file_;
    int held_ = -1;
    std::int64_t watcher_ = 0;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

}  // namespace tarn::platform
