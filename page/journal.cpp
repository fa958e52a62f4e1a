#include "page/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/clock.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/program_folders.h"
#include "base/settings.h"
#include "page/page_walker.h"

namespace kestrova {

JournalState Journal;
UploadShared Upload;

namespace {

// Permission bits of the journal.
constexpr mode_t JournalFileMode = 0644;

// Calls fn(line) for each line of text; lines end with LF or CR LF.
template <typename Fn>
void ForEachLine(const std::string& text, Fn&& fn)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        if (!fn(std::string_view(text).substr(start, stop - start)))
            return;
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
}

// How long an update of the journal waits for another program's update
// (which holds the journal while it writes its backup, up to a few seconds
// for a big page).
constexpr std::chrono::milliseconds JournalLockWait{10000};

// Reads the whole journal into text. A missing journal reads as empty; false
// (text empty) when the journal exists but cannot be read, is not a regular
// file (a FIFO, a folder, a device: it is opened without blocking, so a
// FIFO never stalls the program) or is a link that leads nowhere.
bool ReadJournal(std::string& text)
{
    text.clear();
    int fd = ::open(JournalFileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        struct stat st {};
        return errno == ENOENT && ::lstat(JournalFileName, &st) != 0;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        char chunk[16384];
        for (std::int64_t offset = 0;;) {
            ssize_t got = ReadAt(fd, chunk, sizeof chunk, offset);
            if (got < 0) {
                ok = false;
                break;
            }
            if (got == 0)
                break;
            text.append(chunk, static_cast<std::size_t>(got));
            offset += got;
        }
    }
    ::close(fd);
    if (!ok)
        text.clear();
    return ok;
}

// Locks the current folder, where the journal lives, against other
// programs' journal updates. -1 when it cannot be locked in time.
int LockJournalFolder()
{
    int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    // A file system without advisory locks leaves the folder unlocked;
    // only another holder that does not let go in time stops the update.
    if (!LockWithin(fd, JournalLockWait) && errno == EWOULDBLOCK) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The file a journal update writes: the journal, or the file it leads to
// when it is a symbolic link (a link the user made is kept and written
// through).
std::string JournalTarget()
{
    struct stat st {};
    if (::lstat(JournalFileName, &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(JournalFileName, nullptr)) {
            std::string target = resolved;
            std::free(resolved);
            return target;
        }
    }
    return JournalFileName;
}

// Appends a line read by ForEachLine with its end, LF. A line that itself
// ends with CR (its end was CR CR LF) is ended with CR LF, so that it reads
// back the same.
void AppendJournalLine(std::string& out, std::string_view line)
{
    out.append(line);
    if (!line.empty() && line.back() == '\r')
        out.push_back('\r');
    out.push_back('\n');
}

// The non-empty lines of a journal text, at most limit.
std::vector<std::string> JournalLinesOf(const std::string& text, std::size_t limit)
{
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) {
        if (!line.empty())
            lines.emplace_back(line);
        return lines.size() < limit;
    });
    return lines;
}

// The program folder, resolved and ending with "/"; "" until it is set.
std::string programFolder;

// A folder resolved (links, "." and "..") and ending with "/"; "" when it
// does not exist. The empty folder is the current one.
std::string ResolvedFolder(const std::string& folder)
{
    char* resolved = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (resolved == nullptr)
        return "";
    std::string out = resolved;
    std::free(resolved);
    if (out.empty() || out.back() != '/')
        out += '/';
    return out;
}

// The page the online analysis fetches into the current folder.
constexpr const char* OnlinePageFileName = "temp.htm";

}  // namespace

bool IsJournalSafePath(const std::string& path)
{
    return path.find_first_of("\r\n\t|") == std::string::npos;
}

void SetProgramFolder(const std::string& folder)
{
    programFolder = folder.empty() ? std::string() : ResolvedFolder(folder);
}

bool IsProgramOwnFile(const std::string& path)
{
    const std::string folder = ResolvedFolder(FolderOf(path));
    if (folder.empty())
        return false;
    if (!programFolder.empty() && folder == programFolder)
        return true;
    const std::string name = FileNameOf(path);
    // An installed copy keeps the online page in its cache folder.
    if (name == OnlinePageFileName && folder == ResolvedFolder(FolderOf(TempPageFilePath())))
        return true;
    if (name != OnlinePageFileName && name != JournalFileName && name != SettingsFileName)
        return false;
    return folder == ResolvedFolder("");
}

