#include "app/site_choice.h"

#include "base/translate.h"
#include "base/ui_port.h"
#include "editing/rewrite_engine.h"

namespace kestrova {

namespace {

// La mise à jour de toutes les pages du site n'est pas disponible dans cette version.
constexpr char SiteWideUnavailableText[] =
    "La mise \xE0 jour de toutes les pages du site n'est pas disponible dans cette version.";

// The window that lists the pages of the site is not part of this build:
// say so, and change no other page.
std::string SiteWideUpdateUnavailable(const std::string&, const std::string&)
{
    ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Attention !"),
                         TranslateFrenchKey(SiteWideUnavailableText));
    Edit.YesToAll = false;
    return {};
}

SitePageChooser TestChooser;

}  // namespace

void SetSiteChooserForTesting(SitePageChooser chooser)
{
    TestChooser = std::move(chooser);
}

SitePageChooser SiteChooserFor(QWidget*)
{
    if (TestChooser)
        return TestChooser;
    return SiteWideUpdateUnavailable;
}

}  // namespace kestrova
