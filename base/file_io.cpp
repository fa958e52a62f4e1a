#include "base/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>

#include "base/paths.h"

namespace kestrova {

bool ReadWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char chunk[16384];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        out.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

ssize_t ReadAt(int fd, char* data, std::size_t size, std::int64_t offset)
{
    std::size_t got = 0;
    while (got < size) {
        ssize_t r = ::pread(fd, data + got, size - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool CopyFileData(int in, int out)
{
    constexpr std::size_t ChunkSize = 1 << 16;
    std::unique_ptr<char[]> chunk(new char[ChunkSize]);
    for (std::int64_t offset = 0;;) {
        ssize_t got = ReadAt(in, chunk.get(), ChunkSize, offset);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!WriteAll(out, chunk.get(), static_cast<std::size_t>(got)))
            return false;
        offset += got;
    }
}

void SyncFolder(const std::string& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool CreateEmptyFile(const std::string& path, mode_t mode)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

namespace {

constexpr std::size_t OwnTempRandomLength = 8;
constexpr std::size_t OwnTempCheckLength = 8;

bool IsRandomChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The mark of a temporary name: eight hexadecimal digits computed from its
// random part, so that a name someone chose by hand is never taken for one
// of ours.
std::string OwnTempCheck(std::string_view random)
{
    std::uint32_t hash = 2166136261u;
    for (char c : std::string_view("kestrova temporary file ")) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    for (char c : random) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    static constexpr char hex[] = "0123456789abcdef";
    std::string check(OwnTempCheckLength, '0');
    for (std::size_t i = 0; i < OwnTempCheckLength; ++i)
        check[i] = hex[(hash >> (28 - 4 * i)) & 0xF];
    return check;
}

}  // namespace

std::string OwnTempName(std::string_view random)
{
    return std::string(OwnTempPrefix) + std::string(random) + "-" + OwnTempCheck(random);
}

bool IsOwnTempName(std::string_view name)
{
    constexpr std::size_t prefix = sizeof OwnTempPrefix - 1;
    if (name.size() != prefix + OwnTempRandomLength + 1 + OwnTempCheckLength || name.substr(0, prefix) != OwnTempPrefix)
        return false;
    const std::string_view random = name.substr(prefix, OwnTempRandomLength);
    for (char c : random)
        if (!IsRandomChar(c))
            return false;
    return name[prefix + OwnTempRandomLength] == '-' &&
           name.substr(prefix + OwnTempRandomLength + 1) == OwnTempCheck(random);
}

int CreateOwnTempFile(const std::string& folder, std::string& path)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string random(OwnTempRandomLength, 'a');
        for (char& c : random)
            c = letters[device() % (sizeof letters - 1)];
        std::string temp = folder + OwnTempName(random);
        int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // Locked at once: RemoveStrayTempFiles leaves a locked file alone.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::unlink(temp.c_str());
            ::close(fd);
            errno = error;
            return -1;
        }
        path = std::move(temp);
        return fd;
    }
    errno = EEXIST;
    return -1;
}

bool LockWithin(int fd, std::chrono::milliseconds wait)
{
    // Polled, with a short pause between the tries: a blocking flock could
    // not be given up when the time is out.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline)
            return false;
        struct timespec pause {
            0, 20'000'000
        };
        ::nanosleep(&pause, nullptr);
    }
}

struct timespec CoarseRealTime()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

int RemoveStrayTempFiles(const std::string& folder, const struct timespec& notAfter)
{
    const std::string dirPath = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(dirPath.c_str());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    while (const struct dirent* entry = ::readdir(dir)) {
        if (!IsOwnTempName(entry->d_name))
            continue;
        const std::string path = folder + entry->d_name;
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        const bool old = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         (st.st_mtim.tv_sec < notAfter.tv_sec ||
                          (st.st_mtim.tv_sec == notAfter.tv_sec && st.st_mtim.tv_nsec < notAfter.tv_nsec));
        // A file that no process holds is a leftover: its writer is gone.
        if (old && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat now {};
            // Removed only while the name still leads to the file checked.
            if (::lstat(path.c_str(), &now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev &&
                ::unlink(path.c_str()) == 0)
                ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

bool ReplaceFileWith(const std::string& path, mode_t mode, const FileContentWriter& write)
{
    const std::string folder = FolderOf(path);
    std::string temp;
    int fd = CreateOwnTempFile(folder, temp);
    if (fd < 0)
        return false;
    // The mode is set before any content goes in: a file that is to be the
    // owner's only is never readable by others, not even for a moment.
    bool ok = ::fchmod(fd, mode) == 0 && write(fd) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) {
        SyncFolder(folder);
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

bool ReplaceFileContent(const std::string& path, std::string_view content, mode_t mode)
{
    return ReplaceFileWith(path, mode, [content](int fd) { return WriteAll(fd, content); });
}

}  // namespace kestrova
