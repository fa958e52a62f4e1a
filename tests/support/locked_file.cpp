#include "tests/support/locked_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrova::test {

namespace {
bool SetImmutable(const std::string& path, bool on)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}
}  // namespace

LockedFile::LockedFile(std::string path) : path_(std::move(path))
{
    if (::geteuid() == 0) {
        immutable_ = SetImmutable(path_, true);
        locked_ = immutable_;
    } else {
        struct stat st {};
        ::stat(path_.c_str(), &st);
        locked_ = ::chmod(path_.c_str(), S_ISDIR(st.st_mode) ? 0555 : 0444) == 0;
    }
}

LockedFile::~LockedFile()
{
    Unlock();
}

void LockedFile::Unlock()
{
    if (immutable_)
        SetImmutable(path_, false);
    immutable_ = false;
    if (locked_) {
        struct stat st {};
        if (::stat(path_.c_str(), &st) == 0)
            ::chmod(path_.c_str(), st.st_mode | S_IWUSR);
    }
    locked_ = false;
}

}  // namespace kestrova::test
