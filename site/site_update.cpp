#include "site/site_update.h"

#include "base/paths.h"
#include "editing/rewrite_engine.h"
#include "page/journal.h"
#include "page/page_state.h"
#include "site/site_scan.h"

namespace kestrova {

std::vector<std::string> SiteUpdatePages(const std::string& pagePath)
{
    SiteFileList.clear();
    WalkSiteFolder(FolderOf(pagePath), "*", SiteExtensions, 0, false);
    // The copies in the backup folders are no pages of the site: a change
    // made to them would overwrite the only copy of a page as it was.
    const std::string backupPart = std::string("/") + BackupFolderName + "/";
    std::vector<std::string> pages = SplitPathList(SiteFileList);
    std::erase_if(pages, [&](const std::string& page) { return page.find(backupPart) != std::string::npos; });
    SiteFileList = JoinPathList(pages);
    return pages;
}

std::vector<bool> InitialTicks(const std::vector<std::string>& pages, const std::string& fileListe)
{
    const std::string chosen = "\r" + fileListe + "\r";
    std::vector<bool> inList(pages.size());
    bool any = false;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        inList[i] = chosen.find("\r" + pages[i] + "\r") != std::string::npos;
        any = any || inList[i];
    }
    if (!any)
        inList.assign(pages.size(), true);
    return inList;
}

std::string FolderTreeLines(const std::string& folder)
{
    std::string lines;
    std::string prefix;
    std::size_t start = 0;
    while (start <= folder.size()) {
        std::size_t slash = folder.find('/', start);
        if (slash == std::string::npos)
            slash = folder.size();
        if (slash > start) {
            lines += '\n';
            lines += prefix;
            lines.append(folder, start, slash - start);
            prefix += ". ";
        }
        start = slash + 1;
    }
    return lines;
}

std::string JoinPathList(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list += '\r';
    }
    return list;
}

std::vector<std::string> SplitPathList(const std::string& list)
{
    std::vector<std::string> paths;
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::string_view path = TakeFirstPath(list, pos);
        if (!path.empty())
            paths.emplace_back(path);
    }
    return paths;
}

PreviewSize HalvedPreviewSize(int width, int height, int limit)
{
    while (width > limit) {
        width /= 2;
        height /= 2;
    }
    return {width, height};
}

int ForEachChosenPage(const std::string& chosenPaths, const std::function<void(const std::string& path)>& edit)
{
    const std::string kept = Page.CurrentPagePath;
    // "Oui pour toutes" answers for the pages of this batch only.
    Edit.YesToAll = false;
    int count = 0;
    for (const std::string& path : SplitPathList(chosenPaths)) {
        Page.CurrentPagePath = path;
        edit(path);
        ++count;
    }
    Edit.YesToAll = false;
    Page.CurrentPagePath = kept;
    return count;
}

}  // namespace kestrova
