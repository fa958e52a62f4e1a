#include "site/site_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/word_tables.h"
#include "base/paths.h"
#include "base/text_rules.h"
#include "base/text_scan.h"
#include "base/ui_port.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

std::string SiteFileList;

namespace {

// The folders open in the walk, from the top down, by device and inode: a
// link to one of them would make the walk endless.
std::vector<std::pair<dev_t, ino_t>> OpenFolders;

std::string LowerAscii(std::string_view text)
{
    return ToLower(std::string(text));
}

// Whether ";" + item + ";" occurs in ";" + list + ";".
bool InList(const std::string& list, const std::string& item)
{
    const std::string wrapped = ";" + list + ";";
    return wrapped.find(";" + item + ";") != std::string::npos;
}

// The entries of a folder (without "." and ".."), in byte order.
std::vector<std::string> ListFolder(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void WalkFolder(const std::string& folder, const std::string& nameFilter, const std::string& extensions, int level,
                bool includeHidden)
{
    struct stat self {};
    if (stat(folder.c_str(), &self) != 0 || !S_ISDIR(self.st_mode))
        return;
    const std::pair<dev_t, ino_t> id{self.st_dev, self.st_ino};
    if (std::find(OpenFolders.begin(), OpenFolders.end(), id) != OpenFolders.end())
        return;
    OpenFolders.push_back(id);
    for (const std::string& name : ListFolder(folder)) {
        const std::string path = folder + name;
        struct stat info {};
        // stat follows symbolic links; a broken one fails and is skipped.
        if (stat(path.c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            WalkFolder(path + "/", nameFilter, extensions, level + 1, includeHidden);
            continue;
        }
        if (!S_ISREG(info.st_mode))
            continue;  // a pipe or a device would block the page read
        if (name.front() == '.' && !includeHidden)
            continue;
        const std::size_t dot = name.rfind('.');
        const std::string ext = dot == std::string::npos ? std::string() : LowerAscii(name.substr(dot + 1));
        const std::string base = LowerAscii(dot == std::string::npos ? name : name.substr(0, dot));
        if ((extensions == "*" || InList(extensions, ext)) && (nameFilter == "*" || InList(nameFilter, base))) {
            SiteFileList += path;
            SiteFileList += '\r';
        }
    }
    OpenFolders.pop_back();
}

// Whether the tag, without its outer spaces and lower-cased, is "title"
// (ToLower(TrimSpaces(tag)) == "title" without the copies: it runs for
// every piece of every page).
bool IsTitleTag(const std::string& tag)
{
    const std::size_t first = tag.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    const std::size_t last = tag.find_last_not_of(' ');
    if (last - first + 1 != 5)
        return false;
    static constexpr char title[] = "title";
    for (std::size_t i = 0; i < 5; ++i)
        if (static_cast<char>(textscan::LowerTable[static_cast<unsigned char>(tag[first + i])]) != title[i])
            return false;
    return true;
}

// What the site scan takes from a piece (tag and text as the walker hands
// them over): a title tag makes title "--", and the next text that is not
// empty becomes the title, spaced and with its entities decoded, and is
// counted; any other text is counted as it stands unless nothing but
// spaces and line ends is in it (line ends separate words like spaces do).
template <typename Count>
void TakeSitePiece(const std::string& tag, const std::string& text, std::string& title, Count&& count)
{
    if (IsTitleTag(tag))
        title = "--";
    if (text.empty())
        return;
    if (title == "--") {
        std::string spaced = text;
        for (char& c : spaced)
            if (c == '\n' || c == '\r')
                c = ' ';
        title = DecodeEntities(spaced);
        count(title);
        return;
    }
    if (text.find_first_not_of(" \r\n") != std::string::npos)
        count(text);
}

}  // namespace

void WalkSiteFolder(const std::string& Folder, const std::string& NameFilter, const std::string& Extensions, int Level,
                    bool IncludeHidden)
{
    if (Folder.empty())
        return;
    std::string extensions = Extensions;
    std::erase(extensions, ' ');
    std::string folder = Folder;
    if (folder.back() != '/')
        folder += '/';
    if (Level == 0)
        OpenFolders.clear();
    WalkFolder(folder, NameFilter, extensions, Level, IncludeHidden);
}

void SiteTextHandler(std::int64_t, const std::string&, const std::string&, const std::string&)
{
    // The page's file name as the texts show it, the origin of every word.
    static std::string lastPath, origin;
    TakeSitePiece(Page.CurrentTag, Page.CurrentText, Page.PageTitle, [&](const std::string& text) {
        if (Page.CurrentPagePath != lastPath) {
            lastPath = Page.CurrentPagePath;
            origin = DisplayFileName(lastPath);
        }
        CountWords(text, origin, false);
    });
}

std::string_view TakeFirstPath(std::string_view list, std::size_t& pos)
{
    if (pos >= list.size())
        return {};
    const std::size_t cr = list.find('\r', pos);
    std::string_view path;
    if (cr == std::string_view::npos) {
        path = list.substr(pos);
        pos = list.size();
    } else {
        path = list.substr(pos, cr - pos);
        pos = cr + 1;
    }
    return path;
}

namespace {

// The pages of the list, with where each one ends in it (for the share of
// the list consumed).
struct ListedPage {
    std::string_view Path;
    std::size_t End;
};

// Counts the pages one at a time on this thread, each walked with
// SiteTextHandler.
void CountPagesHere(const std::vector<ListedPage>& pages, std::size_t total, const SitePageStep& BeforePage)
{
    const WalkOptions options{.Owner = ui::MainWindowId, .ReportErrors = false, .ShowProgress = false};
    for (const ListedPage& page : pages) {
        const std::string path(page.Path);
        Page.CurrentPagePath = path;
        Page.PageTitle.clear();
        if (BeforePage)
            BeforePage(path, static_cast<int>(page.End * 100 / total));
        WalkPage(path, options, SiteTextHandler);
    }
}

// Reads the pages and cuts them into words on worker threads, a window of
// pages ahead of the counting, and counts each page's words on this thread
// in list order: the tables are those CountPagesHere gives. The workers use
// nothing shared but the window; a worker's exception comes back here at
// its page's turn.
void CountPagesOnWorkers(const std::vector<ListedPage>& pages, std::size_t total, const SitePageStep& BeforePage,
                         int workers)
{
    struct Slot {
        WordBatch Batch;
        bool Ready = false;
        std::exception_ptr Error;
    };
    const std::size_t window = 8 * static_cast<std::size_t>(workers);
    std::vector<Slot> slots(window);
    std::mutex mutex;
    std::condition_variable readyChanged, counted;
    std::size_t next = 0;          // the next page a worker takes
    std::size_t countedPages = 0;  // the pages counted so far
    bool stop = false;

    auto work = [&] {
        PageState state;
        std::string title;
        const WalkOptions options{.Owner = ui::MainWindowId,
                                  .ReportErrors = false,
                                  .ShowProgress = false,
                                  .PumpEvents = false,
                                  .State = &state};
        for (;;) {
            std::size_t index;
            {
                std::unique_lock lock(mutex);
                counted.wait(lock, [&] { return stop || next >= pages.size() || next < countedPages + window; });
                if (stop || next >= pages.size())
                    return;
                index = next++;
            }
            // The slot is free: the page window places before was counted.
            Slot& slot = slots[index % window];
            slot.Batch.Clear();
            slot.Error = nullptr;
            try {
                title.clear();
                WalkPage(std::string(pages[index].Path), options,
                         [&](std::int64_t, const std::string&, const std::string&, const std::string&) {
                             TakeSitePiece(state.CurrentTag, state.CurrentText, title,
                                           [&](const std::string& text) { GatherWords(text, slot.Batch); });
                         });
            } catch (...) {
                slot.Error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex);
                slot.Ready = true;
            }
            readyChanged.notify_all();
        }
    };

    std::vector<std::thread> threads;
    // Stops and joins the workers however the counting ends.
    struct Join {
        std::vector<std::thread>& threads;
        std::mutex& mutex;
        std::condition_variable& counted;
        bool& stop;
        ~Join()
        {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            counted.notify_all();
            for (std::thread& thread : threads)
                thread.join();
        }
    } join{threads, mutex, counted, stop};
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);

    for (std::size_t index = 0; index < pages.size(); ++index) {
        const std::string path(pages[index].Path);
        Page.CurrentPagePath = path;
        if (BeforePage)
            BeforePage(path, static_cast<int>(pages[index].End * 100 / total));
        Slot& slot = slots[index % window];
        {
            // Window events go on while a long page is read.
            std::unique_lock lock(mutex);
            while (!readyChanged.wait_for(lock, std::chrono::milliseconds(50), [&] { return slot.Ready; })) {
                lock.unlock();
                ui::Ui().PumpEvents();
                lock.lock();
            }
        }
        if (slot.Error)
            std::rethrow_exception(slot.Error);
        CountWordBatch(slot.Batch, DisplayFileName(path), false);
        {
            std::lock_guard lock(mutex);
            slot.Ready = false;
            countedPages = index + 1;
        }
        counted.notify_all();
    }
}

}  // namespace

