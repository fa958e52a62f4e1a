#include "page/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/clock.h"
#include "base/file_io.h"
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

// Reads the whole journal into text. A missing journal reads as empty; false
// when the journal exists but cannot be read (text is then empty).
bool ReadJournal(std::string& text)
{
    if (ReadWholeFile(JournalFileName, text))
        return true;
    text.clear();
    return ::access(JournalFileName, F_OK) != 0;
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

}  // namespace

std::string BackupFolderOf(const std::string& pagePath)
{
    return FolderOf(pagePath) + BackupFolderName + "/";
}

bool WriteBackup(const std::string& pagePath)
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

    int in = ::open(pagePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat pageStat {};
    if (::fstat(in, &pageStat) != 0 || !S_ISREG(pageStat.st_mode)) {
        ::close(in);
        return false;
    }
    const bool ok = ReplaceFileWith(folder + FileNameOf(pagePath), pageStat.st_mode & 07777,
                                    [in](int out) { return CopyFileData(in, out); });
    ::close(in);
    return ok;
}

void AddJournalEntry(const std::string& PagePath)
{
    std::string text;
    if (!ReadJournal(text))
        return;  // rewriting a journal that cannot be read would lose its entries
    if (::access(JournalFileName, F_OK) != 0) {
        int fd = ::open(JournalFileName, O_WRONLY | O_CREAT | O_CLOEXEC, JournalFileMode);
        if (fd < 0)
            return;
        ::close(fd);
    }
    if (PagePath.empty())
        return;

    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line) {
        lines.push_back(line);
        return true;
    });
    std::size_t match = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].substr(0, PagePath.size()) == PagePath) {
            match = i;
            break;
        }
    }
    // Non-empty lines before the page's own line make the head, the later
    // ones the tail. When the page has no line yet, the last line read goes
    // to the head even when it is empty (so a new journal begins with an
    // empty line, which every reader skips).
    std::string head;
    std::string tail;
    const std::size_t headEnd = match < lines.size() ? match : (lines.empty() ? 0 : lines.size() - 1);
    for (std::size_t i = 0; i < headEnd; ++i) {
        if (!lines[i].empty()) {
            head.append(lines[i]);
            head.push_back('\n');
        }
    }
    if (match == lines.size()) {
        if (!lines.empty())
            head.append(lines.back());
        head.push_back('\n');
    }
    for (std::size_t i = match + 1; i < lines.size(); ++i) {
        if (!lines[i].empty()) {
            tail.append(lines[i]);
            tail.push_back('\n');
        }
    }
    std::string out = std::move(head);
    out += PagePath;
    out += '|';
    out += std::to_string(LocalNowSeconds());
    out += '\n';
    out += tail;
    ReplaceFileContent(JournalFileName, out, JournalFileMode);
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

void PurgeJournal()
{
    if (Upload.UploadState.load() <= 0)
        return;
    Upload.UploadState.store(-1);
    Upload.BackgroundThread.store(0);

    // Every line takes part, even past the 200 that the journal window shows:
    // a line dropped here would be a changed page never uploaded. A journal
    // that cannot be read is left as it is, for the same reason.
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
        if (Upload.AnyBeginsWith(path) || Upload.IsKeptUnsent(path) || JournalLineTime(line) > started) {
            out += line;
            out += "\r\n";
            kept.push_back(std::move(line));
        }
    }
    if (!ReplaceFileContent(JournalFileName, out, JournalFileMode)) {
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
