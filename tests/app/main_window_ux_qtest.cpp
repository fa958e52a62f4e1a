// Window tests of the main window as a desktop user meets it: what the
// window shows while the analysis asks or reports something, text typed and
// not saved, Qt's own dialogs in French, the keyboard, the focus frame, the
// smallest window, the sort indicator, the "too many words" message and the
// windows the commands open. Dialogs and message boxes are
// answered through the wrappers' queues.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFocusFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "app/report_list.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/dialogs.h"
#include "ui/qt_translations.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const std::string French = "Fran\xE7"
                           "ais";  // "Français"

QString P(const std::string& cp1252)
{
    return ui::FromPage(cp1252);
}

QStringList Words(ReportListView* list)
{
    QStringList words;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        words << list->model()->index(r, 0).data().toString();
    return words;
}

// What the window showed at one moment.
struct Seen {
    QString Caption;
    QString Title;
    QString Description;
    QStringList Keywords;
    int OtherRows = 0;
};

Seen Look(MainWindow& w)
{
    return {w.windowTitle(), w.TitleField()->toPlainText(), w.DescriptionField()->toPlainText(), Words(w.KeywordList()),
            w.OtherWordList()->model()->rowCount()};
}

// The texts of every label and button of a dialog.
QStringList TextsOf(QWidget* dialog)
{
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        texts << label->text().remove(QLatin1Char('&'));
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        texts << button->text().remove(QLatin1Char('&'));
    return texts;
}

}  // namespace

class MainWindowUxTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    std::unique_ptr<MainWindow> window_;
    ui::QtUi* qtUi_ = nullptr;
    test::ScriptedAnswers answers_;

    std::string Sample(const std::string& relative) { return test::CopySamplePage(temp_->Path() / "site", relative); }

    // The next message boxes and questions get these answers (then "Non").
    void Answers(std::initializer_list<ui::YesNoAll> answers) { answers_.Answer(answers); }
    std::vector<ui::QtUi::Shown> Asked() const { return answers_.Asked(); }

    MainWindow& NewWindow(int width = 712, int height = 600) { return test::ShowNewMainWindow(window_, width, height); }

    void OpenWithKeys(const std::string& path)
    {
        // The offscreen platform leaves no window active once a progress
        // window has closed; a desktop gives the activation back.
        if (QApplication::activeWindow() != window_.get()) {
            window_->activateWindow();
            QTRY_VERIFY(QApplication::activeWindow() == window_.get());
        }
        ui::Dialogs.NextFileNames.push_back(path);
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextFileNames.empty());
    }

    // Types at the end of the title field.
    void TypeInTitle(MainWindow& w, const QString& text)
    {
        w.TitleField()->setFocus();
        w.TitleField()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.TitleField(), text);
    }

