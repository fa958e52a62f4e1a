// The main window's commands that open the page editors: each analyses the
// page again when its window changed it, so a title or a description typed
// and not saved is saved, dropped or kept (the editor not opened) first.
#include "app/images_editor.h"
#include "app/later_commands.h"
#include "app/main_window.h"
#include "app/meta_tags_editor.h"
#include "app/sentence_editor.h"

namespace kestrova {

void ShowMetaEditor(MainWindow& window)
{
    if (!window.ConfirmUnsavedText())
        return;
    if (MetaTagsEditor(&window))
        window.AnalysePage();
}

void ShowImagesEditor(MainWindow& window)
{
    if (!window.ConfirmUnsavedText())
        return;
    if (ImagesEditor(&window))
        window.AnalysePage();
}

void ShowSentenceEditor(MainWindow& window, const std::string& word)
{
    if (!window.ConfirmUnsavedText())
        return;
    if (SentenceEditor(&window, word))
        window.AnalysePage();
}

}  // namespace kestrova
