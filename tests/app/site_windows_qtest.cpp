// Window tests of the site tools: the site-wide update dialog (ticks, the
// remembered choice, the folder tree, the image preview) and the site word
// statistics (folder choice, progress, the results window and its layout).
// Dialogs are answered through the dialog wrappers' queues; the windows are
// driven through their buttons and keys.
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "analysis/word_tables.h"
#include "app/report_list.h"
#include "app/site_statistics.h"
#include "app/site_wide_update.h"
#include "base/app_state.h"
#include "base/settings.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "site/site_scan.h"
#include "site/site_update.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/text_room.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;

namespace {

std::vector<bool> Ticks(QTreeWidget* list)
{
    std::vector<bool> ticks;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        ticks.push_back(list->topLevelItem(row)->checkState(0) == Qt::Checked);
    return ticks;
}

std::string ReadAllOf(const std::string& path)
{
    return test::ReadAll(path);
}

std::string HtmlPage(const std::string& title, const std::string& body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

}  // namespace

class SiteWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetAppState();
        App.Language = LanguageFrench;
        kestrova::Page = PageState{};
        ResetEditState();
        ResetWordTables();
        ui::InstallQtUi();
        owner = std::make_unique<QWidget>();
        owner->resize(300, 200);
        owner->show();
    }
    void cleanup()
    {
        owner.reset();
        ResetWordTables();
    }

    void siteWideUpdateRemembersTheChoiceUntilACancel()
    {
        const std::string a = dir.Write("site/a.htm", HtmlPage("a", "x"));
        const std::string b = dir.Write("site/b.htm", HtmlPage("b", "x"));
        const std::string c = dir.Write("site/sub/c.htm", HtmlPage("c", "x"));
        const std::string d = dir.Write("site/sub/d.htm", HtmlPage("d", "x"));
        dir.Write("site/notes.txt", "x");
        kestrova::Page.CurrentPagePath = a;
        Edit.YesToAll = true;

        // First use: every page ticked; three chosen with OK.
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* window) {
            QCOMPARE(window->windowTitle(), ui::FromPage("Mettre \xE0 jour toutes les pages du site..."));
            QCOMPARE(window->size(), QSize(640, 300));
            auto* list = window->findChild<QTreeWidget*>(QStringLiteral("SiteFileList"));
            QVERIFY(list);
            QCOMPARE(list->geometry(), QRect(10, 10, 450, 250));
            QCOMPARE(list->headerItem()->text(0), QStringLiteral("Fichiers"));
            QCOMPARE(list->columnWidth(0), 550);
            QCOMPARE(list->topLevelItemCount(), 4);
            QCOMPARE(list->topLevelItem(2)->text(0), ui::FromFileName(c));
            QCOMPARE(Ticks(list), (std::vector<bool>{true, true, true, true}));
            window->findChild<QPushButton*>(QStringLiteral("Aucune"))->click();
            QCOMPARE(Ticks(list), (std::vector<bool>{false, false, false, false}));
            window->findChild<QPushButton*>(QStringLiteral("Toutes"))->click();
            list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
            QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("OK"))->geometry(), QRect(555, 272, 75, 18));
            checked = true;
            window->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        std::string chosen = SiteWideUpdate(owner.get(), "Change\nDossier :", "");
        QVERIFY(checked);
        QCOMPARE(chosen, a + "\r" + c + "\r" + d + "\r");
        QCOMPARE(App.FileListe, chosen);
        QCOMPARE(SiteFileList, chosen);
        QVERIFY(!Edit.YesToAll);
        QCOMPARE(kestrova::Page.CurrentPagePath, a);
        QVERIFY(owner->isEnabled());
        // The whole choice survives the settings file.
        QCOMPARE(DecodeFileListe(EncodeFileListe(App.FileListe)), chosen);

        // The next dialog offers the same choice; Escape cancels and forgets it.
        checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* window) {
            auto* list = window->findChild<QTreeWidget*>(QStringLiteral("SiteFileList"));
            QCOMPARE(Ticks(list), (std::vector<bool>{true, false, true, true}));
            checked = true;
            QTest::keyClick(list, Qt::Key_Escape);
        });
        chosen = SiteWideUpdate(owner.get(), "Change", "");
        QVERIFY(checked);
        QCOMPARE(chosen, std::string());
        QCOMPARE(App.FileListe, std::string());

        // After the cancel every page is ticked again; "Annuler" gives "".
        checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* window) {
            auto* list = window->findChild<QTreeWidget*>(QStringLiteral("SiteFileList"));
            QCOMPARE(Ticks(list), (std::vector<bool>{true, true, true, true}));
            checked = true;
            window->findChild<QPushButton*>(QStringLiteral("Annuler"))->click();
        });
        QCOMPARE(SiteWideUpdate(owner.get(), "Change", ""), std::string());
        QVERIFY(checked);
        (void)b;
    }

    void siteWideUpdatePreviewShowsEachPagesDifferenceAndLetsPagesBeUnticked()
    {
        const std::string a = dir.Write("preview/a.htm", "<html><head>\r\n<meta name=\"robots\" content=\"index\">\r\n"
                                                         "</head><body>a</body></html>");
        const std::string b = dir.Write("preview/b.htm", HtmlPage("b", "x"));
        const std::string c = dir.Write("preview/c.htm", HtmlPage("c", "x"));
        kestrova::Page.CurrentPagePath = a;
        std::vector<std::string> asked;
        const SitePagesPreview preview = [&](const std::vector<std::string>& pages) {
            asked = pages;
            // a and c would change, b not.
            return std::vector<DryRun::Change>{{a, ReadAllOf(a),
                                                "<html><head>\r\n<meta name=\"robots\" content=\"noindex\">\r\n"
                                                "</head><body>a</body></html>"},
                                               {c, ReadAllOf(c), HtmlPage("c", "y")}};
        };
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* window) {
            QCOMPARE(window->size(), QSize(640, 560));
            auto* list = window->findChild<QTreeWidget*>(QStringLiteral("SiteFileList"));
            auto* view = window->findChild<QPlainTextEdit*>(QStringLiteral("PreviewDifference"));
            QVERIFY(list && view);
            QCOMPARE(list->topLevelItemCount(), 3);
            // The first page is selected and its difference shown.
            QCOMPARE(view->toPlainText(), QStringLiteral("--- a.htm\n+++ a.htm\n@@ -1,3 +1,3 @@\n <html><head>\n"
                                                         "-<meta name=\"robots\" content=\"index\">\n"
                                                         "+<meta name=\"robots\" content=\"noindex\">\n"
                                                         " </head><body>a</body></html>\n"
                                                         "\\ No newline at end of file\n"));
            QVERIFY(list->topLevelItem(1)->text(0).endsWith(ui::FromPage("(inchang\xE9"
                                                                         "e)")));
            list->setCurrentItem(list->topLevelItem(1));
            QCOMPARE(view->toPlainText(), QStringLiteral("Cette page ne changera pas."));
            list->setCurrentItem(list->topLevelItem(2));
            QVERIFY(view->toPlainText().contains(QStringLiteral("+<html><head><title>c</title></head><body>y")));
            // Leave c out.
            list->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
            if (const QByteArray shots = qgetenv("KESTROVA_SCREENSHOT_DIR"); !shots.isEmpty())
                QVERIFY(window->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/site-preview-fr.png")));
            checked = true;
            window->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        const std::string chosen = SiteWideUpdate(owner.get(), "Change\nDossier :", "", preview);
        QVERIFY(checked);
        QCOMPARE(asked, (std::vector<std::string>{a, b, c}));
        QCOMPARE(chosen, a + "\r" + b + "\r");
    }

    void siteWideUpdateShowsTheTreeAndAHalvedImage()
    {
        const std::string page = dir.Write("s/one/two/p.htm", HtmlPage("p", "x"));
        const std::string image = dir.File("big.png");
        QImage(800, 600, QImage::Format_RGB32).save(ui::FromFileName(image));
        kestrova::Page.CurrentPagePath = page;
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* window) {
            auto* preview = window->findChild<QLabel*>(QStringLiteral("ImagePreview"));
            QVERIFY(preview);
            QCOMPARE(preview->geometry(), QRect(470, 10, 100, 75));
            QCOMPARE(preview->pixmap().size(), QSize(100, 75));
            auto* text = window->findChild<QLabel*>(QStringLiteral("MessageText"));
            QCOMPARE(text->geometry(), QRect(470, 95, 160, 167));
            // The folder's last three levels, one ". " deeper each.
            const QStringList lines = text->text().split(QLatin1Char('\n'));
            QVERIFY(lines.size() >= 5);
            QCOMPARE(lines[0], QStringLiteral("Dossier :"));
            const int depth = static_cast<int>(lines.size()) - 2;  // levels above "s"
            QCOMPARE(lines[lines.size() - 3], QStringLiteral(". ").repeated(depth - 2) + QStringLiteral("s"));
            QCOMPARE(lines[lines.size() - 2], QStringLiteral(". ").repeated(depth - 1) + QStringLiteral("one"));
            QCOMPARE(lines[lines.size() - 1], QStringLiteral(". ").repeated(depth) + QStringLiteral("two"));
            checked = true;
        });
        SiteWideUpdate(owner.get(), "Dossier :", image);
        QVERIFY(checked);

        // A picture that cannot be read: no preview, the text below its place.
        const std::string broken = dir.Write("broken.png", "not a picture");
        checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* window) {
            QVERIFY(!window->findChild<QLabel*>(QStringLiteral("ImagePreview")));
            QCOMPARE(window->findChild<QLabel*>(QStringLiteral("MessageText"))->geometry(), QRect(470, 20, 160, 242));
            checked = true;
        });
        SiteWideUpdate(owner.get(), "Dossier :", broken);
        QVERIFY(checked);
    }

    void siteStatisticsCancelKeepsTheTable()
    {
        CountWords("ancien", "x", false);
        ui::Dialogs.NextFileNames.push_back("");
        SiteWordStatistics(owner.get());
        QCOMPARE(WordTables.WordForms[0], std::string("ancien"));
        QCOMPARE(ui::Dialogs.LastTitle, std::string("Choisissez le dossier du site"));
    }

    void siteStatisticsScanAndResultsWindow()
    {
        dir.Write("w/a.htm", HtmlPage("maison", "maison maison jardin"));
        dir.Write("w/sub/b.htm", HtmlPage("", "maison"));
        for (int i = 0; i < 5; ++i)
            dir.Write("w/more/p" + std::to_string(i) + ".htm", HtmlPage("soleil", "lune"));
        ui::InitProgressWindowPos();
        const QPoint place = ui::WaitWindow.ProgressWindowPos;
        ui::Dialogs.NextFileNames.push_back(dir.File("w/"));

        // Events run while the pages are counted: a timer sees the progress
        // window, titled with the folder, 110 pixels above its usual place.
        QString progressTitle;
        QPoint progressPos;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (ui::WaitWindow.CurrentWaitWindow && progressTitle.isEmpty()) {
                progressTitle = ui::WaitWindow.CurrentWaitWindow->windowTitle();
                progressPos = ui::WaitWindow.CurrentWaitWindow->pos();
            }
        });
        watch.start();

        bool checked = false;
        test::WhenModalOpen(QStringLiteral("SiteWordStatistics"), [&](QDialog* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Pertinence du site"));
            QCOMPARE(window->size(), QSize(780, 500));
            auto* line = window->findChild<QLabel*>(QStringLiteral("WordCountText"));
            QCOMPARE(line->text(), ui::FromPage("4 mots trouv\xE9s"));
            QCOMPARE(line->geometry(), QRect(10, 10, 760, 28));
            auto* list = window->findChild<ReportListView*>(QStringLiteral("SiteWordList"));
            QVERIFY(list);
            QCOMPARE(list->geometry(), QRect(10, 43, 760, 407));
            QCOMPARE(list->columnWidth(0), 168);
            // 70 pixels, or what "Nb occurences" needs in the header's font.
            QVERIFY(list->columnWidth(1) >= 70);
            QVERIFY(list->columnWidth(1) >= ui::NeededSectionWidth(list->header(), 1));
            // The room it takes comes from the last column: all stay inside the list.
            QVERIFY(list->columnWidth(2) >= 480 && list->columnWidth(2) <= 500);
            QVERIFY(list->header()->length() <= list->viewport()->width());
            auto* model = list->model();
            QCOMPARE(model->rowCount(), 4);
            QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nb occurences"));
            QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("maison"));
            QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("4"));
            QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("a.htm (3) / b.htm (1)"));
            QCOMPARE(model->index(3, 2).data().toString(),
                     QStringLiteral("p0.htm (1) / p1.htm (1) / p2.htm (1) / p3.htm (1) / p4.htm (1)"));
            auto* close = window->findChild<QPushButton*>(QStringLiteral("Fermer"));
            QCOMPARE(close->geometry(), QRect(2 * 246 + 30, 472, 246, 18));
            window->resize(900, 600);
            QCOMPARE(list->columnWidth(2), 620);
            QCOMPARE(list->geometry(), QRect(10, 43, 880, 507));
            QCOMPARE(line->width(), 880);
            QCOMPARE(close->geometry(), QRect(2 * 286 + 30, 572, 286, 18));
            checked = true;
            QTest::keyClick(list, Qt::Key_Escape);
        });
        SiteWordStatistics(owner.get());
        QVERIFY(checked);
        QCOMPARE(progressTitle, QStringLiteral("Analyse du dossier w"));
        QCOMPARE(progressPos, place - QPoint(0, 110));
        QCOMPARE(ui::WaitWindow.ProgressWindowPos, place);  // not moved up for the next scan
        QVERIFY(owner->isEnabled());
        QCOMPARE(SiteWordList.Rows.size(), std::size_t(4));
    }

    void siteStatisticsRefusesTheSystemAndNamesUnreadablePages()
    {
        ui::QtUi& qt = ui::InstallQtUi();
        auto scan = [&](const std::string& folder) {
            qt.NextAnswers.assign(5, ui::YesNoAll::No);
            const std::size_t before = qt.Recorded.size();
            ui::Dialogs.NextFileNames.push_back(folder);
            bool results = false;
            test::WhenModalOpen(QStringLiteral("SiteWordStatistics"), [&](QDialog* window) {
                results = true;
                window->reject();
            });
            SiteWordStatistics(owner.get());
            [&] { QVERIFY(results); }();
            return std::vector<ui::QtUi::Shown>(qt.Recorded.begin() + static_cast<std::ptrdiff_t>(before),
                                                qt.Recorded.end());
        };

        auto shown = scan("/proc");
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].Text,
                 std::string("Ce dossier appartient au syst\xE8me et ne contient pas de pages :\n/proc"));

        // A site read whole: no message.
        dir.Write("v/a.htm", HtmlPage("", "mot"));
        shown = scan(dir.File("v/"));
        QCOMPARE(shown.size(), std::size_t(0));
        QCOMPARE(WordTables.WordForms[0], std::string("mot"));
    }

private:
    test::TempDir dir;
    std::unique_ptr<QWidget> owner;
};

QTEST_MAIN(SiteWindowsTest)
#include "site_windows_qtest.moc"
