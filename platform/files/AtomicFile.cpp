#include "platform/files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarn::platform {
namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) return Fail(error, "cannot create a file in " + folder.string());

    // Keep the permissions of the file being replaced; a new file gets the usual 0644.
    struct stat old {};
    fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            close(fd);
            unlink(pattern.c_str());
            errno = saved;
            return Fail(error, "cannot write " + pattern);
        }
        written += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        int saved = errno;
        unlink(pattern.c_str());
        errno = saved;
        return Fail(error, "cannot write " + pattern);
    }
    if (rename(pattern.c_str(), path.c_str()) != 0) {
        int saved = errno;
        unlink(pattern.c_str());
        errno = saved;
        return Fail(error, "cannot replace " + path.string());
    }
    return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open " + path.string());
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            close(fd);
            errno = saved;
            return Fail(error, "cannot read " + path.string());
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

bool ReadFileOrNothing(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        bytes.clear();
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        if (error) *error = path.string() + " is a folder, not a file";
        return false;
    }
    return ReadWholeFile(path, bytes, error);
}

}  // namespace tarn::platform
