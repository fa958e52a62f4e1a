#include "page/page_history.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/app_state.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/settings.h"
#include "page/journal.h"

namespace kestrova {

namespace {

struct ActionEntry {
    std::string Action;
    bool Overrides;
};
std::vector<ActionEntry> gActions;

constexpr char VersionExtension[] = ".version";
constexpr std::size_t SerialDigits = 8;
constexpr char Magic[] = "Kestrova history 1";
// The header is read in one block of at most this many bytes.
constexpr std::size_t MaxHeader = 4096;

std::string Hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::uint64_t FromHex(const std::string& text)
{
    return std::strtoull(text.c_str(), nullptr, 16);
}

// The serial of a version's file name, 0 when the name is no version's.
std::uint64_t SerialOfName(const std::string& name)
{
    constexpr std::size_t ext = sizeof VersionExtension - 1;
    if (name.size() != SerialDigits + ext || name.compare(SerialDigits, ext, VersionExtension) != 0)
        return 0;
    std::uint64_t serial = 0;
    for (std::size_t i = 0; i < SerialDigits; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        serial = serial * 10 + static_cast<std::uint64_t>(name[i] - '0');
    }
    return serial;
}

std::string NameOfSerial(std::uint64_t serial)
{
    std::string digits = std::to_string(serial);
    if (digits.size() < SerialDigits)
        digits.insert(0, SerialDigits - digits.size(), '0');
    return digits + VersionExtension;
}

// The serials of the versions in a folder, ascending.
std::vector<std::uint64_t> SerialsIn(const std::string& folder)
{
    std::vector<std::uint64_t> serials;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return serials;
    while (const dirent* entry = ::readdir(dir)) {
        if (const std::uint64_t serial = SerialOfName(entry->d_name))
            serials.push_back(serial);
    }
    ::closedir(dir);
    std::sort(serials.begin(), serials.end());
    return serials;
}

// Reads a version's header; data receives the offset of its content.
bool ReadHeader(const std::string& file, HistoryVersion& version, std::int64_t& data)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string head(MaxHeader, '\0');
    const ssize_t got = ReadAt(fd, head.data(), head.size(), 0);
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (got <= 0 || !statted)
        return false;
    head.resize(static_cast<std::size_t>(got));
    const std::size_t end = head.find("\n\n");
    if (end == std::string::npos || head.compare(0, sizeof Magic - 1, Magic) != 0)
        return false;
    std::size_t start = head.find('\n') + 1;
    while (start < end + 1) {
        const std::size_t lf = head.find('\n', start);
        const std::string line = head.substr(start, lf - start);
        start = lf + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "time")
            version.Time = std::strtoll(value.c_str(), nullptr, 10);
        else if (key == "action")
            version.Action = value;
        else if (key == "before")
            version.Before = FromHex(value);
        else if (key == "after")
            version.After = FromHex(value);
        else if (key == "restored")
            version.Restored = std::strtoull(value.c_str(), nullptr, 10);
    }
    data = static_cast<std::int64_t>(end + 2);
    version.Size = st.st_size - data;
    return version.Size >= 0;
}

bool CurrentPageHash(const std::string& pagePath, std::uint64_t& hash)
{
    int fd = ::open(pagePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = FileContentHash(fd, hash);
    ::close(fd);
    return ok;
}

// Every version of the folder, newest first, with the unfinished one (if
// any) last read as such.
std::vector<HistoryVersion> ReadVersions(const std::string& folder)
{
    std::vector<HistoryVersion> versions;
    const std::vector<std::uint64_t> serials = SerialsIn(folder);
    for (auto it = serials.rbegin(); it != serials.rend(); ++it) {
        HistoryVersion version;
        version.Serial = *it;
        version.File = folder + NameOfSerial(*it);
        std::int64_t data = 0;
        if (ReadHeader(version.File, version, data))
            versions.push_back(std::move(version));
    }
    return versions;
}

// Whether the newest version belongs to a change that never replaced the
// page: the page still holds the version's own content.
bool NewestNeverLanded(const std::vector<HistoryVersion>& versions, const std::string& pagePath)
{
    if (versions.empty())
        return false;
    std::uint64_t now = 0;
    return CurrentPageHash(pagePath, now) && now == versions.front().Before && now != versions.front().After;
}

}  // namespace

std::string MetaAction(const std::string& metaName)
{
    std::string lower = metaName;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (lower == "description")
        return history_action::Description;
    if (lower == "keywords")
        return history_action::Keywords;
    return history_action::MetaPrefix + metaName;
}

ChangeActionScope::ChangeActionScope(std::string action, bool overrides)
{
    gActions.push_back({std::move(action), overrides});
}

ChangeActionScope::~ChangeActionScope()
{
    gActions.pop_back();
}

std::string CurrentChangeAction()
{
    for (const ActionEntry& entry : gActions)
        if (entry.Overrides)
            return entry.Action;
    return gActions.empty() ? std::string() : gActions.back().Action;
}

int HistoryDepth()
{
    int depth = App.HistoryDepth;
    if (depth <= 0) {
        std::string text;
        depth = ReadWholeFile(SettingsFileName, text) ? ReadSettingInt(text, "HistoryDepth", DefaultHistoryDepth)
                                                      : DefaultHistoryDepth;
    }
    return std::max(depth, 1);
}

