#include "platform/files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace tarn::platform {
namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

// Closes a descriptor and removes a file while keeping the errno of the failure being reported.
void CleanUp(int fd, const std::filesystem::path& file) {
    int saved = errno;
    if (fd >= 0) close(fd);
    unlink(file.c_str());
    errno = saved;
}

// The umask without changing it: umask() can only be read by setting it, which would race with
// other threads creating files, so the kernel's report is asked first.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) != 0) continue;
        try {
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
        } catch (const std::exception&) {
            break;
        }
    }
    mode_t mask = umask(022);
    umask(mask);
    return mask;
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

unsigned CreationMode(unsigned requested) {
    return requested & ~static_cast<unsigned>(CurrentUmask()) & 07777;
}

bool PrepareFile(const std::filesystem::path& target, std::string_view bytes, FileAccess access,
                 std::filesystem::path& prepared, std::string* error) {
    std::filesystem::path folder = FolderOf(target);
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(pattern.data());
    if (fd < 0) return Fail(error, "cannot create a file in " + folder.string());
    const std::filesystem::path temporary = pattern;

    struct stat old {};
    mode_t mode;
    if (access == FileAccess::OwnerOnly)
        mode = S_IRUSR | S_IWUSR;
    else if (stat(target.c_str(), &old) == 0)
        mode = old.st_mode & 07777;
    else
        mode = CreationMode(0666);
    if (fchmod(fd, mode) != 0) {
        CleanUp(fd, temporary);
        return Fail(error, "cannot set the permissions of " + temporary.string());
    }
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        CleanUp(fd, temporary);
        return Fail(error, "cannot write " + temporary.string());
    }
    if (close(fd) != 0) {
        CleanUp(-1, temporary);
        return Fail(error, "cannot write " + temporary.string());
    }
    prepared = temporary;
    return true;
}

bool SyncFolder(const std::filesystem::path& folder, std::string* error) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open the folder " + folder.string());
    int result;
    do {
        result = fsync(fd);
    } while (result != 0 && errno == EINTR);
    int saved = errno;
    close(fd);
    errno = saved;
    // Some file systems cannot flush a folder at all; their renames are as safe as they get.
    if (result != 0 && errno != EINVAL && errno != ENOTSUP)
        return Fail(error, "cannot flush the folder " + folder.string());
    return true;
}

bool PublishFile(const std::filesystem::path& prepared, const std::filesystem::path& target,
                 std::string* error) {
    if (rename(prepared.c_str(), target.c_str()) != 0)
        return Fail(error, "cannot replace " + target.string());
    return SyncFolder(FolderOf(target), error);
}

void DiscardFile(const std::filesystem::path& prepared) {
    if (!prepared.empty()) unlink(prepared.c_str());
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string* error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open " + path.string());
    bytes.clear();
    // Room for the whole file at once: growing by doubling would hold up to three times its
    // size while reading a large one.
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
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

std::string ReadFileStart(const std::filesystem::path& path, size_t size) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string bytes(size, '\0');
    size_t got = 0;
    while (got < size) {
        ssize_t n = pread(fd, bytes.data() + got, size - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    bytes.resize(got);
    return bytes;
}

bool AppendToFile(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return Fail(error, "cannot open " + path.string());
    if (!WriteAll(fd, bytes)) {
        int saved = errno;
        close(fd);
        errno = saved;
        return Fail(error, "cannot write " + path.string());
    }
    close(fd);
    return true;
}

bool CanReplaceFile(const std::filesystem::path& path) {
    if (access(FolderOf(path).c_str(), W_OK) != 0) return false;
    return access(path.c_str(), F_OK) != 0 || access(path.c_str(), W_OK) == 0;
}

}  // namespace tarn::platform
