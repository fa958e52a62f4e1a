#include "site/site_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "analysis/word_tables.h"
#include "base/paths.h"
#include "base/text_rules.h"
#include "base/text_scan.h"
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
    if (IsTitleTag(Page.CurrentTag))
        Page.PageTitle = "--";
    const std::string& text = Page.CurrentText;
    if (text.empty())
        return;
    // The page's file name as the texts show it, the origin of every word.
    static std::string lastPath, origin;
    if (Page.CurrentPagePath != lastPath) {
        lastPath = Page.CurrentPagePath;
        origin = DisplayFileName(lastPath);
    }
    if (Page.PageTitle == "--") {
        std::string spaced = text;
        for (char& c : spaced)
            if (c == '\n' || c == '\r')
                c = ' ';
        Page.PageTitle = DecodeEntities(spaced);
        CountWords(Page.PageTitle, origin, false);
        return;
    }
    // Line ends separate words like spaces do: the text is counted as it
    // stands unless nothing but spaces and line ends is in it.
    if (text.find_first_not_of(" \r\n") != std::string::npos)
        CountWords(text, origin, false);
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

int ScanSiteFolder(const std::string& Folder, const SitePageStep& BeforePage)
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
    std::size_t pos = 0;
    // The page shown in the main window stays the current page.
    const std::string keptPath = Page.CurrentPagePath;
    const std::string keptTitle = Page.PageTitle;
    int pages = 0;
    const WalkOptions options{.Owner = ui::MainWindowId, .ReportErrors = false, .ShowProgress = false};
    while (pos < total) {
        const std::string path(TakeFirstPath(list, pos));
        Page.CurrentPagePath = path;
        Page.PageTitle.clear();
        if (BeforePage)
            BeforePage(path, static_cast<int>(pos * 100 / total));
        WalkPage(path, options, SiteTextHandler);
        ++pages;
    }
    Page.CurrentPagePath = keptPath;
    Page.PageTitle = keptTitle;
    return pages;
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
