// The main window of the program: the page title and description fields, the
// declared keywords, the words found in the page (usual and other words), the
// column of command buttons, the menu and its shortcuts.
//
// Gadgets are placed at fixed pixel positions computed from the window's
// inner size and placed again on every resize. The lists show the engine's
// result lists (Page.KeywordList, Page.UsualWordList, Page.OtherWordList).
#pragma once

#include <QMainWindow>
#include <QSize>
#include <string>

class QAction;
class QFocusFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kestrova {

class ReportListView;
struct AnalysisResult;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Menu item ids.
    enum MenuId {
        MenuLanguage = 1,
        MenuPreferences = 2,
        MenuOpenLocal = 3,
        MenuOpenOnline = 4,
        MenuMeta = 5,
        MenuImages = 6,
        MenuSource = 7,
        MenuBrowser = 8,
        MenuHelp = 9,
        MenuAbout = 10,
        MenuJournal = 11,
        MenuSiteWords = 12,
        MenuExport = 13,
        MenuQuit = 14,
        MenuKeywordRelevance = 15,
        MenuSiteCheck = 16,
        MenuUndo = 17,
        MenuHistory = 18,
    };

    // Commands that are not menu items.
    enum CommandId {
        CommandSentenceEditor = 100,  // the button "Modifier la phrase"
    };

    // Fixed layout values, in pixels.
    static constexpr int L = 20;        // left margin of the lists and fields
    static constexpr int G = 20;        // gap between the two columns of lists
    static constexpr int BW = 150;      // width reserved for the button column
    static constexpr int KH = 141;      // height of the keyword list
    static constexpr int FY = KH + 45;  // y of the frame of found words

    // Layout values computed from the inner size (integer division).
    struct Layout {
        int W = 0;   // inner width
        int H = 0;   // inner height minus the 20 pixels of the menu bar
        int BX = 0;  // x of the button column
        int CW = 0;  // width of one list column
        int BM = 0;  // bottom margin: 120 with the banner, else 20
    };
    static Layout ComputeLayout(int innerWidth, int innerHeight, bool bannerShown);
    // The smallest inner size at which no gadget overlaps another or leaves
    // its frame, and the frame captions and column titles show whole in the
    // desktop's font.
    static QSize MinimumInnerSize(bool bannerShown);
    Layout CurrentLayout() const { return layout_; }

    // Gadgets.
    QPlainTextEdit* TitleField() const { return titleField_; }
    QPlainTextEdit* DescriptionField() const { return descriptionField_; }
    ReportListView* KeywordList() const { return keywordList_; }
    ReportListView* UsualWordList() const { return usualWordList_; }
    ReportListView* OtherWordList() const { return otherWordList_; }
    QLabel* SentenceBox() const { return sentenceBox_; }
    QPushButton* TitleSaveButton() const { return titleSave_; }
    QPushButton* DescriptionSaveButton() const { return descriptionSave_; }
    QPushButton* RemoveButton() const { return removeButton_; }
    QPushButton* ModifyButton() const { return modifyButton_; }
    QPushButton* ManualAddButton() const { return manualAddButton_; }
    QPushButton* AddKeywordButton() const { return addKeywordButton_; }
    QPushButton* SentenceButton() const { return sentenceButton_; }
    QGroupBox* TitleFrame() const { return titleFrame_; }
    QGroupBox* DescriptionFrame() const { return descriptionFrame_; }
    QGroupBox* KeywordFrame() const { return keywordFrame_; }
    QGroupBox* FoundWordsFrame() const { return foundFrame_; }
    // The menu item with an id (nullptr when there is none).
    QAction* MenuAction(int id) const;

    // The banner at the bottom of the window.
    bool BannerShown() const { return bannerShown_; }
    void SetBannerShown(bool shown);

    // State of the window's commands.
    // "Mot" (OtherWordList), "Usuel" (UsualWordList) or "" (no usable selection).
    const std::string& SelectedWordSource() const { return selectedWordSource_; }
    bool KeywordSelected() const { return keywordSelected_; }
    bool QuitRequested() const { return quitRequested_; }