int ScanSiteFolder(const std::string& Folder, const SitePageStep& BeforePage, int Workers)
{
    ResetWordTables();
    // The site scan drops words past a full table without a message: the
    // latch reads as "already reported" for the whole scan.
    WordTables.FullReported = true;
    // The page lists grow to thousands of entries: they are kept as numbers
    // during the scan and written as texts once, when it ends (however it
    // ends).
    DeferWordOrigins();
    struct WriteOriginsAtEnd {
        ~WriteOriginsAtEnd() { WriteWordOrigins(); }
    } writeOrigins;
    SiteFileList.clear();
    WalkSiteFolder(Folder, "*", SiteExtensions, 0, false);
    // The list is read from the front through a position, so the scan costs
    // one pass over it however many pages it holds.
    const std::string list = std::move(SiteFileList);
    SiteFileList.clear();
    const std::size_t total = list.size();
    std::vector<ListedPage> pages;
    for (std::size_t pos = 0; pos < total;) {
        const std::string_view path = TakeFirstPath(list, pos);
        pages.push_back(ListedPage{path, pos});
    }
    // The page shown in the main window stays the current page.
    struct KeepCurrentPage {
        std::string path = Page.CurrentPagePath;
        std::string title = Page.PageTitle;
        ~KeepCurrentPage()
        {
            Page.CurrentPagePath = path;
            Page.PageTitle = title;
        }
    } keep;
    // Counting takes this thread about half as long as reading takes the
    // workers: past a few workers, more would only wait.
    if (Workers <= 0)
        Workers = std::min(static_cast<int>(std::thread::hardware_concurrency()), 4);
    if (Workers <= 1 || pages.size() < 2)
        CountPagesHere(pages, total, BeforePage);
    else
        CountPagesOnWorkers(pages, total, BeforePage, Workers);
    return static_cast<int>(pages.size());
}

std::string SiteDisplayName(const std::string& Folder)
{
    std::string folder = Folder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return FileNameOf(folder);
}

int SiteListedRowCount()
{
    int rows = 0;
    while (rows < SiteListedRows && !WordTables.WordForms[rows].empty())
        ++rows;
    return rows;
}

}  // namespace kestrova
