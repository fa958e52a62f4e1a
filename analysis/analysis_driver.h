// The analysis of a page of the local site copy: what runs when the user
// opens a page, and again after the title or the description was saved. It
// decides whether the page may be edited, walks it with the analysis handler,
// fills the three result lists of the page state (Page.KeywordList,
// Page.UsualWordList, Page.OtherWordList), reads the title and the
// description, offers to re-encode badly encoded keywords and sorts the
// lists. The window only shows the result.
#pragma once

#include <string>

namespace kestrova {

// What an analysis asks of a button of the main window.
enum class ButtonChange { Keep, Enable, Disable };

struct AnalysisButtons {
    ButtonChange ManualAdd = ButtonChange::Keep;        // "Ajout manuel"
    ButtonChange ModifySentence = ButtonChange::Keep;   // "Modifier la phrase"
    ButtonChange AddToKeywords = ButtonChange::Keep;    // "Ajouter aux mots clés"
    ButtonChange Remove = ButtonChange::Keep;           // "Retirer"
    ButtonChange Modify = ButtonChange::Keep;           // "Modifier"
    ButtonChange SaveTitle = ButtonChange::Keep;        // "Enregistrer" of the title
    ButtonChange SaveDescription = ButtonChange::Keep;  // "Enregistrer" of the description
};

struct AnalysisResult {
    // The walk succeeded and the lists, the title and the description were
    // filled from the page.
    bool Ok = false;
    // A page is loaded afterwards (Page.CurrentPagePath is not empty).
    bool PageLoaded = false;
    // The page may not be edited (Page.PageReadOnly).
    bool ReadOnly = false;
    // The page could be read: the lists were cleared (and filled when Ok).
    bool ListsChanged = false;
    // The caption the main window gets ("" when it keeps its caption), in
    // Windows-1252 like every program text: the file name in it is the one
    // DisplayFileName gives.
    std::string WindowTitle;
    bool WindowTitleSet = false;
    // When Ok: the title and description fields get these texts and the
    // sentence box is emptied.
    std::string TitleText;
    std::string DescriptionText;
    AnalysisButtons Buttons;
    // The user accepted to re-encode the keywords and the page was rewritten
    // (the lists still show the page as it was analysed).
    bool KeywordsReencoded = false;
};

// Analyses the local page Page.CurrentPagePath. Messages and the keyword
// question go through ui::Ui(); the progress window belongs to the main
// window (ui::MainWindowId).
AnalysisResult AnalyseLocalPage();

// The analysis once Page.CurrentPagePath names the file to walk and
// Page.PageReadOnly is decided (local and online pages): the not-editable
// message, the walk, the lists, the fields, the buttons and the keyword
// question. The caption names the page by displayName.
AnalysisResult AnalyseCurrentPage(const std::string& displayName);

// The caption of the main window while a page is shown.
std::string PageWindowTitle(const std::string& displayName);

// The open dialog: the folder it starts in. When a page is loaded, the
// folder of that page becomes App.Folder first.
std::string OpenDialogStartFolder();
// The pattern list of the open dialog's one filter:
// "*.shtm;*.shtml;*.htm;*.html;*.php;*.asp;*.cgi".
std::string PageFilePatterns();
// A page was chosen in the open dialog: it becomes Page.CurrentPagePath, and
// App.FileListe (the pages of the last site-wide update) is emptied when the
// page lies in another folder than App.Folder.
void AcceptChosenPage(const std::string& path);

}  // namespace kestrova