    // Places every gadget for the current inner size.
    void Relayout();

    // Page commands.
    void OpenLocalPage();            // "Analyser un autre fichier"
    void AnalysePage();              // analyses Page.CurrentPagePath and fills the window
    void SaveTitleAndDescription();  // either "Enregistrer"
    void ExportData();               // "Exporter les données"
    void OpenInBrowser();            // "Ouvrir la page avec votre navigateur"
    // Analyses the page at path as if it had been chosen in the open dialog
    // (after the question about a typed text); true when it is shown.
    bool OpenCheckedPage(const std::string& path);

    // Opens and analyses the page at path, as if chosen in the open dialog.
    void OpenPageFile(const std::string& path);

    void UndoLastChange();  // "Annuler la dernière modification"
    void ShowHistory();     // "Historique de la page"

    // Keyword commands.
    void AddFoundWordToKeywords();                 // "Ajouter aux mots clés"
    void RemoveKeyword();                          // "Retirer"
    void ModifyKeyword();                          // "Modifier"
    void AddKeywordByHand();                       // "Ajout manuel"
    void EditSentence();                           // "Modifier la phrase"
    void FoundWordSelected(ReportListView* list);  // selection in a found-word list

    // Menu commands handled by the window itself.
    void SwitchLanguage();
    void ChangePreferences();
    void ShowJournal();
    void RequestQuit();

    // Shows the three engine lists again after the engine changed them.
    void ReloadLists();
    // Shows what an analysis gives the window: lists, caption, fields and
    // the state of the buttons.
    void ShowAnalysis(const AnalysisResult& result);
    // Before the page leaves the window (quit, another page, the language
    // switch): when a title or a description was typed and not saved, asks
    // whether to save it, drop it or stay. False when the user stays.
    bool ConfirmUnsavedText();
    // A title or a description typed and not saved.
    bool HasUnsavedText() const;
    // The frame drawn around the gadget with the keyboard focus.
    QFocusFrame* FocusFrame() const { return focusFrame_; }
    // Enables the page items of the menu (5 to 8, and undo and history for
    // a page that can be changed), or disables them.
    void EnablePageMenu(bool enabled);
    // Watch of the keyword selection: enables "Retirer" and "Modifier" while a
    // keyword row is selected (pages that can be edited only).
    void WatchKeywordSelection();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildGadgets();
    void AddBalloonTips();
    void TextFieldChanged(QPlainTextEdit* field, QPushButton* saveButton, const std::string& loadedText);
    // The word of the selected row of the found-word list named by
    // SelectedWordSource ("" when none).
    std::string SelectedFoundWord() const;
    void ResetKeywordCommands();
    void FillFromPage();

    Layout layout_;
    bool bannerShown_ = false;
    bool quitRequested_ = false;
    bool keywordSelected_ = false;
    bool fieldGuard_ = false;
    std::string selectedWordSource_;

    QGroupBox* titleFrame_ = nullptr;
    QPlainTextEdit* titleField_ = nullptr;
    QPushButton* titleSave_ = nullptr;
    QGroupBox* descriptionFrame_ = nullptr;
    QPlainTextEdit* descriptionField_ = nullptr;
    QPushButton* descriptionSave_ = nullptr;
    QGroupBox* keywordFrame_ = nullptr;
    ReportListView* keywordList_ = nullptr;
    QGroupBox* foundFrame_ = nullptr;
    ReportListView* usualWordList_ = nullptr;
    ReportListView* otherWordList_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* modifyButton_ = nullptr;
    QPushButton* manualAddButton_ = nullptr;
    QPushButton* addKeywordButton_ = nullptr;
    QLabel* sentenceBox_ = nullptr;
    QPushButton* sentenceButton_ = nullptr;
    QWidget* central_ = nullptr;
    QFocusFrame* focusFrame_ = nullptr;
};

}  // namespace kestrova
