#include "site/site_terms.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "base/text_rules.h"
#include "page/journal.h"
#include "site/site_scan.h"

namespace kestrova {

namespace {

// Whether item is one of the ";"-separated entries of list.
bool InList(std::string_view list, std::string_view item)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (list.substr(start, end - start) == item)
            return true;
        start = end + 1;
    }
    return false;
}

// Lists the folder through its descriptor: each entry is looked up from
// the folder, not from the root again (this runs before every page of a
// large site).
void ListFolder(const std::string& folder, std::vector<std::pair<dev_t, ino_t>>& open, std::vector<SitePageFile>& out,
                const std::function<void(const std::string&)>& onFolder)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    struct Close {
        DIR* dir;
        ~Close() { closedir(dir); }
    } close{dir};
    const int fd = dirfd(dir);
    struct stat self {};
    if (fstat(fd, &self) != 0)
        return;
    const std::pair<dev_t, ino_t> id{self.st_dev, self.st_ino};
    if (std::find(open.begin(), open.end(), id) != open.end())
        return;
    if (onFolder)
        onFolder(folder);
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    open.push_back(id);
    for (const std::string& name : names) {
        struct stat info {};
        // Follows symbolic links; a broken one fails and is skipped.
        if (fstatat(fd, name.c_str(), &info, 0) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            // The backups of the pages are copies, not pages of the site.
            if (name != BackupFolderName)
                ListFolder(folder + name + "/", open, out, onFolder);
            continue;
        }
        if (!S_ISREG(info.st_mode) || name.front() == '.')
            continue;
        const std::size_t dot = name.rfind('.');
        const std::string ext = dot == std::string::npos ? std::string() : ToLower(name.substr(dot + 1));
        if (!InList(SiteExtensions, ext))
            continue;
        out.push_back(SitePageFile{folder + name, static_cast<std::int64_t>(info.st_size),
                                   static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec});
    }
    open.pop_back();
}

// The distinct term keys of one page.
std::vector<std::string> ReadPageTerms(const std::string& path, RelevanceLanguage programLanguage,
                                       RelevanceTools& tools)
{
    RelevancePage page;
    if (!ReadRelevancePage(path, page))
        return {};
    WordFormMatcher& matcher = tools.Matcher(PageLanguage(page, programLanguage));
    PageTermMap terms;
    CollectTerms(page, WordKeys(page.Words, matcher), tools, terms);
    std::vector<std::string> keys;
    keys.reserve(terms.size());
    for (auto& [key, term] : terms)
        keys.push_back(key);
    return keys;
}

}  // namespace

std::vector<SitePageFile> ListSitePageFiles(const std::string& folder)
{
    return ListSitePageFiles(folder, {});
}

std::vector<SitePageFile> ListSitePageFiles(const std::string& folder,
                                            const std::function<void(const std::string&)>& onFolder)
{
    std::vector<SitePageFile> pages;
    if (folder.empty())
        return pages;
    std::string top = folder;
    if (top.back() != '/')
        top += '/';
    std::vector<std::pair<dev_t, ino_t>> open;
    ListFolder(top, open, pages, onFolder);
    return pages;
}

