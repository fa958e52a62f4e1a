// How the main window shows the page an analysis gives it, and the guard
// that keeps a title or a description typed and not saved from being lost
// when the page leaves the window.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "analysis/analysis_driver.h"
#include "app/main_window.h"
#include "app/report_list.h"
#include "base/translate.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"

namespace kestrova {

namespace {

void ApplyButtonChange(QPushButton* button, ButtonChange change)
{
    if (change == ButtonChange::Enable)
        button->setEnabled(true);
    else if (change == ButtonChange::Disable)
        button->setEnabled(false);
}

}  // namespace

void MainWindow::ShowAnalysis(const AnalysisResult& result)
{
    ReloadLists();
    // The caption is program text (Windows-1252): the file name in it was
    // converted from the file system's bytes already.
    if (result.WindowTitleSet)
        setWindowTitle(ui::FromPage(result.WindowTitle));
    if (result.FieldsSet) {
        fieldGuard_ = true;
        sentenceBox_->setText(QString());
        titleField_->setPlainText(ui::FromPage(result.TitleText));
        descriptionField_->setPlainText(ui::FromPage(result.DescriptionText));
        fieldGuard_ = false;
    }
    const AnalysisButtons& b = result.Buttons;
    ApplyButtonChange(manualAddButton_, b.ManualAdd);
    ApplyButtonChange(sentenceButton_, b.ModifySentence);
    ApplyButtonChange(addKeywordButton_, b.AddToKeywords);
    ApplyButtonChange(removeButton_, b.Remove);
    ApplyButtonChange(modifyButton_, b.Modify);
    ApplyButtonChange(titleSave_, b.SaveTitle);
    ApplyButtonChange(descriptionSave_, b.SaveDescription);
    // "Retirer" and "Modifier" follow the keyword selection from here on.
    keywordSelected_ = removeButton_->isEnabled();
    WatchKeywordSelection();
}

bool MainWindow::HasUnsavedText() const
{
    // A field counts once its "Enregistrer" button was enabled by typing
    // (only on a page that may be edited) and while its text differs from
    // the page's.
    if (Page.CurrentPagePath.empty() || IsPageReadOnly())
        return false;
    const bool title = titleSave_->isEnabled() && ui::ToPage(titleField_->toPlainText()) != Page.PageTitle;
    const bool description =
        descriptionSave_->isEnabled() && ui::ToPage(descriptionField_->toPlainText()) != Page.PageDescription;
    return title || description;
}

bool MainWindow::ConfirmUnsavedText()
{
    if (!HasUnsavedText())
        return true;
    // "Modifications non enregistrées"; "Le titre ou la description de la
    // page a été modifié sans être enregistré." LF "Voulez-vous l'enregistrer ?"
    const ui::SaveChoice choice = ui::AskSaveDiscardCancel(
        this,
        TranslateFrenchKey("Modifications non enregistr\xE9"
                           "es"),
        TranslateFrenchKey("Le titre ou la description de la page a \xE9t\xE9 modifi\xE9 sans \xEAtre enregistr\xE9.\n"
                           "Voulez-vous l'enregistrer ?"));
    switch (choice) {
        case ui::SaveChoice::Save:
            SaveTitleAndDescription();
            return true;
        case ui::SaveChoice::Discard:
            // The fields show the page's texts again, so that nothing asks
            // about the dropped text a second time.
            fieldGuard_ = true;
            titleField_->setPlainText(ui::FromPage(Page.PageTitle));
            descriptionField_->setPlainText(ui::FromPage(Page.PageDescription));
            fieldGuard_ = false;
            titleSave_->setEnabled(false);
            descriptionSave_->setEnabled(false);
            return true;
        case ui::SaveChoice::Cancel:
            break;
    }
    return false;
}

}  // namespace kestrova
