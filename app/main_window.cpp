#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QUrl>

#include "analysis/analysis_driver.h"
#include "app/later_commands.h"
#include "app/relevance_window.h"
#include "app/report_list.h"
#include "app/site_check_window.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "ui/focus_frame.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

using ui::Tr;

// Every button of the window is 130 x 20 pixels.
constexpr int ButtonWidth = 130;
constexpr int ButtonHeight = 20;

// A caption a little wider than its button ("Ajouter aux mots clés" with
// the usual desktop fonts) is shown in a slightly smaller font rather than
// cut: half a point at a time, by a fifth of the size at most.
void FitButtonCaption(QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(0, 0, ButtonWidth, ButtonHeight);
    option.text = button->text();
    const int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width() - 2;
    QFont font = button->font();
    const qreal base = font.pointSizeF();
    if (base <= 0 || QFontMetrics(font).horizontalAdvance(button->text()) <= room)
        return;
    for (qreal size = base - 0.5; size >= base * 0.8; size -= 0.5) {
        font.setPointSizeF(size);
        if (QFontMetrics(font).horizontalAdvance(button->text()) <= room)
            break;
    }
    button->setFont(font);
}

QPushButton* MakeButton(QWidget* parent, const char* objectName, const std::string& french)
{
    auto* button = new QPushButton(Tr(french), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    FitButtonCaption(button);
    return button;
}

QGroupBox* MakeFrame(QWidget* parent, const char* objectName, const std::string& french)
{
    auto* frame = new QGroupBox(Tr(french), parent);
    frame->setObjectName(QString::fromLatin1(objectName));
    return frame;
}

QPlainTextEdit* MakeField(QWidget* parent, const char* objectName)
{
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    field->setTabChangesFocus(true);
    // A one-pixel margin lets the fields show whole lines in their fixed
    // heights: two in the title field, three in the description field.
    field->document()->setDocumentMargin(1);
    return field;
}

}  // namespace

MainWindow::Layout MainWindow::ComputeLayout(int innerWidth, int innerHeight, bool bannerShown)
{
    Layout l;
    l.W = innerWidth;
    l.H = innerHeight - 20;
    l.BX = l.W - BW;
    l.CW = (l.BX - L - G) / 2;
    l.BM = bannerShown ? 120 : 20;
    return l;
}

QSize MainWindow::MinimumInnerSize(bool bannerShown)
{
    // Width: the "Enregistrer" buttons (x CW - 140) stay inside their
    // frames (x 10) with a margin of 10, so CW >= 160. Height: SentenceBox
    // (H - FY - BM - 63 high) keeps 40 pixels, which leaves the found-word
    // lists 83 and puts "Ajouter aux mots clés" below SentenceBox.
    int width = BW + L + G + 2 * 160;
    // The frames show their whole captions in the desktop's font: the title
    // and description frames are CW - 10 wide, the keyword frame W - CW - 20.
    const QFontMetrics metrics(QApplication::font("QGroupBox"));
    auto caption = [&metrics](const std::string& french) { return metrics.horizontalAdvance(Tr(french)) + 20; };
    const int fields = std::max(caption("Titre de la page :"), caption("Description de la page :"));
    width = std::max(width, 2 * (fields + 10) + BW + L + G + 1);
    // "Mots déclarés dans la liste des mots clés de cette page :"
    width = std::max(width, 2 * caption("Mots d\xE9"
                                        "clar\xE9"
                                        "s dans la liste des mots cl\xE9"
                                        "s de cette page :") -
                                BW + 2);
    // Column 0 of the lists (CW - 112 wide) shows its whole title, with the
    // header's margins and sort mark.
    const QFontMetrics header(QApplication::font("QHeaderView"));
    int column = 0;
    for (const char* title : {"Mots cl\xE9s", "Mots usuels", "Autre mots"})
        column = std::max(column, header.horizontalAdvance(Tr(title)) + 24);
    width = std::max(width, 2 * (column + 112) + BW + L + G + 1);
    const int H = FY + (bannerShown ? 120 : 20) + 63 + 40;
    return {width, H + 20};
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    // The program's name, never translated.
    setWindowTitle(QStringLiteral("Kestrova"));
    resize(App.LargeurFenetre > 0 ? App.LargeurFenetre : 712, App.HauteurFenetre > 0 ? App.HauteurFenetre : 600);
    bannerShown_ = App.BannerOn && !App.FirstStart;
    layout_ = ComputeLayout(width(), height(), bannerShown_);

    BuildMenu();
    BuildGadgets();
    AddBalloonTips();
    if (bannerShown_)
        CreateBannerGadgets(*this);
    quitRequested_ = false;
    setMinimumSize(MinimumInnerSize(bannerShown_));
    Relayout();
    focusFrame_ = ui::ShowFocusClearly(this);
    // F10 opens the first menu, as on every desktop.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        const QList<QAction*> menus = menuBar()->actions();
        if (!menus.isEmpty())
            menuBar()->setActiveAction(menus.first());
    });
    // The analysis shows the page in this window step by step.
    ui::SetPageViewHandler(ui::MainWindowId, [this] { ShowAnalysis(CurrentAnalysis()); });
    // The engine addresses this window as MainWindowId (captions, owners of
    // message boxes and progress windows).
    ui::RegisterWindow(ui::MainWindowId, this);
}

