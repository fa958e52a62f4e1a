#include "editing/site_preview.h"

#include "base/headless_ui.h"
#include "editing/meta_catalogue.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"

namespace kestrova {

std::vector<DryRun::Change> PreviewMetaTagOnPages(ui::WindowId owner, const std::vector<std::string>& pages,
                                                  const std::string& name, const std::string& content)
{
    // The questions answered as "Oui pour toutes" would, quietly; the user's
    // own interface, edit state and current page come back afterwards.
    ui::HeadlessUi quiet;
    quiet.DefaultAnswer = ui::YesNoAll::Yes;
    ui::UiPort* shown = &ui::Ui();
    ui::SetUi(&quiet);
    const EditState edit = Edit;
    const std::string current = Page.CurrentPagePath;

    std::string list;
    for (const std::string& page : pages)
        list += page + "\r";
    DryRun dryRun;
    SaveMetaTagOnPages(owner, list, name, content);

    Page.CurrentPagePath = current;
    Edit = edit;
    ui::SetUi(shown);
    return dryRun.Changes();
}

}  // namespace kestrova
