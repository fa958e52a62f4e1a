// Window tests of the main window: layout, menu, opening and analysing local
// pages, the keyword commands, saving the title and the description, the
// export, column sorting, read-only and non-HTML files, and the event pumping
// during a long analysis. The window is driven as a user would (keys, clicks
// on buttons, rows and column headers); only the file and input dialogs are
// answered through the dialog wrappers' queues, and message boxes through the
// QtUi's prepared answers.
#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "analysis/export_format.h"
#include "analysis/word_lists.h"
#include "app/main_window.h"
#include "app/report_list.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "tests/support/locked_file.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const std::string French = "Fran\xE7"
                           "ais";  // "Français"

QString P(const std::string& cp1252)
{
    return ui::FromPage(cp1252);
}

// The rows of a list as the window shows them.
std::vector<std::pair<QString, QString>> Shown(ReportListView* list)
{
    std::vector<std::pair<QString, QString>> rows;
    auto* model = list->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows.emplace_back(model->index(r, 0).data().toString(), model->index(r, 1).data().toString());
    return rows;
}

int FindRow(ReportListView* list, const QString& word)
{
    auto* model = list->model();
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 0).data().toString() == word)
            return r;
    return -1;
}

// The count shown beside a word ("missing" when the word is not listed).
QString CountOf(ReportListView* list, const QString& word)
{
    const int row = FindRow(list, word);
    return row < 0 ? QStringLiteral("missing") : list->model()->index(row, 1).data().toString();
}

QString SelectedShown(ReportListView* list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}

// Types a text key by key, accented letters included.
void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void ClickRow(ReportListView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

void ClickHeader(ReportListView* list, int column)
{
    QHeaderView* header = list->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// The keywords declared in a page file: the content of its keywords meta
// tag cut at commas, without the spaces around each keyword.
std::vector<std::string> KeywordsOf(const std::string& page)
{
    const auto meta = page.find("name=\"keywords\"");
    if (meta == std::string::npos)
        return {};
    const auto open = page.find("content=\"", meta);
    const auto close = page.find('"', open + 9);
    const std::string content = page.substr(open + 9, close - open - 9);
    std::vector<std::string> keywords;
    std::string::size_type start = 0;
    for (;;) {
        const auto comma = content.find(',', start);
        std::string part = content.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        keywords.push_back(part);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return keywords;
}

std::string JournalText()
{
    return test::ReadAll("Kestrova_log.txt");
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    std::unique_ptr<MainWindow> window_;
    ui::QtUi* qtUi_ = nullptr;
    test::ScriptedAnswers answers_;
    std::int64_t now_ = 1700000000;

    // Copies a page of the sample site into the temporary site folder.
    std::string Sample(const std::string& relative) { return test::CopySamplePage(temp_->Path() / "site", relative); }

    // The next message boxes and questions get these answers (then "Non").
    void Answers(std::initializer_list<ui::YesNoAll> answers) { answers_.Answer(answers); }
    // Message boxes and questions since the last Answers().
    std::vector<ui::QtUi::Shown> Asked() const { return answers_.Asked(); }

    // Every button caption and column title is shown whole.
    static void CaptionsFit(MainWindow& w)
    {
        for (QPushButton* b : w.findChildren<QPushButton*>()) {
            QStyleOptionButton option;
            option.initFrom(b);
            option.text = b->text();
            const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) <= room.width(), qPrintable(b->text()));
        }
        for (ReportListView* list : {w.KeywordList(), w.UsualWordList(), w.OtherWordList()}) {
            QHeaderView* header = list->header();
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int c = 0; c < header->count(); ++c) {
                const QString title = list->model()->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(header->fontMetrics().horizontalAdvance(title) <= header->sectionSize(c) - 2 * margin,
                         qPrintable(title));
            }
        }
    }

    MainWindow& NewWindow(int width = 712, int height = 600) { return test::ShowNewMainWindow(window_, width, height); }

    // Opens a page with Ctrl+O, the open dialog answered with path.
    void OpenWithKeys(const std::string& path)
    {
        ui::Dialogs.NextFileNames.push_back(path);
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextFileNames.empty());
    }

    void Tick()
    {
        SetClock([t = ++now_] { return t; });
    }

    std::string JournalLine(const std::string& path) const { return path + "|" + std::to_string(now_); }