MainWindow::~MainWindow()
{
    if (ui::WindowById(ui::MainWindowId) == this) {
        ui::RegisterWindow(ui::MainWindowId, nullptr);
        ui::SetPageViewHandler(ui::MainWindowId, {});
    }
}

void MainWindow::BuildMenu()
{
    struct Item {
        int id;
        const char* objectName;
        const char* french;
        const char* label;     // shortcut label, appended untranslated
        const char* shortcut;  // nullptr: none
    };
    auto add = [this](QMenu* menu, const Item& item) {
        QString text = Tr(item.french);
        if (item.id == MenuAbout)
            text += QStringLiteral("''Kestrova''");
        if (item.label != nullptr)
            text += QString::fromLatin1(item.label);
        auto* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(item.objectName));
        action->setData(item.id);
        if (item.shortcut != nullptr) {
            action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        return action;
    };

    // Alt and the first letter open a menu whose title has no "&" of its own.
    auto menuTitle = [](const std::string& french) {
        const QString title = Tr(french);
        return title.contains(QLatin1Char('&')) ? title : QLatin1Char('&') + title;
    };
    QMenu* file = menuBar()->addMenu(menuTitle("Fichier"));
    file->setObjectName(QStringLiteral("FichierMenu"));
    connect(
        add(file, {MenuOpenLocal, "AnalyserUnAutreFichierAction", "Analyser un autre fichier", "\tCTRL+O", "Ctrl+O"}),
        &QAction::triggered, this, [this] {
            if (ConfirmUnsavedText())
                OpenLocalPage();
        });
    connect(
        add(file, {MenuOpenOnline, "AnalyserUnePageEnLigneAction", "Analyser une page en ligne", "\tCTRL+L", "Ctrl+L"}),
        &QAction::triggered, this, [this] {
            if (ConfirmUnsavedText())
                OpenOnlinePage(*this);
        });
    file->addSeparator();
    connect(add(file, {MenuMeta, "ModifierLesZonesMetaAction", "Modifier les zones ''Meta''", "\tCTRL+M", "Ctrl+M"}),
            &QAction::triggered, this, [this] { ShowMetaEditor(*this); });
    connect(add(file, {MenuImages, "ImagesDeLaPageAction", "Images de la page", "\tCTRL+I", "Ctrl+I"}),
            &QAction::triggered, this, [this] { ShowImagesEditor(*this); });
    connect(add(file, {MenuSource, "VoirLeCodeDeLaPageAction", "Voir le code de la page", "\tCTRL+U", "Ctrl+U"}),
            &QAction::triggered, this, [this] { ShowPageSource(*this); });
    connect(add(file, {MenuBrowser, "OuvrirLaPageAvecVotreNavigateurAction", "Ouvrir la page avec votre navigateur",
                       "\tCTRL+N", "Ctrl+N"}),
            &QAction::triggered, this, [this] { OpenInBrowser(); });
    // "Pertinence des mots cl�s"
    connect(add(file, {MenuKeywordRelevance, "PertinenceDesMotsClesAction", "Pertinence des &mots cl\xE9s", "\tCTRL+K",
                       "Ctrl+K"}),
            &QAction::triggered, this, [this] { ShowKeywordRelevance(*this); });
    // "Annuler la dernière modification"
    connect(add(file, {MenuUndo, "AnnulerLaDerniereModificationAction", "Annuler la derni\xE8re modification",
                       "\tCTRL+Z", "Ctrl+Z"}),
            &QAction::triggered, this, [this] { UndoLastChange(); });
    connect(add(file, {MenuHistory, "HistoriqueDeLaPageAction", "Historique de la page", "\tCTRL+H", "Ctrl+H"}),
            &QAction::triggered, this, [this] { ShowHistory(); });
    file->addSeparator();
    connect(add(file, {MenuSiteWords, "PertinenceDuSiteAction", "Pertinence du site", "\tCTRL+S", "Ctrl+S"}),
            &QAction::triggered, this, [this] { ShowSiteStatistics(*this); });
    // "Vérifier le site…"
    connect(add(file,
                {MenuSiteCheck, "VerifierLeSiteAction", "&V\xE9rifier le site\x85", "\tCTRL+SHIFT+S", "Ctrl+Shift+S"}),
            &QAction::triggered, this, [this] { CheckSiteCommand(*this); });
    file->addSeparator();
    // "Exporter les données"
    connect(add(file, {MenuExport, "ExporterLesDonneesAction",
                       "Exporter les donn\xE9"
                       "es",
                       "\tCTRL+E", "Ctrl+E"}),
            &QAction::triggered, this, [this] { ExportData(); });
    file->addSeparator();
    connect(add(file, {MenuQuit, "QuitterAction", "&Quitter", "\tCTRL+Q", "Ctrl+Q"}), &QAction::triggered, this,
            [this] { RequestQuit(); });

    QMenu* infos = menuBar()->addMenu(menuTitle("Infos"));
    infos->setObjectName(QStringLiteral("InfosMenu"));
    connect(add(infos, {MenuLanguage, "ChooseEnglishLanguageAction", "Choose english language", nullptr, nullptr}),
            &QAction::triggered, this, [this] { SwitchLanguage(); });
    infos->addSeparator();
    connect(add(infos, {MenuAbout, "AProposDeAction", "A propos de ", nullptr, nullptr}), &QAction::triggered, this,
            [this] { ShowAboutWindow(*this); });
    connect(add(infos, {MenuHelp, "AideAction", "Aide", "\tF1", "F1"}), &QAction::triggered, this,
            [this] { ShowHelp(*this); });
    // "Préférences"
    connect(add(infos, {MenuPreferences, "PreferencesAction",
                        "Pr\xE9"
                        "f\xE9"
                        "rences",
                        "\tCTRL+P", "Ctrl+P"}),
            &QAction::triggered, this, [this] { ChangePreferences(); });
    infos->addSeparator();
    connect(
        add(infos, {MenuJournal, "JournalDesModificationsAction", "Journal des modifications", "\tCTRL+J", "Ctrl+J"}),
        &QAction::triggered, this, [this] { ShowJournal(); });

    EnablePageMenu(false);
}

