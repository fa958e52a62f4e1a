#include "editing/site_preview.h"

#include "base/headless_ui.h"
#include "editing/image_rename.h"
#include "editing/meta_catalogue.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"

namespace kestrova {

namespace {

// Runs update as a dry run with the questions answered as "Oui pour toutes"
// would, quietly; the user's own interface, edit state and current page come
// back afterwards.
template <typename Update>
std::vector<DryRun::Change> Previewed(const Update& update)
{
    ui::HeadlessUi quiet;
    quiet.DefaultAnswer = ui::YesNoAll::Yes;
    ui::UiPort* shown = &ui::Ui();
    ui::SetUi(&quiet);
    const EditState edit = Edit;
    const std::string current = Page.CurrentPagePath;
    std::vector<DryRun::Change> changes;
    {
        DryRun dryRun;
        update();
        changes = dryRun.Changes();
    }
    Page.CurrentPagePath = current;
    Edit = edit;
    ui::SetUi(shown);
    return changes;
}

std::string PageList(const std::vector<std::string>& pages)
{
    std::string list;
    for (const std::string& page : pages)
        list += page + "\r";
    return list;
}

}  // namespace

std::vector<DryRun::Change> PreviewMetaTagOnPages(ui::WindowId owner, const std::vector<std::string>& pages,
                                                  const std::string& name, const std::string& content)
{
    return Previewed([&] { SaveMetaTagOnPages(owner, PageList(pages), name, content); });
}

std::vector<DryRun::Change> PreviewImageRenameOnPages(ui::WindowId owner, const std::vector<std::string>& pages,
                                                      const std::string& NewSrc, const std::string& OldSrc,
                                                      const std::string& siteFolder)
{
    const std::string list = PageList(pages);
    return Previewed([&] {
        RenameImage(
            owner, NewSrc, OldSrc, [&list](const std::string&, const std::string&) { return list; }, siteFolder);
    });
}

}  // namespace kestrova
