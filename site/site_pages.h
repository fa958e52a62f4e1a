// The folder walk that finds the pages of a site, shared by the site word
// statistics, the site-wide update and the site check. Paths are
// file-system bytes.
#pragma once

#include <string>
#include <vector>

namespace kestrova {

struct SitePageListing {
    // The pages, each once, as full paths below the folder given: folders
    // depth first, each folder's entries in byte order of their names, a
    // subfolder as soon as it is met.
    std::vector<std::string> Pages;
    // Pages and folders that could not be read, in the order met; a folder
    // ends with "/".
    std::vector<std::string> Unreadable;
    // Set (to the folder given) when the folder lies in a file system of
    // the system (/proc, /sys, /dev and their kind): nothing is listed.
    std::string RefusedFolder;
};

// Lists the pages below folder: files whose lower-cased extension is in
// extensions (";"-separated, spaces ignored, or "*"; a final ";" takes names
// without extension) and whose lower-cased name without extension is in
// nameFilter (";"-separated, or "*"). Hidden files (names starting with ".")
// are skipped unless includeHidden; hidden folders are walked. Backup folders
// ("Sauvegarde") are left out: they hold copies of pages, not pages. Symbolic
// links are followed, but a file or folder reached more than once (by its
// device and inode) is taken once, so links can make the walk neither endless
// nor exponential; links into a file system of the system are not followed.
// Only regular files are taken. A page or folder that cannot be read is named
// in Unreadable.
SitePageListing ListSitePages(const std::string& folder, const std::string& nameFilter, const std::string& extensions,
                              bool includeHidden = false);

// True when path lies in a file system of the system (proc, sysfs, devices
// and their kind), whose files are no pages and may never end.
bool IsSystemFolder(const std::string& path);

}  // namespace kestrova
