// The keyboard in the program's windows: an Alt letter on every button and
// menu item, unique within its window or menu, in both languages; arrow
// keys in a list with nothing selected start at the first row; "Rechercher
// suivant" past the last match says so.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/images_editor.h"
#include "app/main_window.h"
#include "app/meta_tags_editor.h"
#include "app/page_source_viewer.h"
#include "app/report_list.h"
#include "app/sentence_editor.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/alt_letters.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const std::string PageText = "<html><head><title>Le port</title>"
                             "<meta name=\"keywords\" content=\"port, barque, quai\"></head>"
                             "<body><p>Le port et les barques du quai. Le port.</p>"
                             "<img src=\"a.gif\" alt=\"Vue\"></body></html>";

// Checks that every text has a letter and no two share one; returns the
// problems found.
QStringList LetterProblems(const QStringList& texts, const QString& where)
{
    QStringList problems;
    QSet<QChar> seen;
    for (const QString& text : texts) {
        const QChar letter = ui::AltLetterOf(text);
        if (letter.isNull())
            problems << where + QStringLiteral(": no letter in \"") + text + QLatin1Char('"');
        else if (seen.contains(letter))
            problems << where + QStringLiteral(": letter ") + letter + QStringLiteral(" twice, in \"") + text +
                            QLatin1Char('"');
        seen.insert(letter);
    }
    return problems;
}

// The problems of a window: its buttons with the titles of its menu bar,
// then each of its menus.
QStringList WindowLetterProblems(QWidget* window)
{
    QStringList group;
    QList<QMenu*> menus;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* action : bar->actions()) {
            group << action->text();
            if (action->menu())
                menus << action->menu();
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->window() == window && !button->text().isEmpty())
            group << button->text();
    }
    QStringList problems = LetterProblems(group, window->objectName());
    for (QMenu* menu : menus) {
        QStringList items;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items << action->text();
        }
        problems << LetterProblems(items, menu->objectName());
    }
    if (group.size() < 2)
        problems << window->objectName() + QStringLiteral(": no buttons seen");
    return problems;
}

}  // namespace

class WindowKeysTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    ui::QtUi* qtUi_ = nullptr;
    std::string page_;

