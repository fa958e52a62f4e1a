#include "base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

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

bool ReplaceFileWith(const std::string& path, mode_t mode, const FileContentWriter& write)
{
    const std::string folder = FolderOf(path);
    std::string temp = folder + ".kestrova-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
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
