// Text typed in a window and not saved yet is never dropped without a
// question: the editors (meta tags, images, sentences, page source) ask
// before they close, Escape included, and the main window asks before an
// editor whose changes analyse the page again. Also: a refused image name
// is not left in the name field.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/images_editor.h"
#include "app/main_window.h"
#include "app/meta_tags_editor.h"
#include "app/page_source_viewer.h"
#include "app/sentence_editor.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const std::string PageText = "<html><head><title>Le port</title>"
                             "<meta name=\"description\" content=\"Les barques\">"
                             "<meta name=\"keywords\" content=\"port\"></head>"
                             "<body><p>Le port et les barques.</p><img src=\"a.gif\" alt=\"Vue\"></body></html>";

using ui::SaveChoice;

// Answers the next close question with choice; later questions (a failed
// check leaving the window open) are answered "Ne pas enregistrer" so that
// nothing waits for a user. Returns whether a question came.
bool CloseWith(QWidget* window, SaveChoice choice, bool byEscape = true)
{
    ui::Dialogs.LastQuestion.clear();
    ui::Dialogs.NextSaveChoices = {choice, SaveChoice::Discard, SaveChoice::Discard};
    if (byEscape) {
        QTest::keyClick(window, Qt::Key_Escape);
    } else if (auto* close = window->findChild<QPushButton*>(QStringLiteral("CloseButton"))) {
        close->click();
    } else {
        window->close();
    }
    return !ui::Dialogs.LastQuestion.empty();
}

const std::string TypedTextQuestion = "Le texte saisi n'a pas \xE9t\xE9 enregistr\xE9.\nVoulez-vous l'enregistrer ?";

}  // namespace

class TypedTextTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    ui::QtUi* qtUi_ = nullptr;
    std::string page_;

    void Answers()
    {
        qtUi_->NextAnswers.assign(20, ui::YesNoAll::No);
        qtUi_->Recorded.clear();
    }