QAction* MainWindow::MenuAction(int id) const
{
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->data().toInt() == id)
                return action;
        }
    }
    return nullptr;
}

void MainWindow::EnablePageMenu(bool enabled)
{
    for (int id = MenuMeta; id <= MenuBrowser; ++id) {
        if (QAction* action = MenuAction(id))
            action->setEnabled(enabled);
    }
    if (QAction* action = MenuAction(MenuKeywordRelevance))
        action->setEnabled(enabled);
    for (int id : {MenuUndo, MenuHistory}) {
        if (QAction* action = MenuAction(id))
            action->setEnabled(enabled && !Page.PageReadOnly);
    }
}

void MainWindow::BuildGadgets()
{
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("MainWindowGadgets"));
    setCentralWidget(central_);

    titleFrame_ = MakeFrame(central_, "TitreDeLaPageFrame", "Titre de la page :");
    titleField_ = MakeField(central_, "TitleField");
    titleSave_ = MakeButton(central_, "EnregistrerTitreButton", "Enregistrer");
    titleSave_->setEnabled(false);
    descriptionFrame_ = MakeFrame(central_, "DescriptionDeLaPageFrame", "Description de la page :");
    descriptionField_ = MakeField(central_, "DescriptionField");
    descriptionSave_ = MakeButton(central_, "EnregistrerDescriptionButton", "Enregistrer");
    descriptionSave_->setEnabled(false);

    // "Mots déclarés dans la liste des mots clés de cette page :"
    keywordFrame_ = MakeFrame(central_, "MotsDeclaresFrame",
                              "Mots d\xE9"
                              "clar\xE9"
                              "s dans la liste des mots cl\xE9"
                              "s de cette page :");
    const int CW = layout_.CW;
    keywordList_ = new ReportListView(&Page.KeywordList, central_);
    keywordList_->setObjectName(QStringLiteral("KeywordList"));
    keywordList_->AddColumn(TranslateFrenchKey("Mots cl\xE9"
                                               "s"),
                            CW - 112, false);  // "Mots clés"
    keywordList_->AddColumn(TranslateFrenchKey("Utilis\xE9"
                                               "s"),
                            90, true);  // "Utilisés"

    // "Mots trouvés dans cette page :"
    foundFrame_ = MakeFrame(central_, "MotsTrouvesFrame",
                            "Mots trouv\xE9"
                            "s dans cette page :");
    usualWordList_ = new ReportListView(&Page.UsualWordList, central_);
    usualWordList_->setObjectName(QStringLiteral("UsualWordList"));
    usualWordList_->AddColumn(TranslateFrenchKey("Mots usuels"), CW - 112, false);
    usualWordList_->AddColumn(TranslateFrenchKey("Nb occurences"), 90, true);
    otherWordList_ = new ReportListView(&Page.OtherWordList, central_);
    otherWordList_->setObjectName(QStringLiteral("OtherWordList"));
    otherWordList_->AddColumn(TranslateFrenchKey("Autre mots"), CW - 112, false);
    otherWordList_->AddColumn(TranslateFrenchKey("Nb occurences"), 90, true);

    removeButton_ = MakeButton(central_, "RetirerButton", "Retirer");
    modifyButton_ = MakeButton(central_, "ModifierButton", "Modifier");
    manualAddButton_ = MakeButton(central_, "AjoutManuelButton", "Ajout manuel");
    // "Ajouter aux mots clés"
    addKeywordButton_ = MakeButton(central_, "AjouterAuxMotsClesButton",
                                   "Ajouter aux mots cl\xE9"
                                   "s");
    sentenceBox_ = new QLabel(central_);
    sentenceBox_->setObjectName(QStringLiteral("SentenceBox"));
    sentenceBox_->setWordWrap(true);
    sentenceBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    sentenceBox_->setTextFormat(Qt::PlainText);
    sentenceButton_ = MakeButton(central_, "ModifierLaPhraseButton", "Modifier la phrase");

    for (QPushButton* button : {removeButton_, modifyButton_, manualAddButton_, addKeywordButton_, sentenceButton_})
        button->setEnabled(false);

    connect(titleField_, &QPlainTextEdit::textChanged, this,
            [this] { TextFieldChanged(titleField_, titleSave_, Page.PageTitle); });
    connect(descriptionField_, &QPlainTextEdit::textChanged, this,
            [this] { TextFieldChanged(descriptionField_, descriptionSave_, Page.PageDescription); });
    connect(titleSave_, &QPushButton::clicked, this, [this] { SaveTitleAndDescription(); });
    connect(descriptionSave_, &QPushButton::clicked, this, [this] { SaveTitleAndDescription(); });
    connect(keywordList_, &ReportListView::SelectionEdited, this, [this] { WatchKeywordSelection(); });
    connect(otherWordList_, &ReportListView::SelectionEdited, this, [this] { FoundWordSelected(otherWordList_); });
    connect(usualWordList_, &ReportListView::SelectionEdited, this, [this] { FoundWordSelected(usualWordList_); });
    connect(addKeywordButton_, &QPushButton::clicked, this, [this] { AddFoundWordToKeywords(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { RemoveKeyword(); });
    connect(modifyButton_, &QPushButton::clicked, this, [this] { ModifyKeyword(); });
    connect(manualAddButton_, &QPushButton::clicked, this, [this] { AddKeywordByHand(); });
    connect(sentenceButton_, &QPushButton::clicked, this, [this] { EditSentence(); });
}

void MainWindow::AddBalloonTips()
{
    // The tips are attached only when the banner is hidden ("pub") and the
    // user has not switched them off ("bulle"); both words are found by
    // substring search, like every option word.
    if (App.Preferences.find("pub") == std::string::npos || App.Preferences.find("bulle") != std::string::npos)
        return;
    // "Vous pouvez désactiver cette bulle d'aide à l'aide du menu ''Préférences''."
    const std::string text = TranslateFrenchKey("Cliquez sur les titres des colonnes pour trier cette liste.") + "\n" +
                             TranslateFrenchKey("Vous pouvez d\xE9"
                                                "sactiver cette bulle d'aide \xE0"
                                                " l'aide du menu ''Pr\xE9"
                                                "f\xE9"
                                                "rences''.");
    for (ReportListView* list : {keywordList_, usualWordList_, otherWordList_})
        ui::AddBalloonTip(list, text);
}

void MainWindow::Relayout()
{
    layout_ = ComputeLayout(width(), height(), bannerShown_);
    const int W = layout_.W, H = layout_.H, BX = layout_.BX, CW = layout_.CW, BM = layout_.BM;

    titleFrame_->setGeometry(10, 10, CW - 10, 76);
    titleField_->setGeometry(20, 30, CW - 30, 32);
    titleSave_->setGeometry(CW - 140, 63, 130, 20);
    descriptionFrame_->setGeometry(10, 91, CW - 10, 90);
    descriptionField_->setGeometry(20, 111, CW - 30, 46);
    descriptionSave_->setGeometry(CW - 140, 158, 130, 20);
    keywordFrame_->setGeometry(CW + 10, 10, W - CW - 20, KH + 30);
    keywordList_->setGeometry(L + CW, 30, CW, KH);
    foundFrame_->setGeometry(10, FY, W - 20, H - FY - BM + 10);
    usualWordList_->setGeometry(L, FY + 20, CW, H - FY - BM - 20);
    otherWordList_->setGeometry(L + CW, FY + 20, CW, H - FY - BM - 20);
    removeButton_->setGeometry(BX, 45, 130, 20);
    modifyButton_->setGeometry(BX, 70, 130, 20);
    manualAddButton_->setGeometry(BX, 95, 130, 20);
    addKeywordButton_->setGeometry(BX, H - BM - 42, 130, 20);
    sentenceBox_->setGeometry(BX, FY + 20, 130, H - FY - BM - 63);
    sentenceButton_->setGeometry(BX, H - BM - 20, 130, 20);
    for (ReportListView* list : {keywordList_, usualWordList_, otherWordList_})
        list->SetColumnWidth(0, CW - 112);
    if (bannerShown_)
        PlaceBannerGadgets(*this);
    sentenceBox_->update();
}

void MainWindow::SetBannerShown(bool shown)
{
    if (shown == bannerShown_)
        return;
    bannerShown_ = shown;
    if (shown)
        CreateBannerGadgets(*this);
    else
        RemoveBannerGadgets(*this);
    setMinimumSize(MinimumInnerSize(bannerShown_));
    Relayout();
    update();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (central_ != nullptr)
        Relayout();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ConfirmUnsavedText()) {
        event->ignore();
        return;
    }
    quitRequested_ = true;
    event->accept();
}