std::optional<FileIdentity> FileIdentityOf(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                        static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
                        static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

std::optional<FileIdentity> FileIdentityAt(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<FileIdentity> identity = FileIdentityOf(fd);
    ::close(fd);
    return identity;
}

std::string BackupFolderOf(const std::string& pagePath)
{
    return FolderOf(pagePath) + BackupFolderName + "/";
}

bool WriteBackup(const std::string& pagePath)
{
    int in = ::open(pagePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const bool ok = WriteBackupFrom(pagePath, in);
    ::close(in);
    return ok;
}

bool WriteBackupFrom(const std::string& pagePath, int pageFd)
{
    std::string folder = BackupFolderOf(pagePath);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (::stat(folder.c_str(), &st) != 0)
            return false;
    }
    if (!S_ISDIR(st.st_mode))
        return false;
    struct stat pageStat {};
    if (::fstat(pageFd, &pageStat) != 0 || !S_ISREG(pageStat.st_mode))
        return false;
    return ReplaceFileWith(folder + FileNameOf(pagePath), pageStat.st_mode & 07777,
                           [pageFd](int out) { return CopyFileData(pageFd, out); });
}

JournalUpdate::~JournalUpdate()
{
    Discard();
    if (folderLock_ >= 0)
        ::close(folderLock_);
}

void JournalUpdate::Discard()
{
    if (tempFd_ >= 0) {
        ::unlink(tempPath_.c_str());
        ::close(tempFd_);
        tempFd_ = -1;
    }
}

bool JournalUpdate::Prepare(const std::string& PagePath)
{
    Discard();
    committed_ = false;
    // A line that would not read back as this page, or a file of the
    // program's own, is never written.
    if (!PagePath.empty() && (!IsJournalSafePath(PagePath) || IsProgramOwnFile(PagePath)))
        return false;
    if (folderLock_ < 0)
        folderLock_ = LockJournalFolder();
    if (folderLock_ < 0)
        return false;
    // Leftovers of journal updates that a crash interrupted.
    RemoveStrayTempFiles("", CoarseRealTime());

    std::string text;
    if (!ReadJournal(text))
        return false;  // rewriting a journal that cannot be read would lose its entries
    struct stat st {};
    existed_ = ::lstat(JournalFileName, &st) == 0;
    if (existed_) {
        // The journal is replaced, not written in place; a journal that may
        // not be written (read-only, unchangeable) is refused all the same.
        int probe = ::open(JournalFileName, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0)
            return false;
        ::close(probe);
    }
    previous_ = text;

    std::string out;
    if (!PagePath.empty()) {
        std::vector<std::string_view> lines;
        ForEachLine(text, [&](std::string_view line) {
            lines.push_back(line);
            return true;
        });
        // The page's own line: its whole path, never a longer path that
        // merely begins with it.
        std::size_t match = lines.size();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].substr(0, lines[i].find('|')) == PagePath) {
                match = i;
                break;
            }
        }
        // Non-empty lines before the page's own line make the head, the
        // later ones the tail. When the page has no line yet, the last line
        // read goes to the head even when it is empty (so a new journal
        // begins with an empty line, which every reader skips).
        std::string head;
        std::string tail;
        const std::size_t headEnd = match < lines.size() ? match : (lines.empty() ? 0 : lines.size() - 1);
        for (std::size_t i = 0; i < headEnd; ++i) {
            if (!lines[i].empty())
                AppendJournalLine(head, lines[i]);
        }
        if (match == lines.size())
            AppendJournalLine(head, lines.empty() ? std::string_view() : lines.back());
        for (std::size_t i = match + 1; i < lines.size(); ++i) {
            if (!lines[i].empty())
                AppendJournalLine(tail, lines[i]);
        }
        out = std::move(head);
        out += PagePath;
        out += '|';
        out += std::to_string(LocalNowSeconds());
        out += '\n';
        out += tail;
    } else {
        out = text;  // only makes sure that the journal exists
    }

    target_ = JournalTarget();
    tempFd_ = CreateOwnTempFile(FolderOf(target_), tempPath_);
    if (tempFd_ < 0)
        return false;
    if (::fchmod(tempFd_, JournalFileMode) != 0 || !WriteAll(tempFd_, out) || ::fsync(tempFd_) != 0) {
        Discard();
        return false;
    }
    return true;
}

bool JournalUpdate::Commit()
{
    if (tempFd_ < 0)
        return false;
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        Discard();
        return false;
    }
    ::close(tempFd_);
    tempFd_ = -1;
    SyncFolder(FolderOf(target_));
    committed_ = true;
    return true;
}

void JournalUpdate::Revert()
{
    if (!committed_)
        return;
    committed_ = false;
    if (existed_)
        ReplaceFileContent(target_, previous_, JournalFileMode);
    else
        ::unlink(target_.c_str());
}

bool AddJournalEntry(const std::string& PagePath)
{
    JournalUpdate update;
    return update.Prepare(PagePath) && update.Commit();
}

void LoadJournal()
{
    std::string text;
    ReadJournal(text);
    Journal.JournalEntries = JournalLinesOf(text, JournalEntriesMax);
}

std::string JournalLinePath(const std::string& line)
{
    return line.substr(0, line.find('|'));
}