private slots:
    void initTestCase() { qtUi_ = &ui::InstallQtUi(); }

    void init()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        test::ResetProgramState(LanguageFrench);
        ui::Dialogs = ui::DialogHooks{};
        Answers();
        page_ = temp_->Write("site/index.htm", PageText);
        temp_->Write("site/a.gif", "GIF89a");
        Page.CurrentPagePath = page_;
    }

    void cleanup()
    {
        ui::Dialogs = ui::DialogHooks{};
        cwd_.reset();
        temp_.reset();
    }

    void metaEditorAsksBeforeClosingWithTypedText()
    {
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), [&](QDialog* w) {
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("MetaList"));
            auto* content = w->findChild<QPlainTextEdit*>(QStringLiteral("MetaContent"));
            QVERIFY(list && content);
            const QList<QTreeWidgetItem*> rows = list->findItems(QStringLiteral("Description"), Qt::MatchExactly);
            QCOMPARE(rows.size(), 1);
            list->setCurrentItem(rows[0]);
            QCOMPARE(content->toPlainText(), QStringLiteral("Les barques"));

            // Nothing typed yet: no question at all would be asked; typed:
            // "Annuler" keeps the window and the text.
            content->moveCursor(QTextCursor::End);
            QTest::keyClicks(content, QStringLiteral(" du port"));
            QVERIFY(CloseWith(w, SaveChoice::Cancel));
            QCOMPARE(ui::Dialogs.LastQuestion, TypedTextQuestion);
            QCOMPARE(ui::Dialogs.LastTitle, std::string("Modifications non enregistr\xE9"
                                                        "es"));
            QVERIFY(w->isVisible());
            QCOMPARE(content->toPlainText(), QStringLiteral("Les barques du port"));
            // The close box asks the same; "Enregistrer" writes, then closes.
            QVERIFY(CloseWith(w, SaveChoice::Save, false));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        QVERIFY(MetaTagsEditor(nullptr));
        QVERIFY(ran);
        QVERIFY(test::ReadAll(page_).find("content=\"Les barques du port\"") != std::string::npos);
    }

    void metaEditorClosesAtOnceWithoutTypedTextAndDropsOnDiscard()
    {
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), [&](QDialog* w) {
            QVERIFY(!CloseWith(w, SaveChoice::Cancel));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        QVERIFY(!MetaTagsEditor(nullptr));
        QVERIFY(ran);

        ran = false;
        test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), [&](QDialog* w) {
            auto* content = w->findChild<QPlainTextEdit*>(QStringLiteral("MetaContent"));
            QTest::keyClicks(content, QStringLiteral("x"));
            QVERIFY(CloseWith(w, SaveChoice::Discard));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        QVERIFY(!MetaTagsEditor(nullptr));
        QVERIFY(ran);
        QCOMPARE(test::ReadAll(page_), PageText);
    }

    void imagesEditorAsksOnEscape()
    {
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* w) {
            auto* alt = w->findChild<QLineEdit*>(QStringLiteral("ImageAlt"));
            QVERIFY(alt);
            QCOMPARE(alt->text(), QStringLiteral("Vue"));
            alt->setFocus();
            alt->end(false);
            QTest::keyClicks(alt, QStringLiteral(" du quai"));
            QVERIFY(CloseWith(w, SaveChoice::Cancel));
            QVERIFY(w->isVisible());
            QCOMPARE(alt->text(), QStringLiteral("Vue du quai"));
            QVERIFY(CloseWith(w, SaveChoice::Save));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        QVERIFY(ImagesEditor(nullptr));
        QVERIFY(ran);
        QVERIFY(test::ReadAll(page_).find("alt=\"Vue du quai\"") != std::string::npos);
    }

    void refusedImageNameIsNotKept()
    {
        Answers();
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* w) {
            auto* name = w->findChild<QLineEdit*>(QStringLiteral("ImageName"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("SaveButton"));
            QVERIFY(name && save);
            // Outside the site folder: refused with a message.
            name->setText(QStringLiteral("/tmp/ailleurs.gif"));
            save->click();
            QCOMPARE(qtUi_->Recorded.size(), std::size_t(1));
            QVERIFY(qtUi_->Recorded[0].Text.find("l'image n'a pas \xE9t\xE9 renomm\xE9") != std::string::npos);
            QCOMPARE(name->text(), QStringLiteral("a.gif"));
            // Nothing typed is left: the window closes without a question.
            QVERIFY(!CloseWith(w, SaveChoice::Cancel));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        QVERIFY(!ImagesEditor(nullptr));
        QVERIFY(ran);
        QCOMPARE(test::ReadAll(page_), PageText);
        QVERIFY(fs::exists(temp_->File("site/a.gif")));
    }

    void sentenceEditorAsksOnEscape()
    {
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("SentenceEditor"), [&](QDialog* w) {
            auto* field = w->findChild<QPlainTextEdit*>(QStringLiteral("SentenceField"));
            QVERIFY(field);
            QVERIFY(field->toPlainText().contains(QStringLiteral("barques")));
            field->moveCursor(QTextCursor::End);
            QTest::keyClicks(field, QStringLiteral(" Z"));
            QVERIFY(CloseWith(w, SaveChoice::Cancel));
            QVERIFY(w->isVisible());
            QVERIFY(CloseWith(w, SaveChoice::Discard, false));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        QVERIFY(!SentenceEditor(nullptr, "barques"));
        QVERIFY(ran);
        QCOMPARE(test::ReadAll(page_), PageText);
    }

    void editorsDoNotAskWhenNothingWasTyped()
    {
        // Texts over several lines in the page, opened and closed without
        // typing: no question.
        page_ =
            temp_->Write("site/lignes.htm", "<html><head><title>Le port</title>"
                                            "<meta name=\"description\" content=\"Les barques\r\ndu port\">"
                                            "</head><body><p>Le port\r\net les barques\r\ndu quai.</p></body></html>");
        Page.CurrentPagePath = page_;
        int opened = 0;
        auto closeAtOnce = [&](QDialog* w) {
            ++opened;
            QVERIFY(!CloseWith(w, SaveChoice::Cancel));
            QVERIFY(!w->isVisible());
        };
        test::WhenModalOpen(QStringLiteral("SentenceEditor"), closeAtOnce);
        QVERIFY(!SentenceEditor(nullptr, "barques"));
        test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), [&](QDialog* w) {
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("MetaList"));
            list->setCurrentItem(list->findItems(QStringLiteral("Description"), Qt::MatchExactly).value(0));
            closeAtOnce(w);
        });
        QVERIFY(!MetaTagsEditor(nullptr));
        test::WhenModalOpen(QStringLiteral("PageSource"), closeAtOnce);
        ShowPageSource(nullptr, page_, fs::path(page_).parent_path().string() + "/");
        QCOMPARE(opened, 3);
    }

    void sourceViewerAsksOnEscapeUntilSaved()
    {
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* w) {
            auto* editor = w->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("Enregistrer"));
            QVERIFY(editor && save);
            editor->moveCursor(QTextCursor::End);
            QTest::keyClicks(editor, QStringLiteral("!"));
            QVERIFY(CloseWith(editor, SaveChoice::Cancel));
            QVERIFY(w->isVisible());
            // Saved with the button: the next Escape closes without asking.
            save->click();
            QVERIFY(!CloseWith(editor, SaveChoice::Cancel));
            QVERIFY(!w->isVisible());
            ran = true;
        });
        ShowPageSource(nullptr, page_, fs::path(page_).parent_path().string() + "/");
        QVERIFY(ran);
        QCOMPARE(test::ReadAll(page_), PageText + "!");
    }

    void mainWindowAsksBeforeAnEditorAnalysesThePageAgain()
    {
        Page = PageState{};
        auto w = std::make_unique<MainWindow>();
        w->resize(712, 600);
        w->show();
        ui::Dialogs.NextFileNames.push_back(page_);
        w->MenuAction(MainWindow::MenuOpenLocal)->trigger();
        QCOMPARE(w->TitleField()->toPlainText(), QStringLiteral("Le port"));
        w->TitleField()->setFocus();
        w->TitleField()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w->TitleField(), QStringLiteral(" de p"));
        w->TitleField()->insertPlainText(QString::fromUtf8("\u00EAche"));  // typed with a compose key
        QVERIFY(w->HasUnsavedText());

        // "Annuler": the editor does not open, the text stays.
        bool opened = false;
        ui::Dialogs.NextSaveChoices = {SaveChoice::Cancel};
        QTimer watch;  // closes an editor that should not have opened
        connect(&watch, &QTimer::timeout, this, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                d->done(QDialog::Rejected);
            }
        });
        watch.start(5);
        w->MenuAction(MainWindow::MenuMeta)->trigger();
        watch.stop();
        QVERIFY(ui::Dialogs.NextSaveChoices.empty());
        QCOMPARE(ui::Dialogs.LastQuestion,
                 std::string("Le titre ou la description de la page a \xE9t\xE9 modifi\xE9 sans \xEAtre "
                             "enregistr\xE9.\nVoulez-vous l'enregistrer ?"));
        QVERIFY(!opened);
        QVERIFY(w->HasUnsavedText());

        // "Enregistrer": the title is written first; the editor's change
        // and the analysis after it keep it.
        ui::Dialogs.NextSaveChoices = {SaveChoice::Save};
        test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), [&](QDialog* d) {
            opened = true;
            auto* list = d->findChild<QTreeWidget*>(QStringLiteral("MetaList"));
            auto* content = d->findChild<QPlainTextEdit*>(QStringLiteral("MetaContent"));
            list->setCurrentItem(list->findItems(QStringLiteral("Description"), Qt::MatchExactly).value(0));
            content->setPlainText(QStringLiteral("Les barques du port"));
            d->findChild<QPushButton*>(QStringLiteral("SaveButton"))->click();
            d->done(QDialog::Rejected);
        });
        w->MenuAction(MainWindow::MenuMeta)->trigger();
        QVERIFY(opened);
        QVERIFY(ui::Dialogs.NextSaveChoices.empty());
        QCOMPARE(w->TitleField()->toPlainText(), QString::fromUtf8("Le port de p\u00EAche"));
        QCOMPARE(w->DescriptionField()->toPlainText(), QStringLiteral("Les barques du port"));
        QVERIFY(!w->HasUnsavedText());
        const std::string now = test::ReadAll(page_);
        QVERIFY(now.find("<title>Le port de p&ecirc;che</title>") != std::string::npos);
        QVERIFY(now.find("content=\"Les barques du port\"") != std::string::npos);

        // "Ne pas enregistrer" before the images editor: the page's title
        // comes back and nothing is written.
        QTest::keyClicks(w->TitleField(), QStringLiteral("s"));
        QVERIFY(w->HasUnsavedText());
        ui::Dialogs.NextSaveChoices = {SaveChoice::Discard};
        opened = false;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* d) {
            opened = true;
            d->done(QDialog::Rejected);
        });
        w->MenuAction(MainWindow::MenuImages)->trigger();
        QVERIFY(opened);
        QCOMPARE(w->TitleField()->toPlainText(), QString::fromUtf8("Le port de p\u00EAche"));
        QCOMPARE(test::ReadAll(page_), now);
        w.reset();
    }
};

QTEST_MAIN(TypedTextTest)
#include "typed_text_qtest.moc"