void MainWindow::RequestQuit()
{
    close();
}

void MainWindow::TextFieldChanged(QPlainTextEdit* field, QPushButton* saveButton, const std::string& loadedText)
{
    if (fieldGuard_)
        return;
    fieldGuard_ = true;
    if (Page.CurrentPagePath.empty() || IsPageReadOnly()) {
        if (Page.CurrentPagePath.empty() && !field->toPlainText().isEmpty())
            field->setPlainText(QString());
        saveButton->setEnabled(false);
        fieldGuard_ = false;
        return;
    }
    QString text = field->toPlainText();
    const QString cleaned = QString(text)
                                .remove(QLatin1Char('\n'))
                                .remove(QLatin1Char('\r'))
                                .remove(QChar::ParagraphSeparator)
                                .remove(QChar::LineSeparator);
    if (cleaned != text) {
        field->setPlainText(cleaned);
        ui::SetTextSelection(field, static_cast<int>(cleaned.size()) + 1, static_cast<int>(cleaned.size()) + 1);
        text = cleaned;
    }
    if (ui::ToPage(text) != loadedText)
        saveButton->setEnabled(true);
    fieldGuard_ = false;
}

void MainWindow::WatchKeywordSelection()
{
    if (IsPageReadOnly())
        return;
    const bool selected = !keywordList_->SelectedText(0).empty();
    if (!keywordSelected_ && selected) {
        keywordSelected_ = true;
        removeButton_->setEnabled(true);
        modifyButton_->setEnabled(true);
    } else if (keywordSelected_ && !selected) {
        keywordSelected_ = false;
        removeButton_->setEnabled(false);
        modifyButton_->setEnabled(false);
    }
}

