// The site-wide update dialog: lists the pages of the current page's site
// (the folder of Page.CurrentPagePath and everything below it), lets the
// user tick the pages a change is to be applied to, and returns them.
//
// Usage by an editor that applies one change to many pages:
//
//     const std::string chosen = SiteWideUpdate(window, message, imagePath);
//     ForEachChosenPage(chosen, [&](const std::string&) {
//         EditMeta(ui::MainWindowId, OpToutRemplacer, content, name);
//     });
//
// ForEachChosenPage (site/site_update.h) makes each chosen page
// Page.CurrentPagePath in turn and restores the editor's own page after the
// last one, so every page goes through the rewrite engine (backup, atomic
// replace, journal line) like any other edit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "page/page_change.h"

class QWidget;

namespace kestrova {

// Works out what the update would write on the given pages (one entry per
// page that would change), without writing anything.
using SitePagesPreview = std::function<std::vector<DryRun::Change>(const std::vector<std::string>& pages)>;

// Opens the dialog "Mettre à jour toutes les pages du site..." over
// OwnerWindow and returns when it is closed.
// - Message (Windows-1252): what the change does, shown beside the list; the
//   caller ends it with a line such as TranslateFrenchKey("Dossier :"), and
//   the dialog appends the site folder as a tree.
// - ImagePath (file-system bytes): a picture to show above the message
//   (halved until it is at most 100 pixels wide), or "" for none.
// Pages start ticked; when some of them were chosen the last time
// (App.FileListe), only those. Returns the ticked paths in list order, each
// followed by CR ("" when the user cancels or ticks nothing). On OK
// App.FileListe becomes the result, on cancel it is emptied. SiteFileList
// holds the result too, and Edit.YesToAll is cleared in either case.
// With a preview, the window also shows, before OK, which pages the update
// would change and, for the selected page, the difference (the changed lines
// with their context); the user may untick pages there.
std::string SiteWideUpdate(QWidget* OwnerWindow, const std::string& Message, const std::string& ImagePath,
                           const SitePagesPreview& preview = {});

}  // namespace kestrova
