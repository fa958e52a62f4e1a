#include "check/site_adapter.h"

#include <dirent.h>

#include <algorithm>
#include <filesystem>

#include "editing/page_images.h"
#include "site/site_pages.h"
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
    // The site walk leaves out the backups and takes a file reached through
    // several links once.
    for (const std::string& path : kestrova::ListSitePages(folder, "*", SiteExtensions).Pages)
        pages.push_back(Normalised(path));
    return true;
}

std::string ImageFileOf(const std::string& pagePath, const std::string& reference)
{
    return LocalImageFile(pagePath, reference);
}

}  // namespace kestrova::check
