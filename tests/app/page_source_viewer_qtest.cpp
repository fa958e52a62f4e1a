// Window tests of the page source viewer: layout and resize, the search
// dialog and search next (case-insensitive in Windows-1252, no
// wrap-around), a UTF-8 page shown, searched and saved as UTF-8, saving byte for byte through the safe change of a
// page, a page changed on disk meanwhile, and a page that cannot be written.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/page_source_viewer.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "page/journal.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "site/page_source.h"
#include "tests/support/locked_file.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

QPushButton* Button(QDialog* window, const char* name)
{
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Types text into the search dialog once it opens and confirms it with
// Return (or cancels it with Escape).
void AnswerSearch(const QString& text, bool confirm = true)
{
    test::WhenModalOpen(QStringLiteral("SearchDialog"), [text, confirm](QDialog* dialog) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("SearchText"));
        field->setText(text);
        QTest::keyClick(field, confirm ? Qt::Key_Return : Qt::Key_Escape);
    });
}

const std::string Html = "<HTML><head>\r\n<title>Caf\xE9 \xC9t\xE9</title>\r\n</head><body>\xE9t\xE9 \xA0 title "
                         "TITLE</body></HTML>";

}  // namespace

class PageSourceViewerTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetAppState();
        App.Language = LanguageFrench;
        kestrova::Page = PageState{};
        ui::InstallQtUi().NextAnswers.clear();
        ui::InstallQtUi().Recorded.clear();
        owner = std::make_unique<QWidget>();
        owner->resize(300, 200);
        owner->show();
        cwd = std::make_unique<test::ScopedCurrentDir>(dir.Path());
    }
    void cleanup()
    {
        cwd.reset();
        owner.reset();
    }

    void layoutResizeAndCaseInsensitiveSearch()
    {
        const std::string page = dir.Write("p.htm", Html);
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Code de p.htm"));
            QCOMPARE(window->size(), QSize(640, 480));
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            QVERIFY(editor->font().fixedPitch());
            QCOMPARE(editor->geometry(), QRect(10, 10, 620, 430));
            QCOMPARE(Button(window, "Rechercher")->text().remove(QLatin1Char('&')), QStringLiteral("Rechercher F5"));
            QCOMPARE(Button(window, "RechercherSuivant")->text().remove(QLatin1Char('&')),
                     QStringLiteral("Rechercher suivant F3"));
            QCOMPARE(Button(window, "Fermer")->geometry(), QRect(3 * 147 + 40, 452, 147, 18));
            QVERIFY(!Button(window, "RechercherSuivant")->isEnabled());
            QVERIFY(!Button(window, "Enregistrer")->isEnabled());
            window->resize(800, 600);
            QCOMPARE(Button(window, "Enregistrer")->geometry(), QRect(2 * 187 + 30, 572, 187, 18));
            QCOMPARE(editor->geometry(), QRect(10, 10, 780, 550));

            // TITLE finds the lower-case title tag.
            AnswerSearch(QStringLiteral("TITLE"));
            Button(window, "Rechercher")->click();
            QCOMPARE(editor->textCursor().selectionStart(), 14);
            QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("title"));
            QVERIFY(Button(window, "RechercherSuivant")->isEnabled());
            // F3 goes on to the next ones; after the last, nothing moves.
            QTest::keyClick(editor, Qt::Key_F3);
            QCOMPARE(editor->textCursor().selectionStart(), 30);
            Button(window, "RechercherSuivant")->click();
            QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("title"));
            const int lastTitle = editor->textCursor().selectionStart();
            Button(window, "RechercherSuivant")->click();
            QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("TITLE"));
            // Past the last one the selection stays and a message says so.
            ui::InstallQtUi().NextAnswers.push_back(ui::YesNoAll::Yes);
            ui::InstallQtUi().Recorded.clear();
            Button(window, "RechercherSuivant")->click();
            QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("TITLE"));
            QVERIFY(editor->textCursor().selectionStart() > lastTitle);
            QCOMPARE(ui::InstallQtUi().Recorded.size(), std::size_t(1));
            QCOMPARE(ui::InstallQtUi().Recorded[0].Text,
                     std::string("Fin de la page : le texte n'a plus \xE9t\xE9 trouv\xE9."));

            // é finds É (F5 opens the dialog); the search starts at the
            // caret, so text already selected there is found again.
            ui::SetTextSelection(editor, 1, 1);
            AnswerSearch(ui::FromPage("\xE9t\xE9"));
            QTest::keyClick(editor, Qt::Key_F5);
            QCOMPARE(editor->textCursor().selectedText(), ui::FromPage("\xC9t\xE9"));
            // A cancelled dialog changes nothing; an empty text disables
            // "Rechercher suivant".
            AnswerSearch(QStringLiteral("zzz"), false);
            Button(window, "Rechercher")->click();
            QCOMPARE(editor->textCursor().selectedText(), ui::FromPage("\xC9t\xE9"));
            QVERIFY(Button(window, "RechercherSuivant")->isEnabled());
            AnswerSearch(QString());
            Button(window, "Rechercher")->click();
            QVERIFY(!Button(window, "RechercherSuivant")->isEnabled());
            checked = true;
            QTest::keyClick(editor, Qt::Key_Escape);
        });
        ShowPageSource(owner.get(), page, dir.Path().string() + "/");
        QVERIFY(checked);
        QVERIFY(owner->isEnabled());
        QCOMPARE(test::ReadAll(page), Html);
        QVERIFY(!kestrova::Page.PageReadOnly);
    }

    void saveIsByteForByteAndSafe()
    {
        const std::string page = dir.Write("s.htm", Html);
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            editor->moveCursor(QTextCursor::End);
            QTest::keyClicks(editor, QStringLiteral("!"));
            QVERIFY(Button(window, "Enregistrer")->isEnabled());
            Button(window, "Enregistrer")->click();
            checked = true;
            Button(window, "Fermer")->click();
        });
        ShowPageSource(owner.get(), page, dir.Path().string() + "/");
        QVERIFY(checked);
        // CR LF line ends, the non-breaking space and the accents kept, no
        // line end added; the old page in the backup folder, a journal line.
        QCOMPARE(test::ReadAll(page), Html + "!");
        QCOMPARE(test::ReadAll(dir.File("Sauvegarde/s.htm")), Html);
        QVERIFY(test::ReadAll(dir.File("Kestrova_log.txt")).find(page + "|") != std::string::npos);
        QVERIFY(!fs::exists(page + "2"));
    }

    void aUtf8PageIsShownSearchedAndSavedAsUtf8()
    {
        // A byte-order mark, CR LF line ends, a character outside the basic
        // plane (two positions in the editor) before the words searched for.
        const std::string html8 = "\xEF\xBB\xBF<html><head><title>\xC3\x89t\xC3\xA9 caf\xC3\xA9</title>\r\n"
                                  "</head><body>\xF0\x9F\x98\x80 \xCE\x9B\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 "
                                  "\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82"
                                  "</body></html>";
        const std::string page = dir.Write("u.htm", html8);
        const QString greek = QString::fromUtf8("\xCE\x9B\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82");  // Λόγος
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            const QString shown = editor->toPlainText();
            QVERIFY(shown.contains(QString::fromUtf8("<title>\xC3\x89t\xC3\xA9 caf\xC3\xA9</title>\n")));
            QVERIFY(shown.contains(greek + QString::fromUtf8(" \xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE ")));

            // é finds É, the first of the two.
            ui::SetTextSelection(editor, 1, 1);
            AnswerSearch(QString::fromUtf8("\xC3\xA9"));
            Button(window, "Rechercher")->click();
            QCOMPARE(editor->textCursor().selectedText(), QString::fromUtf8("\xC3\x89"));
            QCOMPARE(editor->textCursor().selectionStart(),
                     static_cast<int>(shown.indexOf(QStringLiteral("<title>")) + 7));
            // The Greek word in lower case finds its capitalised form, then
            // the lower-case one; positions count the editor's characters.
            AnswerSearch(greek.toLower());
            Button(window, "Rechercher")->click();
            QCOMPARE(editor->textCursor().selectedText(), greek);
            QCOMPARE(editor->textCursor().selectionStart(), static_cast<int>(shown.indexOf(greek)));
            Button(window, "RechercherSuivant")->click();
            QCOMPARE(editor->textCursor().selectedText(), greek.toLower());
            QVERIFY(!SearchNext(editor, "\x0E"
                                        "955"
                                        "\x0F"));  // no λ after the last word

            // A Greek letter typed at the end is saved as UTF-8, the rest of
            // the page byte for byte.
            editor->moveCursor(QTextCursor::End);
            editor->textCursor().insertText(QString::fromUtf8("\xCF\x89"));
            QVERIFY(Button(window, "Enregistrer")->isEnabled());
            Button(window, "Enregistrer")->click();
            checked = true;
            Button(window, "Fermer")->click();
        });
        ShowPageSource(owner.get(), page, dir.Path().string() + "/");
        QVERIFY(checked);
        QCOMPARE(test::ReadAll(page), html8 + "\xCF\x89");
        QCOMPARE(test::ReadAll(dir.File("Sauvegarde/u.htm")), html8);
    }

    void aUtf8PageWithBytesUtf8CannotReadIsNeverSaved()
    {
        // Declared UTF-8, but one byte is not: saving would lose it.
        const std::string bad =
            "<html><head><meta charset=\"utf-8\"></head><body>caf\xE9 \xC3\xA9t\xC3\xA9</body></html>";
        const std::string page = dir.Write("b.htm", bad);
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            QVERIFY(editor->toPlainText().contains(QString::fromUtf8("\xC3\xA9t\xC3\xA9")));
            editor->textCursor().insertText(QStringLiteral("x"));
            QVERIFY(!Button(window, "Enregistrer")->isEnabled());
            checked = true;
        });
        ShowPageSource(owner.get(), page, dir.Path().string() + "/");
        QVERIFY(checked);
        QCOMPARE(test::ReadAll(page), bad);
    }

    void aPageChangedOnDiskIsNotOverwrittenSilently()
    {
        const std::string page = dir.Write("c.htm", Html);
        auto& qtUi = ui::InstallQtUi();
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            QTest::keyClicks(editor, QStringLiteral("A"));
            dir.Write("c.htm", "<html>changed elsewhere</html>");
            qtUi.NextAnswers.push_back(ui::YesNoAll::No);
            Button(window, "Enregistrer")->click();
            QCOMPARE(test::ReadAll(page), std::string("<html>changed elsewhere</html>"));
            QCOMPARE(qtUi.Recorded.size(), std::size_t(1));
            QCOMPARE(qtUi.Recorded[0].Kind, std::string("yesno"));
            qtUi.NextAnswers.push_back(ui::YesNoAll::Yes);
            Button(window, "Enregistrer")->click();
            QCOMPARE(test::ReadAll(page), "A" + Html);
            QCOMPARE(test::ReadAll(dir.File("Sauvegarde/c.htm")), std::string("<html>changed elsewhere</html>"));
            checked = true;
        });
        ShowPageSource(owner.get(), page, dir.Path().string() + "/");
        QVERIFY(checked);
    }

    void aReadOnlyPageKeepsSaveDisabled()
    {
        const std::string page = dir.Write("r.htm", Html);
        test::LockedFile lock(page);
        if (!lock.Locked())
            QSKIP("this file system cannot lock a file");
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            QTest::keyClicks(editor, QStringLiteral("edit"));
            QVERIFY(editor->toPlainText().startsWith(QStringLiteral("edit")));
            QVERIFY(!Button(window, "Enregistrer")->isEnabled());
            checked = true;
        });
        ShowPageSource(owner.get(), page, dir.Path().string() + "/");
        QVERIFY(checked);
        QVERIFY(kestrova::Page.PageReadOnly);
        lock.Unlock();
        QCOMPARE(test::ReadAll(page), Html);
    }

    void theOnlinePageStaysReadOnlyAndIsNeverJournalled()
    {
        // After "Analyser une page en ligne": the page is temp.htm in the
        // current folder, read-only.
        const std::string page = dir.Write("temp.htm", Html);
        kestrova::Page.CurrentPagePath = "temp.htm";
        kestrova::Page.PageReadOnly = true;
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* window) {
            auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("SourceEditor"));
            QTest::keyClicks(editor, QStringLiteral("edit"));
            QVERIFY(!Button(window, "Enregistrer")->isEnabled());
            checked = true;
        });
        ShowPageSource(owner.get(), "temp.htm", dir.Path().string() + "/");
        QVERIFY(checked);
        QVERIFY(kestrova::Page.PageReadOnly);
        // Nor does the engine save it, back it up or journal it.
        PageSource source;
        QVERIFY(LoadPageSource("temp.htm", source));
        QVERIFY(SavePageSource(source, "<html>changed</html>", true) == SourceSaveResult::Failed);
        QCOMPARE(test::ReadAll(page), Html);
        QVERIFY(!fs::exists(dir.File("Sauvegarde/temp.htm")));
        QVERIFY(test::ReadAll(dir.File(JournalFileName)).find("temp.htm") == std::string::npos);
    }

    void anEmptyOrMissingPageOpensNothing()
    {
        const std::string empty = dir.Write("e.htm", "");
        bool opened = false;
        QTimer probe;
        // A viewer that opened would wait for the user: the probe closes it.
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                modal->reject();
            }
        });
        probe.start(0);
        ShowPageSource(owner.get(), empty, dir.Path().string() + "/");
        ShowPageSource(owner.get(), dir.File("missing.htm"), dir.Path().string() + "/");
        QVERIFY(!opened);
        QVERIFY(owner->isEnabled());
    }

private:
    test::TempDir dir;
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<test::ScopedCurrentDir> cwd;
};

QTEST_MAIN(PageSourceViewerTest)
#include "page_source_viewer_qtest.moc"
