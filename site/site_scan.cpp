#include "site/site_scan.h"

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
#include "site/site_pages.h"

namespace kestrova {

std::string SiteFileList;

namespace {

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

void WalkSiteFolder(const std::string& Folder, const std::string& NameFilter, const std::string& Extensions, int,
                    bool IncludeHidden)
{
    // The list separates paths by CR: a name holding one cannot be listed.
    for (const std::string& path : ListSitePages(Folder, NameFilter, Extensions, IncludeHidden).Pages) {
        if (path.find('\r') != std::string::npos)
            continue;
        SiteFileList += path;
        SiteFileList += '\r';
    }
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
    std::string Path;
    std::size_t End;
};

// Counts the pages one at a time on this thread, each walked with
// SiteTextHandler.
void CountPagesHere(const std::vector<ListedPage>& pages, std::size_t total, const SitePageStep& BeforePage,
                    std::vector<std::string>& unreadable)
{
    const WalkOptions options{.Owner = ui::MainWindowId, .ReportErrors = false, .ShowProgress = false};
    for (const ListedPage& page : pages) {
        const std::string& path = page.Path;
        Page.CurrentPagePath = path;
        Page.PageTitle.clear();
        if (BeforePage)
            BeforePage(path, static_cast<int>(page.End * 100 / total));
        // A page that is not HTML clears the path: it is no page, but it
        // was read.
        if (!WalkPage(path, options, SiteTextHandler) && !Page.CurrentPagePath.empty())
            unreadable.push_back(path);
    }
}

// Reads the pages and cuts them into words on worker threads, a window of
// pages ahead of the counting, and counts each page's words on this thread
// in list order: the tables are those CountPagesHere gives. The workers use
// nothing shared but the window; a worker's exception comes back here at
// its page's turn.
void CountPagesOnWorkers(const std::vector<ListedPage>& pages, std::size_t total, const SitePageStep& BeforePage,
                         int workers, std::vector<std::string>& unreadable)
{
    struct Slot {
        WordBatch Batch;
        bool Unreadable = false;
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
                state.CurrentPagePath = pages[index].Path;
                slot.Unreadable =
                    !WalkPage(pages[index].Path, options,
                              [&](std::int64_t, const std::string&, const std::string&, const std::string&) {
                                  TakeSitePiece(state.CurrentTag, state.CurrentText, title,
                                                [&](const std::string& text) { GatherWords(text, slot.Batch); });
                              }) &&
                    !state.CurrentPagePath.empty();
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
        const std::string& path = pages[index].Path;
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
        if (slot.Unreadable)
            unreadable.push_back(path);
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

int ScanSiteFolder(const std::string& Folder, const SitePageStep& BeforePage, int Workers, SiteScanReport* Report)
{
    SiteScanReport ignored;
    SiteScanReport& report = Report ? *Report : ignored;
    report = SiteScanReport{};
    ResetWordTables();
    // The site scan drops words past a full table without a message: the
    // latch reads as "already reported" for the whole scan.
    WordTables.FullReported = true;
    SiteFileList.clear();
    SitePageListing listing = ListSitePages(Folder, "*", SiteExtensions, false);
    report.RefusedFolder = std::move(listing.RefusedFolder);
    report.Unreadable = std::move(listing.Unreadable);
    if (!report.RefusedFolder.empty())
        return 0;
    // The page lists grow to thousands of entries: they are kept as numbers
    // during the scan and written as texts once, when it ends (however it
    // ends).
    DeferWordOrigins();
    struct WriteOriginsAtEnd {
        ~WriteOriginsAtEnd() { WriteWordOrigins(); }
    } writeOrigins;
    // The share of the pages done counts them as a list of paths, each
    // followed by one separator.
    std::size_t total = 0;
    std::vector<ListedPage> pages;
    pages.reserve(listing.Pages.size());
    for (std::string& path : listing.Pages) {
        total += path.size() + 1;
        pages.push_back(ListedPage{std::move(path), total});
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
    std::vector<std::string> unreadable;
    if (Workers <= 1 || pages.size() < 2)
        CountPagesHere(pages, total, BeforePage, unreadable);
    else
        CountPagesOnWorkers(pages, total, BeforePage, Workers, unreadable);
    report.Unreadable.insert(report.Unreadable.end(), unreadable.begin(), unreadable.end());
    report.Pages = static_cast<int>(pages.size() - unreadable.size());
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