private slots:
    void initTestCase()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        qtUi_ = &ui::InstallQtUi();
    }

    void init()
    {
        test::ResetProgramState(French);
        ui::Dialogs = ui::DialogHooks{};
        qtUi_->OnAsked = nullptr;
        Answers({});
    }

    void cleanup()
    {
        qtUi_->OnAsked = nullptr;
        window_.reset();
        ui::InstallQtTranslations("English");
    }

    void cleanupTestCase()
    {
        window_.reset();
        cwd_.reset();
        temp_.reset();
    }

    void questionsAndMessagesSeeTheNewPage()
    {
        MainWindow& w = NewWindow();
        OpenWithKeys(Sample("index.html"));
        QCOMPARE(Words(w.KeywordList()).size(), 7);

        // equipage.htm has raw accents in its keywords: the question comes
        // while the window shows that page, not index.html.
        std::vector<Seen> seen;
        qtUi_->OnAsked = [&](const ui::QtUi::Shown&) { seen.push_back(Look(w)); };
        Answers({ui::YesNoAll::No});
        OpenWithKeys(Sample("equipage.htm"));
        QCOMPARE(Asked().size(), std::size_t(1));
        QCOMPARE(Asked()[0].Kind, std::string("yesno"));
        QCOMPARE(seen.size(), std::size_t(1));
        QCOMPARE(seen[0].Caption, QStringLiteral("Kestrova - Page \"equipage.htm\""));
        QCOMPARE(seen[0].Title, P("\xC9quipage et \xE9quipiers du club"));
        QCOMPARE(seen[0].Keywords.size(), 6);
        QVERIFY(seen[0].Keywords.contains(P("croisi\xE8re")));
        QVERIFY(!seen[0].Keywords.contains(QStringLiteral("catamaran")));  // a keyword of index.html
        QVERIFY(seen[0].OtherRows > 0);

        // A file that is not HTML: its message comes with an empty view
        // under the new caption, and no field keeps the page before.
        seen.clear();
        Answers({});
        OpenWithKeys(Sample("notes.txt"));
        QCOMPARE(Asked().size(), std::size_t(1));
        QVERIFY(Asked()[0].Text.find("HTML") != std::string::npos);
        QCOMPARE(seen.size(), std::size_t(1));
        QCOMPARE(seen[0].Caption, QStringLiteral("Kestrova - Page \"notes.txt\""));
        QCOMPARE(seen[0].Title, QString());
        QCOMPARE(seen[0].Description, QString());
        QVERIFY(seen[0].Keywords.isEmpty());
        QCOMPARE(seen[0].OtherRows, 0);
        QCOMPARE(w.TitleField()->toPlainText(), QString());
        QCOMPARE(w.DescriptionField()->toPlainText(), QString());
    }

    void tooManyWordsIsReportedOnceAfterTheListsAreFilled()
    {
        MainWindow& w = NewWindow();
        // About 20 MB of distinct words of visible text: far more than the
        // 10001 rows of the word tables.
        std::string page = "<html><head><title>Mots</title></head><body>\r\n<p>";
        std::string word;
        for (long n = 0; page.size() < 20u * 1024 * 1024; ++n) {
            word.clear();
            for (long v = n; word.empty() || v > 0; v /= 20)
                word += static_cast<char>('b' + v % 20);
            page += word;
            page += (n % 16 == 15) ? "</p>\r\n<p>" : " ";
        }
        page += "</p></body></html>\r\n";
        const std::string path = temp_->Write("grand/mots.html", page);

        int rowsWhenAsked = -1;
        qtUi_->OnAsked = [&](const ui::QtUi::Shown&) { rowsWhenAsked = w.OtherWordList()->model()->rowCount(); };
        Answers({});
        OpenWithKeys(path);
        const auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Kind, std::string("message"));
        QCOMPARE(asked[0].Text, std::string("Le nombre de mots trouv\xE9s dans la page est trop important pour les "
                                            "capacit\xE9s de ce programme !"));
        QVERIFY(rowsWhenAsked > 9000);  // shown beside the filled lists
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Mots"));

        // The next analysis may report it again, once.
        Answers({});
        OpenWithKeys(path);
        QCOMPARE(Asked().size(), std::size_t(1));
    }

    void unsavedTextIsNeverLostSilently()
    {
        MainWindow& w = NewWindow();
        const std::string english = Sample("english.html");
        const std::string original = test::ReadAll(english);
        OpenWithKeys(english);
        const QString loaded = w.TitleField()->toPlainText();

        // Nothing typed: no question.
        QVERIFY(!w.HasUnsavedText());
        TypeInTitle(w, QStringLiteral(" 2027"));
        QVERIFY(w.HasUnsavedText());

        // Quit, cancelled: everything stays.
        ui::Dialogs.NextSaveChoices = {ui::SaveChoice::Cancel};
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextSaveChoices.empty());
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Modifications non enregistr\xE9"
                                                    "es"));
        QVERIFY(w.isVisible());
        QVERIFY(!w.QuitRequested());
        QCOMPARE(w.TitleField()->toPlainText(), loaded + QStringLiteral(" 2027"));
        QVERIFY(w.TitleSaveButton()->isEnabled());

        // Ctrl+O, cancelled: no file dialog, the text stays.
        ui::Dialogs.NextSaveChoices = {ui::SaveChoice::Cancel};
        ui::Dialogs.NextFileNames = {Sample("index.html")};
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(ui::Dialogs.NextFileNames.size(), std::size_t(1));
        QCOMPARE(Page.CurrentPagePath, english);
        QCOMPARE(w.TitleField()->toPlainText(), loaded + QStringLiteral(" 2027"));

        // The language switch, cancelled: same language, the program goes on.
        ui::Dialogs.NextSaveChoices = {ui::SaveChoice::Cancel};
        w.MenuAction(MainWindow::MenuLanguage)->trigger();
        QCOMPARE(App.Language, French);
        QVERIFY(w.isVisible());
        QCOMPARE(w.TitleField()->toPlainText(), loaded + QStringLiteral(" 2027"));
        QCOMPARE(test::ReadAll(english), original);

        // Ctrl+O, then a cancelled file dialog, text dropped: the page is
        // shown again as it is on disk and nothing asks twice.
        ui::Dialogs.NextSaveChoices = {ui::SaveChoice::Discard};
        ui::Dialogs.NextFileNames = {""};
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextFileNames.empty());
        QCOMPARE(w.TitleField()->toPlainText(), loaded);
        QCOMPARE(test::ReadAll(english), original);
        QVERIFY(!w.HasUnsavedText());

        // Typed in the description, then quit with "Enregistrer": the page
        // is written, then the program ends.
        w.DescriptionField()->setFocus();
        w.DescriptionField()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.DescriptionField(), QStringLiteral(" Welcome"));
        ui::Dialogs.NextSaveChoices = {ui::SaveChoice::Save};
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextSaveChoices.empty());
        QVERIFY(w.QuitRequested());
        QVERIFY(!w.isVisible());
        QVERIFY(test::ReadAll(english).find(" Welcome\"") != std::string::npos);

        // No page, nothing to save: no question.
        Page = PageState{};
        MainWindow& again = NewWindow();
        ui::Dialogs = ui::DialogHooks{};
        again.TitleField()->setPlainText(QStringLiteral("x"));  // no page: cleared
        QVERIFY(!again.HasUnsavedText());
        QTest::keyClick(&again, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(again.QuitRequested());
        QVERIFY(ui::Dialogs.LastQuestion.empty());
    }

    void unsavedTextQuestionIsTranslated()
    {
        App.Language = "English";
        MainWindow& w = NewWindow();
        OpenWithKeys(Sample("english.html"));
        TypeInTitle(w, QStringLiteral("!"));
        ui::Dialogs.NextSaveChoices = {ui::SaveChoice::Cancel};
        w.close();
        QVERIFY(w.isVisible());
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Unsaved changes"));
        QCOMPARE(ui::Dialogs.LastQuestion,
                 std::string("The title or the description of the page was changed and not saved.\n"
                             "Do you want to save it?"));
    }

    void qtDialogsSpeakTheLanguageOfTheRun()
    {
        NewWindow();
        for (const std::string& language : {French, std::string("English")}) {
            QVERIFY(ui::InstallQtTranslations(language));
            QStringList texts;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    return;
                texts = TextsOf(dialog);
                dialog->reject();
            });
            // The open dialog, not answered from a queue: Qt's own widgets.
            const std::string chosen =
                ui::AskOpenFileName(window_.get(), "Ouvrez", temp_->Path().string(), "Page Web|*.html");
            QCOMPARE(chosen, std::string());
            QVERIFY2(!texts.isEmpty(), "no file dialog was shown");
            const QString joined = texts.join(QLatin1Char('|'));
            if (language == French) {
                QVERIFY2(joined.contains(QStringLiteral("Annuler")), qPrintable(joined));
                QVERIFY2(joined.contains(QStringLiteral("Nom de fichier")), qPrintable(joined));
                QVERIFY2(!joined.contains(QStringLiteral("Cancel")), qPrintable(joined));
            } else {
                QVERIFY2(joined.contains(QStringLiteral("Cancel")), qPrintable(joined));
                QVERIFY2(joined.contains(QStringLiteral("File name")), qPrintable(joined));
            }
        }
    }

    void smallestWindowKeepsGadgetsApart()
    {
        for (const bool banner : {false, true}) {
            App.Preferences = banner ? "" : "pub|";
            App.BannerOn = banner;
            MainWindow& w = NewWindow(420, 320);
            const QSize least = MainWindow::MinimumInnerSize(banner);
            QCOMPARE(w.minimumSize(), least);
            QVERIFY(w.width() >= least.width() && w.height() >= least.height());
            w.resize(least);
            QCOMPARE(w.size(), least);

            const QRect area = w.centralWidget()->rect();
            const std::vector<QWidget*> gadgets = {
                w.TitleField(),    w.TitleSaveButton(), w.DescriptionField(), w.DescriptionSaveButton(),
                w.KeywordList(),   w.UsualWordList(),   w.OtherWordList(),    w.RemoveButton(),
                w.ModifyButton(),  w.ManualAddButton(), w.AddKeywordButton(), w.SentenceBox(),
                w.SentenceButton()};
            for (std::size_t i = 0; i < gadgets.size(); ++i) {
                QVERIFY2(area.contains(gadgets[i]->geometry()), qPrintable(gadgets[i]->objectName()));
                QVERIFY2(gadgets[i]->height() > 0 && gadgets[i]->width() > 0, qPrintable(gadgets[i]->objectName()));
                for (std::size_t j = i + 1; j < gadgets.size(); ++j)
                    QVERIFY2(!gadgets[i]->geometry().intersects(gadgets[j]->geometry()),
                             qPrintable(gadgets[i]->objectName() + QLatin1Char('/') + gadgets[j]->objectName()));
            }
            // Each gadget inside its frame, the frames apart.
            const std::vector<std::pair<QGroupBox*, std::vector<QWidget*>>> frames = {
                {w.TitleFrame(), {w.TitleField(), w.TitleSaveButton()}},
                {w.DescriptionFrame(), {w.DescriptionField(), w.DescriptionSaveButton()}},
                {w.KeywordFrame(), {w.KeywordList(), w.RemoveButton(), w.ModifyButton(), w.ManualAddButton()}},
                {w.FoundWordsFrame(),
                 {w.UsualWordList(), w.OtherWordList(), w.SentenceBox(), w.AddKeywordButton(), w.SentenceButton()}},
            };
            for (const auto& [frame, inside] : frames) {
                QVERIFY2(area.contains(frame->geometry()), qPrintable(frame->objectName()));
                for (QWidget* gadget : inside)
                    QVERIFY2(frame->geometry().contains(gadget->geometry()),
                             qPrintable(frame->objectName() + QLatin1Char('/') + gadget->objectName()));
                for (const auto& [other, unused] : frames)
                    QVERIFY(other == frame || !other->geometry().intersects(frame->geometry()));
            }
        }
    }

    void keyboardReachesMenusAndShowsTheFocus()
    {
        MainWindow& w = NewWindow();
        auto* file = w.menuBar()->actions().at(0)->menu();
        auto* infos = w.menuBar()->actions().at(1)->menu();

        QTest::keyClick(&w, Qt::Key_F10);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());
        if (w.menuBar()->activeAction() != nullptr)
            QTest::keyClick(w.menuBar(), Qt::Key_Escape);

        QTest::keyClick(&w, Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(infos->isVisible());
        // "&Quitter" keeps its mnemonic: Q in the open "Fichier" menu.
        QTest::keyClick(infos, Qt::Key_Escape);
        QTRY_VERIFY(!infos->isVisible());
        if (w.menuBar()->activeAction() != nullptr)
            QTest::keyClick(w.menuBar(), Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_Q);
        QTRY_VERIFY(w.QuitRequested());

        // The gadget with the focus is framed, and the frame follows it.
        MainWindow& again = NewWindow();
        again.TitleField()->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(again.FocusFrame()->widget(), static_cast<QWidget*>(again.TitleField()));
        QVERIFY(again.FocusFrame()->isVisible());
        QTest::keyClick(again.TitleField(), Qt::Key_Tab);
        QTRY_VERIFY(again.FocusFrame()->widget() != again.TitleField());
        QCOMPARE(again.FocusFrame()->widget(), QApplication::focusWidget());
    }

    void sortIndicatorFollowsTheSortedColumn()
    {
        MainWindow& w = NewWindow();
        for (ReportListView* list : {w.KeywordList(), w.UsualWordList(), w.OtherWordList()})
            QVERIFY(!list->header()->isSortIndicatorShown());
        OpenWithKeys(Sample("index.html"));
        for (ReportListView* list : {w.KeywordList(), w.UsualWordList(), w.OtherWordList()}) {
            QVERIFY(list->header()->isSortIndicatorShown());
            QCOMPARE(list->header()->sortIndicatorSection(), 0);
            QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        }
        ReportListView* other = w.OtherWordList();
        QHeaderView* header = other->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2));
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // The other lists keep theirs.
        QCOMPARE(w.UsualWordList()->header()->sortIndicatorSection(), 0);
    }

    void everyCommandOpensItsWindow()
    {
        MainWindow& w = NewWindow();
        OpenWithKeys(Sample("index.html"));
        struct Command {
            int id;
            const char* window;  // object name of the window it opens
        };
        for (const Command& c :
             {Command{MainWindow::MenuMeta, "MetaTagsEditor"}, Command{MainWindow::MenuImages, "ImagesEditor"},
              Command{MainWindow::MenuSource, "PageSource"}, Command{MainWindow::MenuJournal, "JournalWindow"},
              Command{MainWindow::MenuPreferences, "PreferencesWindow"},
              Command{MainWindow::MenuAbout, "AboutWindow"}}) {
            QAction* action = w.MenuAction(c.id);
            QVERIFY2(action->isEnabled(), qPrintable(action->text()));
            bool opened = false;
            test::WhenModalOpen(QString::fromLatin1(c.window), [&](QDialog* d) {
                opened = true;
                d->done(QDialog::Rejected);
            });
            action->trigger();
            QVERIFY2(opened, c.window);
        }
        // The commands that ask first: the address, the site folder.
        ui::Dialogs.NextInputs = {"http://"};
        w.MenuAction(MainWindow::MenuOpenOnline)->trigger();
        QVERIFY(ui::Dialogs.NextInputs.empty());
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Page en ligne"));
        ui::Dialogs.NextFileNames = {""};
        w.MenuAction(MainWindow::MenuSiteWords)->trigger();
        QVERIFY(ui::Dialogs.NextFileNames.empty());
        // "Modifier la phrase" opens the sentence editor of the selected word.
        ReportListView* other = w.OtherWordList();
        const QModelIndex first = other->model()->index(0, 0);
        QTest::mouseClick(other->viewport(), Qt::LeftButton, {}, other->visualRect(first).center());
        QVERIFY(!w.SentenceBox()->text().isEmpty());
        QVERIFY(w.SentenceButton()->isEnabled());
        bool opened = false;
        test::WhenModalOpen(QStringLiteral("SentenceEditor"), [&](QDialog* d) {
            opened = true;
            QVERIFY(d->windowTitle().contains(first.data().toString()));
            d->done(QDialog::Rejected);
        });
        w.SentenceButton()->click();
        QVERIFY(opened);
    }
};

QTEST_MAIN(MainWindowUxTest)
#include "main_window_ux_qtest.moc"