private slots:
    void initTestCase() { qtUi_ = &ui::InstallQtUi(); }

    void init()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        test::ResetProgramState(LanguageFrench);
        ui::Dialogs = ui::DialogHooks{};
        qtUi_->NextAnswers.assign(20, ui::YesNoAll::No);
        qtUi_->Recorded.clear();
        page_ = temp_->Write("site/index.htm", PageText);
        temp_->Write("site/a.gif", "GIF89a");
    }

    void cleanup()
    {
        cwd_.reset();
        temp_.reset();
    }

    void lettersAreChosenFreeAndKept()
    {
        QString a = QStringLiteral("Enregistrer");
        QString b = QStringLiteral("Enregistrer");
        QString c = QStringLiteral("&Quitter\tCTRL+Q");
        QString d = QStringLiteral("Quitter la fen\u00EAtre");
        QString e = QStringLiteral("Ouvrir\tCTRL+O");
        QString f = QStringLiteral("Q");
        QString g = QStringLiteral("Drag && drop");
        std::vector<QString*> texts = {&a, &b, &c, &d, &e, &f, &g};
        ui::MarkAltLetters(texts);
        QCOMPARE(a, QStringLiteral("&Enregistrer"));
        QCOMPARE(b, QStringLiteral("E&nregistrer"));  // no free word start left
        QCOMPARE(c, QStringLiteral("&Quitter\tCTRL+Q"));
        QCOMPARE(d, QStringLiteral("Quitter &la fen\u00EAtre"));
        QCOMPARE(e, QStringLiteral("&Ouvrir\tCTRL+O"));  // not a letter of the shortcut label
        QCOMPARE(f, QStringLiteral("Q"));                // nothing free: left as it is
        QCOMPARE(g, QStringLiteral("Drag && drop"));     // an "&" of its own: not touched
    }

    void mainWindowHasUniqueLettersInBothLanguages()
    {
        for (const std::string& language : {std::string(LanguageFrench), std::string("English")}) {
            App.Language = language;
            Page = PageState{};
            auto w = std::make_unique<MainWindow>();
            w->resize(712, 600);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            const QStringList problems = WindowLetterProblems(w.get());
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
            // The letter the table gives is kept.
            QCOMPARE(ui::AltLetterOf(w->MenuAction(MainWindow::MenuQuit)->text()), QLatin1Char('q'));
        }
    }

    void editorsHaveUniqueLetters()
    {
        for (const std::string& language : {std::string(LanguageFrench), std::string("English")}) {
            App.Language = language;
            Page.CurrentPagePath = page_;
            QStringList problems;
            auto check = [&](QDialog* d) {
                QVERIFY(QTest::qWaitForWindowExposed(d));
                problems << WindowLetterProblems(d);
                d->done(QDialog::Rejected);
            };
            test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), check);
            MetaTagsEditor(nullptr);
            test::WhenModalOpen(QStringLiteral("ImagesEditor"), check);
            ImagesEditor(nullptr);
            test::WhenModalOpen(QStringLiteral("SentenceEditor"), check);
            SentenceEditor(nullptr, "port");
            test::WhenModalOpen(QStringLiteral("PageSource"), check);
            ShowPageSource(nullptr, page_, fs::path(page_).parent_path().string() + "/");
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        }
    }

    void firstArrowKeySelectsTheFirstRow()
    {
        auto w = std::make_unique<MainWindow>();
        w->resize(712, 600);
        w->show();
        ui::Dialogs.NextFileNames.push_back(page_);
        w->MenuAction(MainWindow::MenuOpenLocal)->trigger();
        ReportListView* list = w->KeywordList();
        QCOMPARE(list->model()->rowCount(), 3);
        QCOMPARE(list->SelectedRow(), -1);
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->SelectedRow(), 0);
        QVERIFY(w->RemoveButton()->isEnabled());
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->SelectedRow(), 1);

        // The same in a found-word list, with Up.
        ReportListView* words = w->OtherWordList();
        words->ClearSelectionQuietly();
        words->setFocus(Qt::TabFocusReason);
        QTest::keyClick(words, Qt::Key_Up);
        QCOMPARE(words->SelectedRow(), 0);
    }

    void firstArrowKeySelectsTheFirstRowOfAnyList()
    {
        // A plain list, as in the journal window and the site-wide choice.
        QTreeWidget list;
        list.setSelectionBehavior(QAbstractItemView::SelectRows);
        for (const char* text : {"a.htm", "b.htm", "c.htm"})
            new QTreeWidgetItem(&list, {QString::fromLatin1(text)});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setFocus(Qt::TabFocusReason);
        QVERIFY(list.selectedItems().isEmpty());
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.selectedItems().size(), 1);
        QCOMPARE(list.indexOfTopLevelItem(list.selectedItems().first()), 0);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.indexOfTopLevelItem(list.selectedItems().first()), 1);
    }

    void searchNextPastTheLastMatchSaysSo()
    {
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* w) {
            auto* editor = w->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            auto* next = w->findChild<QPushButton*>(QStringLiteral("RechercherSuivant"));
            QVERIFY(editor && next);
            // "barques" occurs once.
            test::WhenModalOpen(QStringLiteral("SearchDialog"), [](QDialog* search) {
                search->findChild<QLineEdit*>(QStringLiteral("SearchText"))->setText(QStringLiteral("barques"));
                search->accept();
            });
            w->findChild<QPushButton*>(QStringLiteral("Rechercher"))->click();
            QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("barques"));
            const int at = editor->textCursor().selectionStart();
            qtUi_->Recorded.clear();
            next->click();
            QCOMPARE(qtUi_->Recorded.size(), std::size_t(1));
            QCOMPARE(qtUi_->Recorded[0].Text, std::string("Fin de la page : le texte n'a plus \xE9t\xE9 trouv\xE9."));
            QCOMPARE(editor->textCursor().selectionStart(), at);  // the match stays selected
            ran = true;
            w->done(QDialog::Rejected);
        });
        ShowPageSource(nullptr, page_, fs::path(page_).parent_path().string() + "/");
        QVERIFY(ran);
    }
};

QTEST_MAIN(WindowKeysTest)
#include "window_keys_qtest.moc"