std::string HistoryFolderOf(const std::string& pagePath)
{
    return BackupFolderOf(pagePath) + HistoryFolderName + "/" + FileNameOf(pagePath) + "/";
}

std::uint64_t ContentHash(std::string_view content)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : content) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool FileContentHash(int fd, std::uint64_t& hash)
{
    constexpr std::size_t ChunkSize = 1 << 16;
    std::string chunk(ChunkSize, '\0');
    hash = 14695981039346656037ull;
    for (std::int64_t offset = 0;;) {
        const ssize_t got = ReadAt(fd, chunk.data(), ChunkSize, offset);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        for (ssize_t i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(chunk[static_cast<std::size_t>(i)]);
            hash *= 1099511628211ull;
        }
        offset += got;
    }
}

std::vector<HistoryVersion> PageHistory(const std::string& pagePath)
{
    std::vector<HistoryVersion> versions = ReadVersions(HistoryFolderOf(pagePath));
    if (NewestNeverLanded(versions, pagePath))
        versions.erase(versions.begin());
    for (std::size_t i = 0; i < versions.size(); ++i)
        versions[i].Number = static_cast<int>(i + 1);
    return versions;
}

bool ReadHistoryVersion(const HistoryVersion& version, std::string& content)
{
    HistoryVersion header;
    std::int64_t data = 0;
    if (!ReadHeader(version.File, header, data))
        return false;
    std::string whole;
    if (!ReadWholeFile(version.File, whole) || whole.size() < static_cast<std::size_t>(data))
        return false;
    content = whole.substr(static_cast<std::size_t>(data));
    return ContentHash(content) == header.Before;
}

bool PageIsAsLastChanged(const std::string& pagePath, const std::vector<HistoryVersion>& history)
{
    if (history.empty())
        return true;
    std::uint64_t now = 0;
    return CurrentPageHash(pagePath, now) && now == history.front().After;
}

const HistoryVersion* UndoTarget(const std::vector<HistoryVersion>& history)
{
    if (history.empty())
        return nullptr;
    const HistoryVersion& newest = history.front();
    if (newest.Restored == 0)
        return &newest;
    for (const HistoryVersion& version : history)
        if (version.Serial < newest.Restored)
            return &version;
    return nullptr;
}

StagedHistoryVersion::~StagedHistoryVersion()
{
    if (fd_ >= 0) {
        ::unlink(temp_.c_str());
        ::close(fd_);
    }
}

bool StagedHistoryVersion::Stage(const std::string& pagePath, int pageFd, const std::string& action,
                                 std::uint64_t before, std::uint64_t after, std::uint64_t restored, std::int64_t time)
{
    const std::string backups = BackupFolderOf(pagePath);
    folder_ = HistoryFolderOf(pagePath);
    for (const std::string& dir : {backups, backups + HistoryFolderName + "/", folder_}) {
        struct stat st {};
        if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
    }
    // A version left by a change that never replaced the page goes first.
    const std::vector<HistoryVersion> versions = ReadVersions(folder_);
    if (NewestNeverLanded(versions, pagePath))
        ::unlink(versions.front().File.c_str());
    const std::vector<std::uint64_t> serials = SerialsIn(folder_);
    const std::uint64_t serial = serials.empty() ? 1 : serials.back() + 1;
    final_ = folder_ + NameOfSerial(serial);

    std::string header = std::string(Magic) + "\n";
    header += "time=" + std::to_string(time) + "\n";
    std::string oneLine = action;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    header += "action=" + oneLine + "\n";
    header += "before=" + Hex(before) + "\n";
    header += "after=" + Hex(after) + "\n";
    if (restored != 0)
        header += "restored=" + std::to_string(restored) + "\n";
    header += "\n";

    fd_ = CreateOwnTempFile(folder_, temp_);
    if (fd_ < 0)
        return false;
    struct stat pageStat {};
    const mode_t mode = ::fstat(pageFd, &pageStat) == 0 ? (pageStat.st_mode & 0666) : 0644;
    return ::fchmod(fd_, mode) == 0 && WriteAll(fd_, header) && CopyFileData(pageFd, fd_) && ::fsync(fd_) == 0;
}

bool StagedHistoryVersion::Place(const std::function<int(const char*, const char*)>& renameFn)
{
    if (fd_ < 0 || renameFn(temp_.c_str(), final_.c_str()) != 0)
        return false;
    ::close(fd_);
    fd_ = -1;
    placed_ = true;
    SyncFolder(folder_);
    return true;
}

void StagedHistoryVersion::Withdraw()
{
    if (placed_)
        ::unlink(final_.c_str());
    placed_ = false;
}

void StagedHistoryVersion::Prune(int depth) const
{
    if (!placed_)
        return;
    const std::vector<std::uint64_t> serials = SerialsIn(folder_);
    const std::size_t keep = static_cast<std::size_t>(std::max(depth, 1));
    for (std::size_t i = 0; i + keep < serials.size(); ++i)
        ::unlink((folder_ + NameOfSerial(serials[i])).c_str());
}

}  // namespace kestrova