private slots:
    void initTestCase()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        qtUi_ = &ui::InstallQtUi();
        SetClock([t = now_] { return t; });
    }

    void init()
    {
        test::ResetProgramState(French);
        ui::Dialogs = ui::DialogHooks{};
        Answers({});
    }

    void cleanup() { window_.reset(); }

    void cleanupTestCase()
    {
        window_.reset();
        SetClock({});
        cwd_.reset();
        temp_.reset();
    }

    void layoutFollowsTheWindowSize()
    {
        MainWindow& w = NewWindow(712, 600);
        QCOMPARE(w.windowTitle(), QStringLiteral("Kestrova"));
        MainWindow::Layout l = w.CurrentLayout();
        QCOMPARE(l.W, 712);
        QCOMPARE(l.BX, 562);
        QCOMPARE(l.CW, 261);
        QCOMPARE(l.H, 580);
        QCOMPARE(l.BM, 20);
        QCOMPARE(w.KeywordList()->columnWidth(0), 149);
        QCOMPARE(w.KeywordList()->columnWidth(1), 90);
        QCOMPARE(w.OtherWordList()->columnWidth(0), 149);
        QCOMPARE(w.UsualWordList()->columnWidth(0), 149);

        QCOMPARE(w.TitleFrame()->geometry(), QRect(10, 10, 251, 76));
        QCOMPARE(w.TitleField()->geometry(), QRect(20, 30, 231, 32));
        QCOMPARE(w.TitleSaveButton()->geometry(), QRect(121, 63, 130, 20));
        QCOMPARE(w.DescriptionFrame()->geometry(), QRect(10, 91, 251, 90));
        QCOMPARE(w.DescriptionField()->geometry(), QRect(20, 111, 231, 46));
        QCOMPARE(w.DescriptionSaveButton()->geometry(), QRect(121, 158, 130, 20));
        QCOMPARE(w.KeywordFrame()->geometry(), QRect(271, 10, 431, 171));
        QCOMPARE(w.KeywordList()->geometry(), QRect(281, 30, 261, 141));
        QCOMPARE(w.FoundWordsFrame()->geometry(), QRect(10, 186, 692, 384));
        QCOMPARE(w.UsualWordList()->geometry(), QRect(20, 206, 261, 354));
        QCOMPARE(w.OtherWordList()->geometry(), QRect(281, 206, 261, 354));
        QCOMPARE(w.RemoveButton()->geometry(), QRect(562, 45, 130, 20));
        QCOMPARE(w.ModifyButton()->geometry(), QRect(562, 70, 130, 20));
        QCOMPARE(w.ManualAddButton()->geometry(), QRect(562, 95, 130, 20));
        QCOMPARE(w.AddKeywordButton()->geometry(), QRect(562, 518, 130, 20));
        QCOMPARE(w.SentenceBox()->geometry(), QRect(562, 206, 130, 311));
        QCOMPARE(w.SentenceButton()->geometry(), QRect(562, 540, 130, 20));

        // A larger window: the keyword list keeps its height, the lists of
        // found words grow, the button column follows the right edge.
        w.resize(900, 700);
        QTRY_COMPARE(w.CurrentLayout().W, 900);
        l = w.CurrentLayout();
        QCOMPARE(l.BX, 750);
        QCOMPARE(l.CW, 355);
        QCOMPARE(w.KeywordList()->columnWidth(0), 243);
        QCOMPARE(w.KeywordList()->geometry(), QRect(375, 30, 355, 141));
        QCOMPARE(w.UsualWordList()->geometry(), QRect(20, 206, 355, 454));
        QCOMPARE(w.OtherWordList()->geometry(), QRect(375, 206, 355, 454));
        QCOMPARE(w.FoundWordsFrame()->geometry(), QRect(10, 186, 880, 484));
        QCOMPARE(w.KeywordFrame()->geometry(), QRect(365, 10, 525, 171));
        QCOMPARE(w.AddKeywordButton()->geometry(), QRect(750, 618, 130, 20));
        QCOMPARE(w.SentenceButton()->geometry(), QRect(750, 640, 130, 20));
        QCOMPARE(w.TitleSaveButton()->geometry(), QRect(215, 63, 130, 20));

        // With the banner the bottom margin is 120 pixels.
        const MainWindow::Layout withBanner = MainWindow::ComputeLayout(712, 600, true);
        QCOMPARE(withBanner.BM, 120);
        QCOMPARE(withBanner.CW, 261);
    }

    void gadgetsHaveNamesCaptionsAndStates()
    {
        MainWindow& w = NewWindow();
        for (const char* name :
             {"TitleField", "DescriptionField", "KeywordList", "UsualWordList", "OtherWordList", "SentenceBox",
              "EnregistrerTitreButton", "EnregistrerDescriptionButton", "RetirerButton", "ModifierButton",
              "AjoutManuelButton", "AjouterAuxMotsClesButton", "ModifierLaPhraseButton", "TitreDeLaPageFrame",
              "DescriptionDeLaPageFrame", "MotsDeclaresFrame", "MotsTrouvesFrame"})
            QVERIFY2(w.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
        // Captions as the tables give them; the Alt letter ("&") comes on top.
        QCOMPARE(w.RemoveButton()->text().remove(QLatin1Char('&')), QStringLiteral("Retirer"));
        QCOMPARE(w.AddKeywordButton()->text().remove(QLatin1Char('&')), P("Ajouter aux mots cl\xE9s"));
        QCOMPARE(w.KeywordFrame()->title(), P("Mots d\xE9"
                                              "clar\xE9s dans la liste des mots cl\xE9s de cette page :"));
        auto* header = w.KeywordList()->model();
        QCOMPARE(header->headerData(0, Qt::Horizontal).toString(), P("Mots cl\xE9s"));
        QCOMPARE(header->headerData(1, Qt::Horizontal).toString(), P("Utilis\xE9s"));
        QCOMPARE(w.OtherWordList()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Autre mots"));
        QCOMPARE(w.UsualWordList()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nb occurences"));
        for (QPushButton* b : {w.TitleSaveButton(), w.DescriptionSaveButton(), w.RemoveButton(), w.ModifyButton(),
                               w.ManualAddButton(), w.AddKeywordButton(), w.SentenceButton()})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        // The balloon tip, shown over the rows and over the column headers
        // when "pub" is set; none with "bulle|", none without "pub".
        for (ReportListView* list : {w.KeywordList(), w.UsualWordList(), w.OtherWordList()}) {
            QVERIFY(list->toolTip().contains(
                QStringLiteral("Cliquez sur les titres des colonnes pour trier cette liste.")));
            QVERIFY(list->toolTip().contains(P("Vous pouvez d\xE9sactiver cette bulle d'aide")));
            for (QWidget* area : {list->viewport(), list->header()->viewport()}) {
                QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), area->mapToGlobal(QPoint(3, 3)));
                QApplication::sendEvent(area, &help);
                QTRY_VERIFY(QToolTip::isVisible());
                QVERIFY(QToolTip::text().contains(QStringLiteral("Cliquez sur les titres")));
                QToolTip::hideText();
            }
        }
        App.Preferences = "pub|bulle|";
        MainWindow quiet;
        QVERIFY(quiet.KeywordList()->toolTip().isEmpty());
        // Without "pub" (the banner is shown) no tip is attached either.
        App.Preferences = "";
        MainWindow withBanner;
        QVERIFY(withBanner.KeywordList()->toolTip().isEmpty());
        App.Preferences = "pub|";

        CaptionsFit(w);
        // Whole lines in the fixed heights of the fields: two in the title
        // field, three in the description field.
        for (const auto& [field, lines] : {std::pair{w.TitleField(), 2}, std::pair{w.DescriptionField(), 3}}) {
            const int needed =
                lines * field->fontMetrics().lineSpacing() + 2 * int(field->document()->documentMargin());
            QVERIFY2(field->viewport()->height() >= needed, qPrintable(field->objectName()));
        }

        // In English every caption is translated.
        App.Language = "English";
        MainWindow english;
        CaptionsFit(english);
        QCOMPARE(english.RemoveButton()->text().remove(QLatin1Char('&')), QStringLiteral("Withdraw"));
        QCOMPARE(english.KeywordList()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Used"));
        QCOMPARE(english.OtherWordList()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Events"));
        QCOMPARE(english.MenuAction(MainWindow::MenuLanguage)->text().remove(QLatin1Char('&')),
                 P("Choisir la langue fran\xE7"
                   "aise"));
        QCOMPARE(english.windowTitle(), QStringLiteral("Kestrova"));
    }

    void menuHasItsItemsAndShortcuts()
    {
        MainWindow& w = NewWindow();
        struct Expect {
            int id;
            QString text;
            QString shortcut;
        };
        const std::vector<Expect> items = {
            {3, QStringLiteral("Analyser un autre fichier\tCTRL+O"), QStringLiteral("Ctrl+O")},
            {4, QStringLiteral("Analyser une page en ligne\tCTRL+L"), QStringLiteral("Ctrl+L")},
            {5, QStringLiteral("Modifier les zones ''Meta''\tCTRL+M"), QStringLiteral("Ctrl+M")},
            {6, QStringLiteral("Images de la page\tCTRL+I"), QStringLiteral("Ctrl+I")},
            {7, QStringLiteral("Voir le code de la page\tCTRL+U"), QStringLiteral("Ctrl+U")},
            {8, QStringLiteral("Ouvrir la page avec votre navigateur\tCTRL+N"), QStringLiteral("Ctrl+N")},
            {15,
             P("Pertinence des &mots cl\xE9"
               "s\tCTRL+K"),
             QStringLiteral("Ctrl+K")},
            {12, QStringLiteral("Pertinence du site\tCTRL+S"), QStringLiteral("Ctrl+S")},
            {13,
             P("Exporter les donn\xE9"
               "es\tCTRL+E"),
             QStringLiteral("Ctrl+E")},
            {14, QStringLiteral("&Quitter\tCTRL+Q"), QStringLiteral("Ctrl+Q")},
            {16, P("&V\xE9rifier le site\x85\tCTRL+SHIFT+S"), QStringLiteral("Ctrl+Shift+S")},
            {1, QStringLiteral("Choose english language"), QString()},
            {10, QStringLiteral("A propos de ''Kestrova''"), QString()},
            {9, QStringLiteral("Aide\tF1"), QStringLiteral("F1")},
            {2,
             P("Pr\xE9"
               "f\xE9rences\tCTRL+P"),
             QStringLiteral("Ctrl+P")},
            {11, QStringLiteral("Journal des modifications\tCTRL+J"), QStringLiteral("Ctrl+J")},
        };
        for (const Expect& e : items) {
            QAction* action = w.MenuAction(e.id);
            QVERIFY2(action != nullptr, qPrintable(QString::number(e.id)));
            QCOMPARE(action->text().remove(QLatin1Char('&')), QString(e.text).remove(QLatin1Char('&')));
            QCOMPARE(action->shortcut(), QKeySequence(e.shortcut));
            // Items 5 to 8 and the relevance, undo and history wait for a page.
            const bool pageItem = (e.id >= 5 && e.id <= 8) || e.id == MainWindow::MenuKeywordRelevance ||
                                  e.id == MainWindow::MenuUndo || e.id == MainWindow::MenuHistory;
            QCOMPARE(action->isEnabled(), !pageItem);
        }
        // Menu order: "Fichier" then "Infos", items in the order built.
        const QList<QAction*> menus = w.menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("&Fichier"));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Infos"));
        QList<int> order;
        for (QAction* a : menus[0]->menu()->actions())
            order << (a->isSeparator() ? 0 : a->data().toInt());
        QCOMPARE(order, (QList<int>{3, 4, 0, 5, 6, 7, 8, 15, 17, 18, 0, 12, 16, 0, 13, 0, 14}));
        order.clear();
        for (QAction* a : menus[1]->menu()->actions())
            order << (a->isSeparator() ? 0 : a->data().toInt());
        QCOMPARE(order, (QList<int>{1, 0, 10, 9, 2, 0, 11}));
    }

    void fieldsFollowTheirRules()
    {
        MainWindow& w = NewWindow();
        // No page: typing leaves the field empty.
        QTest::keyClicks(w.TitleField(), QStringLiteral("abc"));
        QCOMPARE(w.TitleField()->toPlainText(), QString());
        QVERIFY(!w.TitleSaveButton()->isEnabled());

        const std::string path = Sample("english.html");
        OpenWithKeys(path);
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Sailing club of the bay - racing and sailing school"));
        QVERIFY(!w.TitleSaveButton()->isEnabled());
        // Enter inserts no line break and leaves the caret at the end.
        w.TitleField()->moveCursor(QTextCursor::End);
        QTest::keyClick(w.TitleField(), Qt::Key_Return);
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Sailing club of the bay - racing and sailing school"));
        QCOMPARE(w.TitleField()->textCursor().position(), w.TitleField()->toPlainText().size());
        QVERIFY(!w.TitleSaveButton()->isEnabled());
        QTest::keyClicks(w.TitleField(), QStringLiteral("!"));
        QVERIFY(w.TitleSaveButton()->isEnabled());
        QVERIFY(!w.DescriptionSaveButton()->isEnabled());
        // Back to the loaded text: the button stays enabled.
        QTest::keyClick(w.TitleField(), Qt::Key_Backspace);
        QVERIFY(w.TitleSaveButton()->isEnabled());
        // A pasted text with line breaks loses them.
        w.DescriptionField()->setPlainText(QStringLiteral("one\r\ntwo\nthree"));
        QCOMPARE(w.DescriptionField()->toPlainText(), QStringLiteral("onetwothree"));
        QCOMPARE(w.DescriptionField()->textCursor().position(), 11);
        QVERIFY(w.DescriptionSaveButton()->isEnabled());
    }

    void openPageAndEditKeywords()
    {
        MainWindow& w = NewWindow();
        const std::string path = Sample("index.html");
        const std::string folder = (temp_->Path() / "site/").string();
        const std::string backup = folder + "Sauvegarde/index.html";
        App.Folder = folder;
        App.FileListe = folder + "a.html\r";
        OpenWithKeys(path);
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Ouvrez une page html ou php \xE0 examiner..."));
        QVERIFY(Asked().empty());
        QCOMPARE(Page.CurrentPagePath, path);
        QCOMPARE(App.FileListe, folder + "a.html\r");  // same folder: kept
        QCOMPARE(w.windowTitle(), QStringLiteral("Kestrova - Page \"index.html\""));
        QCOMPARE(w.TitleField()->toPlainText(), P("Voiliers de course et \xE9"
                                                  "cole de voile en Bretagne"));
        QCOMPARE(
            w.DescriptionField()->toPlainText(),
            P("Club nautique de la baie : r\xE9gates, stages de voile et location de voiliers pour tous les \xE2ges."));
        for (int id = 5; id <= 8; ++id)
            QVERIFY(w.MenuAction(id)->isEnabled());
        QVERIFY(w.ManualAddButton()->isEnabled());
        QVERIFY(!w.RemoveButton()->isEnabled());
        QVERIFY(!w.AddKeywordButton()->isEnabled());
        QVERIFY(!w.TitleSaveButton()->isEnabled());

        using Rows = std::vector<std::pair<QString, QString>>;
        const Rows keywords = {
            {QStringLiteral("Bretagne"), QStringLiteral("Oui")},
            {QStringLiteral("catamaran"), QStringLiteral("Oui")},
            {P("croisi\xE8re"), QStringLiteral("Non")},
            {P("\xE9"
               "cole de voile"),
             QStringLiteral("Oui")},
            {P("planche \xE0 voile"), QStringLiteral("Non")},
            {P("r\xE9gates"), QStringLiteral("Oui")},
            {QStringLiteral("voiliers"), QStringLiteral("Oui")},
        };
        QCOMPARE(Shown(w.KeywordList()), keywords);
        ReportListView* other = w.OtherWordList();
        ReportListView* usual = w.UsualWordList();
        QCOMPARE(CountOf(other, QStringLiteral("voiliers/voilier")), QStringLiteral("5"));
        QCOMPARE(CountOf(other, QStringLiteral("kayaks/kayak")), QStringLiteral("2"));
        QCOMPARE(CountOf(other, QStringLiteral("club")), QStringLiteral("6"));
        // "régate" from an alt text and "regate" from an image name share the key.
        QCOMPARE(CountOf(other, P("r\xE9gates/r\xE9gate/regate")), QStringLiteral("6"));
        // "dès" shares the key of "de"; usual words count in attribute texts only.
        QCOMPARE(CountOf(usual, P("de/d\xE8s")), QStringLiteral("6"));
        QCOMPARE(CountOf(usual, QStringLiteral("du")), QStringLiteral("2"));
        QCOMPARE(CountOf(usual, QStringLiteral("le")), QStringLiteral("missing"));
        QCOMPARE(Shown(usual).size(), std::size_t(7));
        QCOMPARE(Shown(other).size(), std::size_t(55));
        QCOMPARE(FindRow(other, QStringLiteral("de")), -1);
        QCOMPARE(FindRow(other, QStringLiteral("bateau")), -1);  // script text is not counted
        // Lists come sorted on the words.
        for (std::size_t r = 1; r < Page.OtherWordList.Rows.size(); ++r)
            QVERIFY(CompareListRows(Page.OtherWordList.Rows[r - 1], Page.OtherWordList.Rows[r],
                                    MakeSortSpec(0, true)) <= 0);

        // A declared word: its detail, and nothing to add.
        ClickRow(other, FindRow(other, QStringLiteral("voiliers/voilier")));
        QCOMPARE(w.SelectedWordSource(), std::string("Mot"));
        QCOMPARE(w.SentenceBox()->text(),
                 P("Mot trouv\xE9 dans : Titre (1) / Balise \"description\" (1) / Nom d'image (1) / Texte (2)\n\n"
                   "Pr\xE9sent dans la liste des mots cl\xE9s."));
        QVERIFY(!w.AddKeywordButton()->isEnabled());
        QVERIFY(w.SentenceButton()->isEnabled());

        // A usual word: the other list loses its selection.
        ClickRow(usual, FindRow(usual, P("de/d\xE8s")));
        QCOMPARE(w.SelectedWordSource(), std::string("Usuel"));
        QCOMPARE(SelectedShown(other), QString());
        QVERIFY(w.AddKeywordButton()->isEnabled());

        // Promote "kayaks/kayak": only "kayaks" becomes a keyword.
        const std::string before = test::ReadAll(path);
        ClickRow(other, FindRow(other, QStringLiteral("kayaks/kayak")));
        QCOMPARE(SelectedShown(usual), QString());
        QCOMPARE(w.SentenceBox()->text(), P("Mot trouv\xE9 dans : Texte (2)\n\nAbsent de la liste des mots cl\xE9s."));
        QVERIFY(w.AddKeywordButton()->isEnabled());
        Tick();
        QTest::mouseClick(w.AddKeywordButton(), Qt::LeftButton);
        QVERIFY(Asked().empty());
        QCOMPARE(SelectedShown(w.KeywordList()), QStringLiteral("kayaks"));
        QCOMPARE(FindRow(w.KeywordList(), QStringLiteral("kayaks")), 4);
        QCOMPARE(Shown(w.KeywordList())[4].second, QStringLiteral("Oui"));
        QVERIFY(w.RemoveButton()->isEnabled());  // a keyword row is selected now
        QVERIFY(w.ModifyButton()->isEnabled());
        std::string page = test::ReadAll(path);
        QCOMPARE(KeywordsOf(page),
                 (std::vector<std::string>{"kayaks", "voiliers", "r&eacute;gates", "&eacute;cole de voile", "catamaran",
                                           "planche &agrave; voile", "croisi&egrave;re", "Bretagne"}));
        QCOMPARE(test::ReadAll(backup), before);
        QVERIFY(JournalText().find(JournalLine(path)) != std::string::npos);
        // The word stays selected; it is now declared.
        QCOMPARE(w.SelectedWordSource(), std::string("Mot"));
        QCOMPARE(SelectedShown(other), QStringLiteral("kayaks/kayak"));
        QVERIFY(!w.AddKeywordButton()->isEnabled());
        QVERIFY(w.SentenceBox()->text().endsWith(P("Pr\xE9sent dans la liste des mots cl\xE9s.")));

        // Rename "planche à voile" to "planche".
        ClickRow(w.KeywordList(), FindRow(w.KeywordList(), P("planche \xE0 voile")));
        QVERIFY(w.ModifyButton()->isEnabled());
        std::string previous = test::ReadAll(path);
        Tick();
        ui::Dialogs.NextInputs.push_back("planche");
        QTest::mouseClick(w.ModifyButton(), Qt::LeftButton);
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Modifier le mot cl\xE9"));
        page = test::ReadAll(path);
        QCOMPARE(KeywordsOf(page),
                 (std::vector<std::string>{"planche", "kayaks", "voiliers", "r&eacute;gates", "&eacute;cole de voile",
                                           "catamaran", "croisi&egrave;re", "Bretagne"}));
        // Two writes ("Sup", then "Ajoute"): the backup is the page between them.
        QCOMPARE(KeywordsOf(test::ReadAll(backup)),
                 (std::vector<std::string>{"kayaks", "voiliers", "r&eacute;gates", "&eacute;cole de voile", "catamaran",
                                           "croisi&egrave;re", "Bretagne"}));
        QVERIFY(JournalText().find(JournalLine(path)) != std::string::npos);
        QCOMPARE(Shown(w.KeywordList())[5], std::make_pair(QStringLiteral("planche"), QStringLiteral("Non")));
        QCOMPARE(SelectedShown(w.KeywordList()), QStringLiteral("planche"));
        // The common reset: no found word is selected any more.
        QCOMPARE(w.SelectedWordSource(), std::string());
        QCOMPARE(SelectedShown(other), QString());
        QCOMPARE(w.SentenceBox()->text(), QString());
        QVERIFY(!w.AddKeywordButton()->isEnabled());

        // Renaming to the same text changes nothing.
        previous = test::ReadAll(path);
        ui::Dialogs.NextInputs.push_back("planche");
        QTest::mouseClick(w.ModifyButton(), Qt::LeftButton);
        QCOMPARE(test::ReadAll(path), previous);

        // Remove "croisière": the row at its place is selected afterwards.
        const int croisiere = FindRow(w.KeywordList(), P("croisi\xE8re"));
        QCOMPARE(croisiere, 2);
        ClickRow(w.KeywordList(), croisiere);
        previous = test::ReadAll(path);
        Tick();
        QTest::mouseClick(w.RemoveButton(), Qt::LeftButton);
        page = test::ReadAll(path);
        QCOMPARE(KeywordsOf(page), (std::vector<std::string>{"planche", "kayaks", "voiliers", "r&eacute;gates",
                                                             "&eacute;cole de voile", "catamaran", "Bretagne"}));
        QCOMPARE(test::ReadAll(backup), previous);
        QVERIFY(JournalText().find(JournalLine(path)) != std::string::npos);
        QCOMPARE(FindRow(w.KeywordList(), P("croisi\xE8re")), -1);
        QCOMPARE(SelectedShown(w.KeywordList()), P("\xE9"
                                                   "cole de voile"));

        // Add keywords by hand: one absent from the page, one present.
        previous = test::ReadAll(path);
        Tick();
        ui::Dialogs.NextInputs.push_back("mouillage");
        QTest::mouseClick(w.ManualAddButton(), Qt::LeftButton);
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Ajouter un mot cl\xE9"));
        QCOMPARE(KeywordsOf(test::ReadAll(path)).front(), std::string("mouillage"));
        QCOMPARE(test::ReadAll(backup), previous);
        QVERIFY(JournalText().find(JournalLine(path)) != std::string::npos);
        ui::Dialogs.NextInputs.push_back("ponton");
        QTest::mouseClick(w.ManualAddButton(), Qt::LeftButton);
        QCOMPARE(KeywordsOf(test::ReadAll(path)).front(), std::string("ponton"));
        const Rows expected = {
            {QStringLiteral("Bretagne"), QStringLiteral("Oui")},
            {QStringLiteral("catamaran"), QStringLiteral("Oui")},
            {P("\xE9"
               "cole de voile"),
             QStringLiteral("Oui")},
            {QStringLiteral("kayaks"), QStringLiteral("Oui")},
            {QStringLiteral("mouillage"), QStringLiteral("Non")},
            {QStringLiteral("planche"), QStringLiteral("Non")},
            {QStringLiteral("ponton"), QStringLiteral("Oui")},
            {P("r\xE9gates"), QStringLiteral("Oui")},
            {QStringLiteral("voiliers"), QStringLiteral("Oui")},
        };
        QCOMPARE(Shown(w.KeywordList()), expected);
        QCOMPARE(SelectedShown(w.KeywordList()), QStringLiteral("ponton"));

        // Cancelled input: nothing changes.
        previous = test::ReadAll(path);
        ui::Dialogs.NextInputs.push_back("");
        QTest::mouseClick(w.ManualAddButton(), Qt::LeftButton);
        QCOMPARE(test::ReadAll(path), previous);
        QCOMPARE(Shown(w.KeywordList()), expected);

        // Removing the last row leaves no row selected; "Retirer" and
        // "Modifier" are disabled again.
        ClickRow(w.KeywordList(), 8);
        QTest::mouseClick(w.RemoveButton(), Qt::LeftButton);
        QCOMPARE(w.KeywordList()->model()->rowCount(), 8);
        QCOMPARE(SelectedShown(w.KeywordList()), QString());
        QVERIFY(!w.RemoveButton()->isEnabled());
        QVERIFY(!w.ModifyButton()->isEnabled());
        QVERIFY(!w.KeywordSelected());

        // A click beside the rows clears the found-word selection (the
        // usual words leave free space below their rows).
        ClickRow(usual, 0);
        QCOMPARE(w.SelectedWordSource(), std::string("Usuel"));
        QTest::mouseClick(usual->viewport(), Qt::LeftButton, {}, QPoint(5, usual->viewport()->height() - 3));
        QCOMPARE(w.SelectedWordSource(), std::string());
        QCOMPARE(SelectedShown(usual), QString());
        QVERIFY(!w.AddKeywordButton()->isEnabled());
        previous = test::ReadAll(path);
        w.AddFoundWordToKeywords();
        QCOMPARE(test::ReadAll(path), previous);

        // Save a new title and description, both at once.
        w.TitleField()->selectAll();
        TypeText(w.TitleField(), P("Stages de voile en \xE9t\xE9"));
        QVERIFY(w.TitleSaveButton()->isEnabled());
        w.DescriptionField()->selectAll();
        TypeText(w.DescriptionField(), QStringLiteral("Location de kayaks & voiliers."));
        QVERIFY(w.DescriptionSaveButton()->isEnabled());
        previous = test::ReadAll(path);
        const std::string beforeTitleSave = previous;
        Tick();
        QTest::mouseClick(w.DescriptionSaveButton(), Qt::LeftButton);
        page = test::ReadAll(path);
        QVERIFY(page.find("<title>Stages de voile en &eacute;t&eacute;</title>") != std::string::npos);
        QVERIFY(page.find("name=\"description\" content=\"Location de kayaks &amp; voiliers.\"") != std::string::npos);
        // Both saved at once are one change: the backup is the page before it.
        QCOMPARE(test::ReadAll(backup), previous);
        QVERIFY(JournalText().find(JournalLine(path)) != std::string::npos);
        // The page was analysed again.
        QCOMPARE(w.TitleField()->toPlainText(), P("Stages de voile en \xE9t\xE9"));
        QCOMPARE(w.DescriptionField()->toPlainText(), QStringLiteral("Location de kayaks & voiliers."));
        QVERIFY(!w.TitleSaveButton()->isEnabled());
        QVERIFY(!w.DescriptionSaveButton()->isEnabled());
        QVERIFY(FindRow(w.OtherWordList(), QStringLiteral("stages")) >= 0);
        QCOMPARE(FindRow(w.OtherWordList(), QStringLiteral("bretagne")), -1);
        QCOMPARE(Shown(w.KeywordList())[0], std::make_pair(QStringLiteral("Bretagne"), QStringLiteral("Non")));

        // Export: the file and the clipboard hold what the export format
        // builds from the window.
        const std::string exportPath = temp_->File("export/Export.txt");
        fs::create_directories(temp_->Path() / "export");
        ui::Dialogs.NextFileNames.push_back(exportPath);
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Export des donn\xE9"
                                                    "es"));
        const kestrova::ExportData expectedExport = BuildExport(MainWindowExportSource(
            "Kestrova - Page \"index.html\"", "Stages de voile en \xE9t\xE9", "Location de kayaks & voiliers."));
        QCOMPARE(test::ReadAll(exportPath), expectedExport.FileBytes);
        QCOMPARE(QGuiApplication::clipboard()->text(), P(expectedExport.ClipboardText));
        QVERIFY(expectedExport.FileBytes.find("ponton\tOui\t\r") != std::string::npos);

        // The journal holds one line for the page.
        const std::string journal = JournalText();
        QCOMPARE(journal.find(path + "|"), journal.rfind(path + "|"));

        // Ctrl+Z (outside the text fields) takes the last change back: the
        // title and description saved together, and the window shows them.
        const std::string saved = test::ReadAll(path);
        QAction* undo = w.MenuAction(MainWindow::MenuUndo);
        QVERIFY(undo != nullptr && undo->isEnabled());
        QCOMPARE(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        w.KeywordList()->setFocus();
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::ReadAll(path), beforeTitleSave);
        QVERIFY(w.TitleField()->toPlainText() != P("Stages de voile en \xE9t\xE9"));
        QCOMPARE(test::ReadAll(backup), saved);

        // The history window lists the versions, newest first, shows the
        // difference of the selected one with the page, and restores it.
        int rows = 0;
        QString shown;
        QString secondAction;
        test::WhenModalOpen(QStringLiteral("PageHistoryWindow"), [&](QDialog* dialog) {
            auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("HistoryList"));
            auto* difference = dialog->findChild<QPlainTextEdit*>(QStringLiteral("HistoryDifference"));
            QVERIFY(list != nullptr && difference != nullptr);
            rows = list->topLevelItemCount();
            QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("annulation"));
            secondAction = list->topLevelItem(1)->text(2);
            list->setCurrentItem(list->topLevelItem(0));
            shown = difference->toPlainText();
            if (const QByteArray shots = qgetenv("KESTROVA_SCREENSHOT_DIR"); !shots.isEmpty())
                QVERIFY(dialog->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/history-fr.png")));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Restaurer")), Qt::LeftButton);
        });
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(rows >= 5);
        QCOMPARE(secondAction, QStringLiteral("titre, description"));
        // The newest version (the page before the undo) against the page:
        // its title goes, the old one comes back.
        bool newTitleRemoved = false;
        for (const QString& line : shown.split(QLatin1Char('\n')))
            newTitleRemoved =
                newTitleRemoved || (line.startsWith(QLatin1Char('-')) &&
                                    line.contains(QStringLiteral("Stages de voile en &eacute;t&eacute;")));
        QVERIFY2(newTitleRemoved, qPrintable(shown));
        // Restored: the saved title again, analysed again.
        QCOMPARE(test::ReadAll(path), saved);
        QCOMPARE(w.TitleField()->toPlainText(), P("Stages de voile en \xE9t\xE9"));
    }

    void exportMatchesHandCheckedText()
    {
        MainWindow& w = NewWindow();
        // Before any page: the caption, empty values and bare headers.
        const std::string emptyPath = temp_->File("export/vide.txt");
        fs::create_directories(temp_->Path() / "export");
        ui::Dialogs.NextFileNames.push_back(emptyPath);
        w.ExportData();
        const std::string emptyText = "Kestrova\r\rTitre de la page : \r\rDescription de la page : \r\r"
                                      "Mots d\xE9"
                                      "clar\xE9s dans la liste des mots cl\xE9s de cette page :\r"
                                      "Mots cl\xE9s\tUtilis\xE9s\t\r\r\r\r"
                                      "Mots trouv\xE9s dans cette page :\rMots usuels\tNb occurences\t\r\r\r\r"
                                      "Autre mots\tNb occurences\t\r\r";
        QCOMPARE(test::ReadAll(emptyPath), " \r\n" + emptyText + "\r\n");
        QCOMPARE(QGuiApplication::clipboard()->text(), P(emptyText));

        // The file name is UTF-8 on disk ("pétit.html"); the caption shows it
        // and the export writes it in Windows-1252.
        const std::string path = temp_->Write(
            "petit/p\xC3\xA9tit.html",
            "<html><head><title>Petit test</title>\r\n<meta name=\"description\" content=\"Une page\">\r\n"
            "<meta name=\"keywords\" content=\"chat, chien\"></head>\r\n<body><p>Le chat dort.</p></body></html>\r\n");
        OpenWithKeys(path);
        QCOMPARE(w.windowTitle(), P("Kestrova - Page \"p\xE9tit.html\""));
        const std::string exportPath = temp_->File("export/petit.txt");
        ui::Dialogs.NextFileNames.push_back(exportPath);
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        const std::string text =
            "Kestrova - Page \"p\xE9tit.html\"\r\rTitre de la page : Petit test\r\r"
            "Description de la page : Une page\r\r"
            "Mots d\xE9"
            "clar\xE9s dans la liste des mots cl\xE9s de cette page :\r"
            "Mots cl\xE9s\tUtilis\xE9s\t\r\rchat\tOui\t\rchien\tNon\t\r\r\r"
            "Mots trouv\xE9s dans cette page :\r"
            "Mots usuels\tNb occurences\t\r\rune\t1\t\r\r\r"
            "Autre mots\tNb occurences\t\r\rchat\t1\t\rdort\t1\t\rpage\t1\t\rpetit\t1\t\rtest\t1\t\r";
        QCOMPARE(test::ReadAll(exportPath), " \r\n" + text + "\r\n");
        QCOMPARE(QGuiApplication::clipboard()->text(), P(text));

        // Rows come in the order the user sorted them last.
        ClickHeader(w.KeywordList(), 1);
        ui::Dialogs.NextFileNames.push_back(exportPath);
        w.ExportData();
        QVERIFY(test::ReadAll(exportPath).find("\r\rchat\tOui\t\rchien\tNon\t\r") != std::string::npos);
        ClickHeader(w.KeywordList(), 0);
        ClickHeader(w.KeywordList(), 1);
        // Cancelled: the file stays as it was.
        const std::string kept = test::ReadAll(exportPath);
        ui::Dialogs.NextFileNames.push_back("");
        w.ExportData();
        QCOMPARE(test::ReadAll(exportPath), kept);
        // A file that cannot be created: nothing is written, nothing shown.
        ui::Dialogs.NextFileNames.push_back(temp_->File("no/such/folder/x.txt"));
        w.ExportData();
        QVERIFY(!fs::exists(temp_->File("no/such/folder/x.txt")));
        QVERIFY(Asked().empty());
    }

    void promotingNeedsAKeywordsTag()
    {
        MainWindow& w = NewWindow();
        const std::string path = temp_->Write(
            "sans/sans.html",
            "<html><head><title>Sans mots</title></head>\r\n<body><p>Un phare blanc.</p></body></html>\r\n");
        OpenWithKeys(path);
        QCOMPARE(w.KeywordList()->model()->rowCount(), 0);
        ClickRow(w.OtherWordList(), FindRow(w.OtherWordList(), QStringLiteral("phare")));
        QVERIFY(w.AddKeywordButton()->isEnabled());

        // The tag may not be created: the page is unchanged and so is the list.
        const std::string before = test::ReadAll(path);
        Answers({ui::YesNoAll::No});
        QTest::mouseClick(w.AddKeywordButton(), Qt::LeftButton);
        QCOMPARE(Asked().size(), std::size_t(1));
        QCOMPARE(Asked()[0].Kind, std::string("yesnoall"));
        QCOMPARE(Asked()[0].Text, std::string("La balise meta ''keywords'' n'existe pas encore dans cette page.\n"
                                              "Voulez-vous la cr\xE9"
                                              "er ?"));
        QCOMPARE(test::ReadAll(path), before);
        QCOMPARE(w.KeywordList()->model()->rowCount(), 0);
        QVERIFY(!w.RemoveButton()->isEnabled());
        QCOMPARE(w.SelectedWordSource(), std::string("Mot"));
        QVERIFY(w.AddKeywordButton()->isEnabled());

        // Created: the keyword is in the page and in the list.
        Tick();
        Answers({ui::YesNoAll::Yes});
        QTest::mouseClick(w.AddKeywordButton(), Qt::LeftButton);
        QCOMPARE(KeywordsOf(test::ReadAll(path)), std::vector<std::string>{"phare"});
        QCOMPARE(Shown(w.KeywordList()),
                 (std::vector<std::pair<QString, QString>>{{QStringLiteral("phare"), QStringLiteral("Oui")}}));
        // The empty tag and the keyword are one change: the backup holds the page as it was.
        QCOMPARE(test::ReadAll(FolderOf(path) + "Sauvegarde/sans.html"), before);
        QVERIFY(JournalText().find(JournalLine(path)) != std::string::npos);
        QVERIFY(!w.AddKeywordButton()->isEnabled());
    }

    void columnClicksSortEveryList()
    {
        MainWindow& w = NewWindow();
        OpenWithKeys(Sample("index.html"));
        ReportListView* other = w.OtherWordList();
        ClickRow(other, FindRow(other, QStringLiteral("kayaks/kayak")));

        // Counts: most frequent first, numerically.
        ClickHeader(other, 1);
        auto rows = Shown(other);
        QVERIFY(rows.size() > 20);
        for (std::size_t r = 1; r < rows.size(); ++r)
            QVERIFY2(rows[r - 1].second.toInt() >= rows[r].second.toInt(), qPrintable(rows[r].first));
        // Equal counts keep their alphabetical order.
        QCOMPARE(rows[0], std::make_pair(QStringLiteral("club"), QStringLiteral("6")));
        QCOMPARE(rows[1], std::make_pair(P("r\xE9gates/r\xE9gate/regate"), QStringLiteral("6")));
        QCOMPARE(rows[2], std::make_pair(QStringLiteral("voiliers/voilier"), QStringLiteral("5")));
        // The selected row stays selected, in view, and the list has the focus.
        QCOMPARE(SelectedShown(other), QStringLiteral("kayaks/kayak"));
        QCOMPARE(Page.OtherWordList.Rows[static_cast<std::size_t>(Page.OtherWordList.Selected)][0],
                 std::string("kayaks/kayak"));
        QVERIFY(other->viewport()->rect().intersects(other->visualRect(other->currentIndex())));
        QVERIFY(other->hasFocus());
        QCOMPARE(w.SelectedWordSource(), std::string("Mot"));

        // Words: ascending, accents folded ("école" among the e).
        ClickHeader(other, 0);
        rows = Shown(other);
        const int ecole = FindRow(other, P("\xE9"
                                           "cole"));
        const int enfants = FindRow(other, QStringLiteral("enfants"));
        const int habitables = FindRow(other, QStringLiteral("habitables"));
        QVERIFY(ecole >= 0 && enfants >= 0 && habitables >= 0);
        QVERIFY(ecole < enfants);
        QVERIFY(enfants < habitables);
        QCOMPARE(rows[0].first, QStringLiteral("accueille"));
        QCOMPARE(rows[1].first, QStringLiteral("adultes"));
        QCOMPARE(rows[2].first, P("\xE2ges"));
        QCOMPARE(SelectedShown(other), QStringLiteral("kayaks/kayak"));

        // The usual words and the keywords sort the same way.
        ReportListView* usual = w.UsualWordList();
        ClickHeader(usual, 1);
        rows = Shown(usual);
        for (std::size_t r = 1; r < rows.size(); ++r)
            QVERIFY(rows[r - 1].second.toInt() >= rows[r].second.toInt());
        QCOMPARE(rows.front().first, P("de/d\xE8s"));
        QCOMPARE(SelectedShown(usual), QString());
        ClickHeader(usual, 0);
        rows = Shown(usual);
        for (std::size_t r = 1; r < rows.size(); ++r)
            QVERIFY(rows[r - 1].first < rows[r].first);

        ClickHeader(w.KeywordList(), 1);
        rows = Shown(w.KeywordList());
        QCOMPARE(rows.front().second, QStringLiteral("Oui"));
        QCOMPARE(rows.back().second, QStringLiteral("Non"));
        QCOMPARE(FindRow(w.KeywordList(), P("croisi\xE8re")), 5);
        ClickHeader(w.KeywordList(), 0);
        QCOMPARE(FindRow(w.KeywordList(), QStringLiteral("Bretagne")), 0);
        QCOMPARE(FindRow(w.KeywordList(), QStringLiteral("voiliers")), 6);
    }

    void removingAKeywordIsUndoneWithCtrlZ()
    {
        MainWindow& w = NewWindow();
        const std::string path = Sample("index.html");
        Answers({});
        OpenWithKeys(path);
        const std::string before = test::ReadAll(path);
        const int row = FindRow(w.KeywordList(), QStringLiteral("catamaran"));
        QVERIFY(row >= 0);
        ClickRow(w.KeywordList(), row);
        Tick();
        QTest::mouseClick(w.RemoveButton(), Qt::LeftButton);
        QVERIFY(test::ReadAll(path) != before);
        QCOMPARE(FindRow(w.KeywordList(), QStringLiteral("catamaran")), -1);
        // No question for "Retirer": Ctrl+Z right after puts it back.
        QVERIFY(Asked().empty());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::ReadAll(path), before);
        QVERIFY(FindRow(w.KeywordList(), QStringLiteral("catamaran")) >= 0);

        // Another program changes the page: undo asks, and "Non" leaves it.
        ClickRow(w.KeywordList(), FindRow(w.KeywordList(), QStringLiteral("catamaran")));
        QTest::mouseClick(w.RemoveButton(), Qt::LeftButton);
        const std::string outside = test::ReadAll(path) + "<!-- autre programme -->\r\n";
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << outside;
        }
        Answers({ui::YesNoAll::No});
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::ReadAll(path), outside);
        QCOMPARE(Asked().size(), std::size_t(1));
        QCOMPARE(Asked()[0].Kind, std::string("yesno"));
        Answers({ui::YesNoAll::Yes});
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::ReadAll(path), before);
    }

    void readOnlyPageCannotBeEdited()
    {
        MainWindow& w = NewWindow();
        const std::string path = Sample("equipage.htm");
        test::LockedFile lock(path);
        if (!lock.Locked())
            QSKIP("cannot make a file unwritable here");
        Answers({ui::YesNoAll::Yes});
        OpenWithKeys(path);
        lock.Unlock();
        // The not-editable message, and no keyword question for a read-only page.
        const auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Kind, std::string("message"));
        QCOMPARE(asked[0].Title, std::string("Attention !"));
        QVERIFY(asked[0].Text.find("Kestrova") != std::string::npos);
        QCOMPARE(w.TitleField()->toPlainText(), P("\xC9quipage et \xE9quipiers du club"));
        QVERIFY(Shown(w.KeywordList()).size() == 6);
        QVERIFY(!w.ManualAddButton()->isEnabled());
        QVERIFY(!w.MenuAction(MainWindow::MenuImages)->isEnabled());
        QVERIFY(!w.MenuAction(MainWindow::MenuUndo)->isEnabled());
        QVERIFY(!w.MenuAction(MainWindow::MenuHistory)->isEnabled());
        QVERIFY(w.MenuAction(MainWindow::MenuMeta)->isEnabled());
        QVERIFY(w.MenuAction(MainWindow::MenuSource)->isEnabled());
        // Typing is allowed, saving is not.
        w.TitleField()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.TitleField(), QStringLiteral(" !"));
        QVERIFY(w.TitleField()->toPlainText().endsWith(QStringLiteral(" !")));
        QVERIFY(!w.TitleSaveButton()->isEnabled());
        // Selections enable nothing.
        ClickRow(w.KeywordList(), 0);
        QVERIFY(!w.RemoveButton()->isEnabled());
        QVERIFY(!w.ModifyButton()->isEnabled());
        ClickRow(w.OtherWordList(), 0);
        QVERIFY(!w.AddKeywordButton()->isEnabled());
        QVERIFY(!w.SentenceButton()->isEnabled());
        QVERIFY(!fs::exists(temp_->Path() / "site/Sauvegarde/equipage.htm"));
    }

    void keywordQuestionAndOtherFiles()
    {
        MainWindow& w = NewWindow();
        const std::string path = Sample("equipage.htm");
        // Raw accents in the keywords: the question, answered no.
        Answers({ui::YesNoAll::No});
        OpenWithKeys(path);
        auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Kind, std::string("yesno"));
        QCOMPARE(test::ReadAll(path),
                 test::ReadAll(std::string(KESTROVA_SOURCE_DIR) + "/resources/dist/Exemple/equipage.htm"));
        QCOMPARE(Shown(w.KeywordList()).front().first, P("croisi\xE8re"));

        // Cancelling the open dialog analyses the shown page again.
        Answers({ui::YesNoAll::No});
        Page.KeywordList.Rows.clear();
        w.KeywordList()->Reload();
        OpenWithKeys("");
        QCOMPARE(Page.CurrentPagePath, path);
        QCOMPARE(Shown(w.KeywordList()).size(), std::size_t(6));

        // A file of another folder empties FileListe.
        App.FileListe = "x.html\r";
        Answers({});
        OpenWithKeys(Sample("galerie/photos.html"));
        QCOMPARE(App.FileListe, std::string());
        QCOMPARE(App.Folder, (temp_->Path() / "site/").string());
        QCOMPARE(Shown(w.KeywordList()).size(), std::size_t(3));
        QCOMPARE(w.DescriptionField()->toPlainText(), QString());

        // A file that is not HTML: the message, an empty view, no page.
        Answers({});
        OpenWithKeys(Sample("notes.txt"));
        asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QVERIFY(asked[0].Text.find("HTML") != std::string::npos);
        QCOMPARE(Page.CurrentPagePath, std::string());
        QCOMPARE(w.KeywordList()->model()->rowCount(), 0);
        QCOMPARE(w.OtherWordList()->model()->rowCount(), 0);
        QVERIFY(!w.ManualAddButton()->isEnabled());
        for (int id = 5; id <= 8; ++id)
            QVERIFY(!w.MenuAction(id)->isEnabled());
        // With no page, the journal item does nothing and cancelling leaves all empty.
        w.MenuAction(MainWindow::MenuJournal)->trigger();
        OpenWithKeys("");
        QCOMPARE(Page.CurrentPagePath, std::string());
        QVERIFY(!w.ManualAddButton()->isEnabled());
    }

    void longAnalysisKeepsTheWindowAlive()
    {
        MainWindow& w = NewWindow();
        std::string big = "<html><head><title>Grande page</title></head><body>\r\n";
        const std::string paragraph = "<p>Le voilier navigue vers le port de plaisance avec son \xE9quipage.</p>\r\n";
        long long paragraphs = 0;
        while (big.size() < 3u * 1024 * 1024) {
            big += paragraph;
            ++paragraphs;
        }
        big += "</body></html>\r\n";
        const std::string path = temp_->Write("grand/grande.html", big);

        // Every reading of the clock moves it on by a millisecond, so the
        // walk "lasts" as long as it reads the clock, whatever the speed of
        // the machine: the progress window opens and events are pumped.
        auto now = std::make_shared<std::atomic<long long>>(0);
        const MonotonicTime origin = std::chrono::steady_clock::now();
        SetMonotonicClock([now, origin] { return origin + std::chrono::milliseconds(now->fetch_add(1) + 1); });

        // A zero timer runs on every pass of the event loop: a tick while
        // the progress window is shown is a pass made during the walk.
        int ticksDuringWalk = 0;
        int lastPercent = -1;
        QTimer timer;
        timer.setInterval(0);
        connect(&timer, &QTimer::timeout, [&] {
            if (ui::WaitWindow.CurrentWaitWindow && ui::WaitWindow.CurrentWaitWindow->isVisible()) {
                ++ticksDuringWalk;
                if (ui::WaitWindow.ProgressBar)
                    lastPercent = ui::WaitWindow.ProgressBar->value();
            }
        });
        timer.start();
        OpenWithKeys(path);
        timer.stop();
        SetMonotonicClock({});
        QVERIFY2(ticksDuringWalk > 0, "no event ran while the progress window was shown");
        QVERIFY(lastPercent >= 0);
        QVERIFY(!ui::WaitWindow.CurrentWaitWindow || !ui::WaitWindow.CurrentWaitWindow->isVisible());
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Grande page"));
        const int row = FindRow(w.OtherWordList(), QStringLiteral("voilier"));
        QVERIFY(row >= 0);
        QCOMPARE(Shown(w.OtherWordList())[static_cast<std::size_t>(row)].second.toLongLong(), paragraphs);
    }

    // Pictures of the window for the documentation, written only when
    // KESTROVA_SCREENSHOT_DIR names a folder.
    void screenshots()
    {
        const QByteArray dir = qgetenv("KESTROVA_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("KESTROVA_SCREENSHOT_DIR is not set");
        struct Shot {
            std::string language;
            const char* page;
            const char* word;
            const char* file;
        };
        for (const Shot& shot : {Shot{French, "index.html", "kayaks/kayak", "main-fr.png"},
                                 Shot{"English", "english.html", "sailing", "main-en.png"}}) {
            App.Language = shot.language;
            MainWindow& w = NewWindow(712, 600);
            OpenWithKeys(Sample(shot.page));
            ClickRow(w.OtherWordList(), FindRow(w.OtherWordList(), QString::fromLatin1(shot.word)));
            ClickRow(w.KeywordList(), 1);
            QTest::qWait(50);
            const QString file = QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromLatin1(shot.file);
            QVERIFY(w.grab().save(file));
        }
    }

    void languageSwitchEndsTheProgram()
    {
        App.Language = "English";
        MainWindow& w = NewWindow();
        Answers({});
        w.MenuAction(MainWindow::MenuLanguage)->trigger();
        QCOMPARE(App.Language, French);
        const auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Title, std::string("Changement de langue"));
        QCOMPARE(asked[0].Text, std::string("Quittez et red\xE9marrez, S.V.P..."));
        QVERIFY(w.QuitRequested());
        QVERIFY(!w.isVisible());

        MainWindow& again = NewWindow();
        Answers({});
        again.MenuAction(MainWindow::MenuLanguage)->trigger();
        QCOMPARE(App.Language, std::string("English"));
        QCOMPARE(Asked().at(0).Title, std::string("Language"));

        MainWindow& third = NewWindow();
        QTest::keyClick(&third, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(third.QuitRequested());
        QVERIFY(!third.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_qtest.moc"
