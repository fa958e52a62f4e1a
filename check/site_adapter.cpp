#include "check/site_adapter.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "editing/page_images.h"
#include "page/journal.h"
#include "site/site_scan.h"

namespace kestrova::check {

namespace {

std::string Normalised(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        absolute = path;
    return absolute.lexically_normal().string();
}

}  // namespace

bool ListSitePages(const std::string& folder, std::vector<std::string>& pages)
{
    pages.clear();
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    closedir(dir);
    // The walk fills the shared page list; it is put back as it was.
    std::string kept = std::move(SiteFileList);
    SiteFileList.clear();
    WalkSiteFolder(folder, "*", SiteExtensions, 0, false);
    std::string list = std::move(SiteFileList);
    SiteFileList = std::move(kept);

    const std::string root = Normalised(folder.back() == '/' ? folder : folder + "/");
    std::set<std::pair<dev_t, ino_t>> seen;
    for (std::size_t pos = 0; pos < list.size();) {
        const std::string path(TakeFirstPath(list, pos));
        const std::string full = Normalised(path);
        // Backups beside the pages are no pages of the site.
        const std::string below = full.size() > root.size() ? full.substr(root.size()) : std::string();
        const std::string backup = std::string(BackupFolderName) + "/";
        if (below.starts_with(backup) || below.find("/" + backup) != std::string::npos)
            continue;
        struct stat info {};
        if (stat(full.c_str(), &info) != 0 || !seen.insert({info.st_dev, info.st_ino}).second)
            continue;
        pages.push_back(full);
    }
    return true;
}

std::string ImageFileOf(const std::string& pagePath, const std::string& reference)
{
    return LocalImageFile(pagePath, reference);
}

}  // namespace kestrova::check