std::int64_t JournalLineTime(const std::string& line)
{
    std::size_t bar = line.find('|');
    if (bar == std::string::npos)
        return 0;
    return std::strtoll(line.c_str() + bar + 1, nullptr, 10);
}

namespace {

// The page was sent in the last run and the file on disk is still the one
// that was read for sending.
bool SentUnchanged(const std::string& path)
{
    const std::optional<FileIdentity> sent = Upload.SentAs(path);
    if (!sent)
        return false;
    const std::optional<FileIdentity> now = FileIdentityAt(path);
    return now && *now == *sent;
}

}  // namespace

void PurgeJournal()
{
    if (Upload.UploadState.load() <= 0)
        return;
    Upload.UploadState.store(-1);
    Upload.BackgroundThread.store(0);

    // Every line takes part, even past the 200 that the journal window shows:
    // a line dropped here would be a changed page never uploaded. A journal
    // that cannot be read is left as it is, for the same reason.
    const int folderLock = LockJournalFolder();
    struct LockRelease {
        int fd;
        ~LockRelease()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } release{folderLock};
    std::string text;
    if (!ReadJournal(text)) {
        Journal.JournalEntries.clear();
        return;
    }
    std::vector<std::string> lines = JournalLinesOf(text, static_cast<std::size_t>(-1));
    std::int64_t started = Upload.UploadStartTime.load();
    std::vector<std::string> kept;
    std::string out;
    for (std::string& line : lines) {
        const std::string path = JournalLinePath(line);
        if (!SentUnchanged(path) || Upload.AnyBeginsWith(path + "|") || Upload.IsKeptUnsent(path) ||
            JournalLineTime(line) > started) {
            out += line;
            out += "\r\n";
            kept.push_back(std::move(line));
        }
    }
    if (!ReplaceFileContent(JournalTarget(), out, JournalFileMode)) {
        LoadJournal();
        return;
    }
    if (kept.size() > JournalEntriesMax)
        kept.resize(JournalEntriesMax);
    Journal.JournalEntries = std::move(kept);
}

// --- Upload queue -----------------------------------------------------------

std::string UploadShared::At(std::size_t i) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return i < UploadQueue.size() ? UploadQueue[i] : std::string();
}

std::optional<std::string> UploadShared::First() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (UploadQueue.empty())
        return std::nullopt;
    return UploadQueue.front();
}

bool UploadShared::SetAt(std::size_t i, std::string entry)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (i < UploadQueue.size()) {
        UploadQueue[i] = std::move(entry);
        return true;
    }
    if (i != UploadQueue.size())
        return false;
    UploadQueue.push_back(std::move(entry));
    return true;
}

bool UploadShared::Push(std::string entry)
{
    std::lock_guard<std::mutex> lock(mutex_);
    UploadQueue.push_back(std::move(entry));
    return true;
}

void UploadShared::RemoveAt(std::size_t i)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (i < UploadQueue.size())
        UploadQueue.erase(UploadQueue.begin() + static_cast<std::ptrdiff_t>(i));
}

bool UploadShared::Remove(const std::string& entry)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = UploadQueue.begin(); it != UploadQueue.end(); ++it) {
        if (*it == entry) {
            UploadQueue.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<std::string> UploadShared::TakeFirst()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (UploadQueue.empty())
        return std::nullopt;
    std::string first = std::move(UploadQueue.front());
    UploadQueue.erase(UploadQueue.begin());
    return first;
}

bool UploadShared::AnyBeginsWith(const std::string& prefix) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& entry : UploadQueue)
        if (entry.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

std::vector<std::string> UploadShared::Snapshot() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return UploadQueue;
}

std::size_t UploadShared::Size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return UploadQueue.size();
}

void UploadShared::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    UploadQueue.clear();
    keptUnsent_.clear();
    sent_.clear();
}

void UploadShared::StartRun(std::vector<std::string> entries)
{
    std::lock_guard<std::mutex> lock(mutex_);
    UploadQueue = std::move(entries);
    sent_.clear();
}

void UploadShared::RecordSent(const std::string& path, const FileIdentity& identity)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [sentPath, sentIdentity] : sent_) {
        if (sentPath == path) {
            sentIdentity = identity;
            return;
        }
    }
    sent_.emplace_back(path, identity);
}

std::optional<FileIdentity> UploadShared::SentAs(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [sentPath, sentIdentity] : sent_)
        if (sentPath == path)
            return sentIdentity;
    return std::nullopt;
}

void UploadShared::KeepUnsent(std::vector<std::string> paths)
{
    std::lock_guard<std::mutex> lock(mutex_);
    keptUnsent_ = std::move(paths);
}

bool UploadShared::IsKeptUnsent(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& kept : keptUnsent_)
        if (kept == path)
            return true;
    return false;
}

}  // namespace kestrova
