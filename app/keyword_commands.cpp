// The main window's commands on the declared keyword list: promoting a found
// word, removing, renaming and adding a keyword, the selection in the two
// lists of found words, and the sentence editor of the selected word. Each
// change goes through the rewrite engine (meta tag "keywords") and is mirrored
// in KeywordList without a new analysis.
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "analysis/word_lists.h"
#include "app/later_commands.h"
#include "app/main_window.h"
#include "app/report_list.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"

namespace kestrova {

namespace {

constexpr char SourceOther[] = "Mot";
constexpr char SourceUsual[] = "Usuel";
constexpr char KeywordsMeta[] = "keywords";

std::string UsedMark(bool used)
{
    return TranslateFrenchKey(used ? "Oui" : "Non");
}

}  // namespace

std::string MainWindow::SelectedFoundWord() const
{
    if (selectedWordSource_ == SourceUsual)
        return usualWordList_->SelectedText(0);
    if (selectedWordSource_ == SourceOther)
        return otherWordList_->SelectedText(0);
    return {};
}

void MainWindow::FoundWordSelected(ReportListView* list)
{
    ReportListView* other = list == usualWordList_ ? otherWordList_ : usualWordList_;
    const WordDetail detail = ShowWordDetail(list->List());
    addKeywordButton_->setEnabled(detail.AddEnabled);
    sentenceButton_->setEnabled(detail.SentenceEnabled);
    if (detail.Selected) {
        sentenceBox_->setText(ui::FromPage(detail.Text));
        selectedWordSource_ = list == otherWordList_ ? SourceOther : SourceUsual;
    } else {
        selectedWordSource_.clear();
        list->ClearSelectionQuietly();
    }
    other->ClearSelectionQuietly();
    list->setFocus(Qt::OtherFocusReason);
}

void MainWindow::ResetKeywordCommands()
{
    sentenceBox_->setText(QString());
    selectedWordSource_.clear();
    otherWordList_->ClearSelectionQuietly();
    usualWordList_->ClearSelectionQuietly();
    addKeywordButton_->setEnabled(false);
    sentenceButton_->setEnabled(false);
}

void MainWindow::AddFoundWordToKeywords()
{
    std::string word = SelectedFoundWord();
    if (!word.empty()) {
        // A found entry such as "mot/mots" adds its first spelling.
        const auto slash = word.find('/');
        if (slash != std::string::npos)
            word.erase(slash);
        ReportList& keywords = Page.KeywordList;
        keywords.Rows.push_back({word, UsedMark(true)});
        keywords.Selected = static_cast<int>(keywords.Rows.size()) - 1;
        keywordList_->Reload();
        const int row = SortListKeepSelection(keywordList_, 0, true);
        WatchKeywordSelection();
        // The list mirrors the page: when the keyword could not be written
        // (no keywords tag and the user declined to create it, or the page
        // could not be rewritten), its row goes again.
        if (EditMeta(ui::MainWindowId, OpAjoute, word, KeywordsMeta).empty() && row >= 0 &&
            row < static_cast<int>(keywords.Rows.size())) {
            keywords.Rows.erase(keywords.Rows.begin() + row);
            keywords.Selected = -1;
            keywordList_->Reload();
            WatchKeywordSelection();
        }
    }
    ReportListView* list = nullptr;
    ReportListView* other = nullptr;
    if (selectedWordSource_ == SourceUsual) {
        list = usualWordList_;
        other = otherWordList_;
    } else if (selectedWordSource_ == SourceOther) {
        list = otherWordList_;
        other = usualWordList_;
    }
    if (list != nullptr) {
        const std::string source = selectedWordSource_;
        const WordDetail detail = ShowWordDetail(list->List());
        addKeywordButton_->setEnabled(detail.AddEnabled);
        sentenceButton_->setEnabled(detail.SentenceEnabled);
        if (detail.Selected)
            sentenceBox_->setText(ui::FromPage(detail.Text));
        selectedWordSource_ = detail.Selected ? source : std::string();
        list->setFocus(Qt::OtherFocusReason);
        other->ClearSelectionQuietly();
    }
}

void MainWindow::RemoveKeyword()
{
    ReportList& keywords = Page.KeywordList;
    const int row = keywords.Selected;
    const std::string keyword = keywordList_->SelectedText(0);
    if (!keyword.empty() && !EditMeta(ui::MainWindowId, OpSup, keyword, KeywordsMeta).empty()) {
        keywords.Rows.erase(keywords.Rows.begin() + row);
        keywords.Selected = row < static_cast<int>(keywords.Rows.size()) ? row : -1;
        keywordList_->Reload();
        keywordList_->ShowRow(keywords.Selected);
    }
    ResetKeywordCommands();
    WatchKeywordSelection();
}

void MainWindow::ModifyKeyword()
{
    const std::string old = keywordList_->SelectedText(0);
    if (!old.empty()) {
        const std::string answer =
            ui::AskInput(this, TranslateFrenchKey("Modifier le mot cl\xE9"),  // "Modifier le mot clé"
                         TranslateFrenchKey("Remplacer") + " ''" + old + TranslateFrenchKey("'' par : "), old);
        if (!answer.empty() && answer != old && Page.KeywordList.Selected >= 0 &&
            !EditMeta(ui::MainWindowId, OpSup, old, KeywordsMeta).empty()) {
            // When this fails the old keyword is gone from the page already;
            // the engine has told the user why.
            EditMeta(ui::MainWindowId, OpAjoute, answer, KeywordsMeta);
            ReportList& keywords = Page.KeywordList;
            keywords.Rows[static_cast<std::size_t>(keywords.Selected)].at(0) = answer;
            const int row = SortListKeepSelection(keywordList_, 0, true);
            if (row >= 0) {
                auto& cells = keywords.Rows[static_cast<std::size_t>(row)];
                cells.resize(std::max<std::size_t>(cells.size(), 2));
                cells[1] = UsedMark(IsKeywordUsed(answer) == 1);
                keywordList_->Reload();
            }
        }
    }
    ResetKeywordCommands();
    WatchKeywordSelection();
}

void MainWindow::AddKeywordByHand()
{
    const std::string answer = ui::AskInput(this, TranslateFrenchKey("Ajouter un mot cl\xE9"),  // "Ajouter un mot clé"
                                            TranslateFrenchKey("Ajouter :"), "");
    if (!answer.empty() && !EditMeta(ui::MainWindowId, OpAjoute, answer, KeywordsMeta).empty()) {
        ReportList& keywords = Page.KeywordList;
        keywords.Rows.push_back({answer, UsedMark(true)});
        keywords.Selected = static_cast<int>(keywords.Rows.size()) - 1;
        keywordList_->Reload();
        const int row = SortListKeepSelection(keywordList_, 0, true);
        if (row >= 0) {
            keywords.Rows[static_cast<std::size_t>(row)][1] = UsedMark(IsKeywordUsed(answer) == 1);
            keywordList_->Reload();
        }
    }
    ResetKeywordCommands();
    WatchKeywordSelection();
}

void MainWindow::EditSentence()
{
    // The whole entry, slashes included.
    const std::string word = SelectedFoundWord();
    if (!word.empty())
        ShowSentenceEditor(*this, word);
}

}  // namespace kestrova