namespace {

// What makes the site's pages change: a page written, replaced, renamed,
// created, removed or touched, in a folder that is watched, or the folder
// itself going.
constexpr std::uint32_t WatchedEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                        IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

SiteTermIndex::~SiteTermIndex()
{
    StopWatching();
}

void SiteTermIndex::StartWatching()
{
    watchFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    watching_ = watchFd_ >= 0;
}

void SiteTermIndex::StopWatching()
{
    if (watchFd_ >= 0)
        ::close(watchFd_);
    watchFd_ = -1;
    watching_ = false;
}

bool SiteTermIndex::FolderChanged()
{
    alignas(inotify_event) char buffer[16384];
    bool changed = false;
    for (;;) {
        const ssize_t got = ::read(watchFd_, buffer, sizeof buffer);
        if (got > 0) {
            changed = true;  // any event, an overflow of the queue included
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno != EAGAIN) {
            // The watch cannot be read: list the folder from now on.
            StopWatching();
            return true;
        }
        return changed;
    }
}

void SiteTermIndex::Forget(PageEntry& entry)
{
    for (std::uint32_t id : entry.Terms)
        --frequencies_[id];
    entry.Terms.clear();
}

int SiteTermIndex::Refresh(const std::string& folder, const Settings& settings, const Progress& progress)
{
    std::lock_guard lock(mutex_);
    const bool sameSettings = settingsKnown_ && settings_.ProgramLanguage == settings.ProgramLanguage &&
                              settings_.WordForms == settings.WordForms && settings_.UsualWords == settings.UsualWords;
    if (folder != folder_ || !sameSettings) {
        termIds_.clear();
        frequencies_.clear();
        pages_.clear();
        folder_ = folder;
        StopWatching();
    } else if (watching_ && !FolderChanged()) {
        return 0;  // no page of the site changed since it was last read
    }
    settings_ = settings;
    settingsKnown_ = true;

    // The folders are watched before their pages are listed and read, so a
    // change made meanwhile is seen at the next call.
    if (!watching_)
        StartWatching();
    const std::vector<SitePageFile> files = ListSitePageFiles(folder, [this](const std::string& listed) {
        if (watching_ && inotify_add_watch(watchFd_, listed.c_str(), WatchedEvents) < 0)
            StopWatching();  // past the system's limit: every call lists the folder
    });
    // Pages gone from the folder (none when every page listed is known and
    // the index holds no other).
    std::size_t known = 0;
    for (const SitePageFile& file : files)
        known += pages_.count(file.Path);
    if (known != pages_.size()) {
        std::unordered_map<std::string, bool> present;
        present.reserve(files.size());
        for (const SitePageFile& file : files)
            present.emplace(file.Path, true);
        for (auto it = pages_.begin(); it != pages_.end();) {
            if (present.count(it->first) == 0) {
                Forget(it->second);
                it = pages_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Pages new or changed.
    std::vector<const SitePageFile*> toRead;
    for (const SitePageFile& file : files) {
        auto it = pages_.find(file.Path);
        if (it == pages_.end() || it->second.Size != file.Size || it->second.ModifiedNs != file.ModifiedNs)
            toRead.push_back(&file);
    }
    if (toRead.empty())
        return 0;

    int workers = settings.Workers;
    if (workers <= 0)
        workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
    workers = std::min<int>(workers, static_cast<int>(toRead.size()));
    std::vector<std::vector<std::string>> read(toRead.size());
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(workers) + 1);
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> failed{false};
    const int total = static_cast<int>(toRead.size());
    auto work = [&](std::size_t worker) {
        try {
            RelevanceTools tools(settings.WordForms, settings.UsualWords);
            for (std::size_t i = next++; i < toRead.size(); i = next++) {
                read[i] = ReadPageTerms(toRead[i]->Path, settings.ProgramLanguage, tools);
                ++done;
            }
        } catch (...) {
            errors[worker] = std::current_exception();
            next = toRead.size();
            failed = true;
        }
    };
    {
        // With a progress to report, this thread reports while all the
        // workers read; else it reads too.
        const bool report = static_cast<bool>(progress) && workers > 1;
        std::vector<std::thread> threads;
        for (int i = report ? 0 : 1; i < workers; ++i)
            threads.emplace_back(work, static_cast<std::size_t>(i) + 1);
        if (report) {
            while (done.load() < total && !failed.load()) {
                progress(done.load(), total);
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            }
        } else {
            work(0);
        }
        for (std::thread& thread : threads)
            thread.join();
    }
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
    if (progress)
        progress(static_cast<int>(toRead.size()), static_cast<int>(toRead.size()));

    for (std::size_t i = 0; i < toRead.size(); ++i) {
        PageEntry& entry = pages_[toRead[i]->Path];
        Forget(entry);
        entry.Size = toRead[i]->Size;
        entry.ModifiedNs = toRead[i]->ModifiedNs;
        entry.Terms.reserve(read[i].size());
        for (std::string& key : read[i]) {
            auto [it, added] = termIds_.try_emplace(std::move(key), static_cast<std::uint32_t>(frequencies_.size()));
            if (added)
                frequencies_.push_back(0);
            ++frequencies_[it->second];
            entry.Terms.push_back(it->second);
        }
        std::vector<std::string>().swap(read[i]);
    }
    return static_cast<int>(toRead.size());
}

int SiteTermIndex::Pages() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(pages_.size());
}

int SiteTermIndex::Frequency(const std::string& termKey) const
{
    std::lock_guard lock(mutex_);
    const auto it = termIds_.find(termKey);
    return it == termIds_.end() ? 0 : frequencies_[it->second];
}

std::string SiteTermIndex::Folder() const
{
    std::lock_guard lock(mutex_);
    return folder_;
}

}  // namespace kestrova