void MainWindow::ReloadLists()
{
    for (ReportListView* list : {keywordList_, usualWordList_, otherWordList_})
        list->Reload();
}

void MainWindow::SwitchLanguage()
{
    if (!ConfirmUnsavedText())
        return;
    App.Language = App.Language == "English" ? "Fran\xE7"
                                               "ais"
                                             : "English";  // "Français"
    // "Quittez et redémarrez, S.V.P..."
    ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Changement de langue"),
                         TranslateFrenchKey("Quittez et red\xE9"
                                            "marrez, S.V.P..."));
    RequestQuit();
}

void MainWindow::ChangePreferences()
{
    App.Preferences = ShowPreferencesWindow(*this, App.Preferences);
    const bool hideBanner = App.Preferences.find("pub") != std::string::npos;
    if (hideBanner && bannerShown_) {
        App.BannerOn = false;
        SetBannerShown(false);
    } else if (!hideBanner && !bannerShown_ && !App.FirstStart) {
        App.BannerOn = true;
        SetBannerShown(true);
    }
}

void MainWindow::ShowJournal()
{
    if (Page.CurrentPagePath.empty())
        return;
    ShowJournalWindow(*this, FolderOf(Page.CurrentPagePath));
}

void MainWindow::OpenInBrowser()
{
    if (Page.CurrentPagePath.empty())
        return;
    // Failures of the desktop's "open" are not reported.
    QDesktopServices::openUrl(QUrl::fromLocalFile(ui::FromFileName(Page.CurrentPagePath)));
}

}  // namespace kestrova
