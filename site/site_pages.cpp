#include "site/site_pages.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

#include "base/text_rules.h"
#include "page/journal.h"

namespace kestrova {

namespace {

using FileId = std::pair<dev_t, ino_t>;

// Whether ";" + item + ";" occurs in ";" + list + ";".
bool InList(const std::string& list, const std::string& item)
{
    const std::string wrapped = ";" + list + ";";
    return wrapped.find(";" + item + ";") != std::string::npos;
}

bool UnderPath(const std::string& path, const std::string& root)
{
    return path == root ||
           (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/');
}

// File systems of the kernel and its devices (statfs types).
bool IsSystemFileSystem(long type)
{
    switch (static_cast<unsigned long>(type)) {
        case 0x9fa0:      // proc
        case 0x62656572:  // sysfs
        case 0x1cd1:      // devpts
        case 0x64626720:  // debugfs
        case 0x74726163:  // tracefs
        case 0x73636673:  // securityfs
        case 0x27e0eb:    // cgroup
        case 0x63677270:  // cgroup2
        case 0xcafe4a11:  // bpf
        case 0x6165676c:  // pstore
        case 0x62656570:  // configfs
        case 0x65735543:  // fusectl
        case 0x42494e4d:  // binfmt_misc
        case 0xde5e81e4:  // efivarfs
            return true;
        default:
            return false;
    }
}

struct Walk {
    std::string NameFilter;
    std::string Extensions;
    bool IncludeHidden = false;
    std::set<FileId> Folders;  // folders entered
    std::set<FileId> Files;    // pages taken
    SitePageListing Out;

    void Folder(const std::string& folder, const struct stat& self)
    {
        if (!Folders.insert({self.st_dev, self.st_ino}).second)
            return;
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr) {
            Out.Unreadable.push_back(folder);
            return;
        }
        std::vector<std::string> names;
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name(entry->d_name);
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        closedir(dir);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string path = folder + name;
            struct stat info {};
            // stat follows symbolic links; a broken one fails and is skipped.
            if (stat(path.c_str(), &info) != 0)
                continue;
            if (S_ISDIR(info.st_mode)) {
                if (name == BackupFolderName || IsSystemFolder(path))
                    continue;
                Folder(path + "/", info);
                continue;
            }
            if (!S_ISREG(info.st_mode))
                continue;  // a pipe or a device would block the page read
            if (name.front() == '.' && !IncludeHidden)
                continue;
            const std::size_t dot = name.rfind('.');
            const std::string ext = dot == std::string::npos ? std::string() : ToLower(name.substr(dot + 1));
            const std::string base = ToLower(dot == std::string::npos ? name : name.substr(0, dot));
            if (!(Extensions == "*" || InList(Extensions, ext)) || !(NameFilter == "*" || InList(NameFilter, base)))
                continue;
            if (!Files.insert({info.st_dev, info.st_ino}).second)
                continue;
            const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                Out.Unreadable.push_back(path);
                continue;
            }
            close(fd);
            Out.Pages.push_back(path);
        }
    }
};

}  // namespace

bool IsSystemFolder(const std::string& path)
{
    struct statfs fs {};
    if (statfs(path.c_str(), &fs) == 0 && IsSystemFileSystem(static_cast<long>(fs.f_type)))
        return true;
    // /dev is an ordinary memory file system: known by its place.
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return false;
    const std::string resolved = real;
    std::free(real);
    return UnderPath(resolved, "/proc") || UnderPath(resolved, "/sys") || UnderPath(resolved, "/dev");
}

SitePageListing ListSitePages(const std::string& folder, const std::string& nameFilter, const std::string& extensions,
                              bool includeHidden)
{
    Walk walk;
    if (folder.empty())
        return walk.Out;
    walk.NameFilter = nameFilter;
    walk.Extensions = extensions;
    std::erase(walk.Extensions, ' ');
    walk.IncludeHidden = includeHidden;
    std::string top = folder;
    if (top.back() != '/')
        top += '/';
    struct stat self {};
    if (stat(top.c_str(), &self) != 0 || !S_ISDIR(self.st_mode)) {
        walk.Out.Unreadable.push_back(top);
        return walk.Out;
    }
    if (IsSystemFolder(top)) {
        walk.Out.RefusedFolder = folder;
        return walk.Out;
    }
    walk.Folder(top, self);
    return walk.Out;
}

}  // namespace kestrova
