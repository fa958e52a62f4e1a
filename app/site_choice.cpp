#include "app/site_choice.h"

#include "app/site_wide_update.h"

namespace kestrova {

namespace {

SitePageChooser TestChooser;

}  // namespace

void SetSiteChooserForTesting(SitePageChooser chooser)
{
    TestChooser = std::move(chooser);
}

SitePageChooser SiteChooserFor(QWidget* owner, SitePagesPreview preview)
{
    if (TestChooser)
        return TestChooser;
    return [owner, preview](const std::string& message, const std::string& imageFile) {
        return SiteWideUpdate(owner, message, imageFile, preview);
    };
}

}  // namespace kestrova
