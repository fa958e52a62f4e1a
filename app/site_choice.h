// The site-wide choice of pages as the editor windows ask for it.
#pragma once

#include <string>

#include "app/site_wide_update.h"
#include "editing/image_rename.h"

class QWidget;

namespace kestrova {

// A chooser that asks the user with the site-wide update window, owned by
// owner, which pages of the current page's site to change.
// With a preview, the window shows what the update would change on each page.
SitePageChooser SiteChooserFor(QWidget* owner, SitePagesPreview preview = {});

// Test hook: while set, SiteChooserFor gives this chooser instead of the
// window (an empty function restores the window).
void SetSiteChooserForTesting(SitePageChooser chooser);

}  // namespace kestrova
