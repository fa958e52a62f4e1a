// The site folder walk and the site word statistics.
//
// WalkSiteFolder finds the page files below a folder and appends their paths
// to SiteFileList; the site scan walks each of them with SiteTextHandler,
// which counts the title and the visible text of every page into WordTables
// with the page's file name as the origin. WordTables then holds, per word,
// its spellings, its total count and the pages it occurs on
// ("a.htm (3) / b.htm (1)").
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// The page extensions, separated by ";". The final ";" makes a file name
// without extension a page too.
inline constexpr char SiteExtensions[] = "shtm;shtml;htm;html;php;asp;cgi;";

// Rows the results list and the command-line report show at most.
constexpr int SiteListedRows = 10000;

// The pages found by WalkSiteFolder (and, after a site-wide update dialog,
// the pages chosen in it): each full path followed by CR.
extern std::string SiteFileList;

// Appends to SiteFileList the pages ListSitePages (site/site_pages.h) finds
// below Folder, less those whose name holds a CR, which the list cannot
// carry. In short: every file below Folder whose
// lower-cased extension is in Extensions (";"-separated, spaces ignored, or
// "*") and whose lower-cased name without extension is in NameFilter
// (";"-separated, or "*"). Folders are walked depth first, each folder's
// entries in byte order of their names, a subfolder as soon as it is met.
// Hidden files (names starting with ".") are skipped unless IncludeHidden;
// hidden folders are walked, backup folders are not. Symbolic links are
// followed; a file or folder reached twice is taken once, and a broken link
// is skipped. Only regular files are taken. Level is not used (the walk
// keeps its own depth).
void WalkSiteFolder(const std::string& Folder, const std::string& NameFilter, const std::string& Extensions, int Level,
                    bool IncludeHidden);

// The piece handler of the site scan (the arguments are not used): counts
// the title and the text runs of Page.CurrentPagePath into WordTables.
void SiteTextHandler(std::int64_t PieceOffset, const std::string& Arg1, const std::string& Arg2,
                     const std::string& Arg3);

// Called before each page of a scan with its path and the share of the page
// list consumed so far (0 to 100).
using SitePageStep = std::function<void(const std::string& path, int percent)>;

// The site scan without its windows: clears WordTables, lists the pages
// below Folder (ListSitePages), then counts the pages in list order.
// Page.CurrentPagePath and Page.PageTitle are those of the page shown before
// and after the scan. Returns the number of pages walked.
// Workers threads read the pages and cut them into words ahead of the
// counting, which stays on this thread and in list order, so the tables are
// the same whatever their number; 0 takes one per processor (4 at most), 1
// reads the pages on this thread (walking each with SiteTextHandler). While
// waiting for a page, this thread lets window events run.
// Report receives what the scan could not do.
struct SiteScanReport {
    int Pages = 0;                        // pages read and counted
    std::vector<std::string> Unreadable;  // pages and folders that could not be read
    std::string RefusedFolder;            // the folder belongs to the system: nothing scanned
};
int ScanSiteFolder(const std::string& Folder, const SitePageStep& BeforePage = {}, int Workers = 0,
                   SiteScanReport* Report = nullptr);

// The folder's name as the progress window's title shows it: the last
// component, without a trailing separator.
std::string SiteDisplayName(const std::string& Folder);

// Number of rows of WordTables the results list shows: rows from 0 while
// their forms are not empty, at most SiteListedRows.
int SiteListedRowCount();

// Takes the first path off a list of paths each followed by CR (the whole
// rest when there is no CR). pos is where the list still to be consumed
// starts; it moves past the path taken. A list consumed this way is never
// copied, whatever its length.
std::string_view TakeFirstPath(std::string_view list, std::size_t& pos);

}  // namespace kestrova
