// The engine side of the site-wide update: the pages a site-wide change may
// touch, which of them start ticked, the folder tree shown beside them, and
// the loop that applies one edit to each chosen page in turn. The dialog
// itself is SiteWideUpdate (app/site_wide_update.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrova {

// The pages below the folder of pagePath (its own folder included), as
// WalkSiteFolder finds them with the page extensions, less the copies in
// "Sauvegarde" folders; also left in SiteFileList. Page.CurrentPagePath is not changed.
std::vector<std::string> SiteUpdatePages(const std::string& pagePath);

// The tick of each page when the dialog opens: when some page is in
// fileListe (paths each followed by CR), exactly the pages in it; otherwise
// every page.
std::vector<bool> InitialTicks(const std::vector<std::string>& pages, const std::string& fileListe);

// The folder as a tree appended to the dialog's message: for each component
// of the folder a line feed, one ". " per level above it, and the component.
// "/home/site/sub/" gives "\nhome\n. site\n. . sub".
std::string FolderTreeLines(const std::string& folder);

// Paths joined as a path list, each followed by CR.
std::string JoinPathList(const std::vector<std::string>& paths);
// The paths of a path list, in order.
std::vector<std::string> SplitPathList(const std::string& list);

// The size at which an image preview is shown: width and height halved
// (integer division) while the width is above limit.
struct PreviewSize {
    int Width = 0;
    int Height = 0;
};
PreviewSize HalvedPreviewSize(int width, int height, int limit = 100);

// Applies an edit to each page of a list returned by SiteWideUpdate, in
// order: makes the page Page.CurrentPagePath, then calls edit, which changes
// it with the rewrite engine (EditMeta, EditAttribute, ...) like any other
// edit, so each page is backed up, replaced and journalled on its own.
// Page.CurrentPagePath is restored afterwards. Returns the number of pages
// for which edit was called.
int ForEachChosenPage(const std::string& chosenPaths, const std::function<void(const std::string& path)>& edit);

}  // namespace kestrova
