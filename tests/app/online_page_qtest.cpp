// Window tests of "Analyser une page en ligne" against a web server on
// 127.0.0.1: the address dialog (answered through the dialog wrappers'
// queue), the wait window and its "Interrompre" button, the read-only
// analysis, and the failures.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "app/report_list.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "editing/rewrite_engine.h"
#include "net/http_fetch.h"
#include "page/page_state.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
using test::HttpTestResponse;
namespace fs = std::filesystem;

namespace {

const std::string French = "Fran\xE7"
                           "ais";  // "Français"

// Mixed line ends, as pages from the web come.
const std::string WebPage = "<html>\n<head>\n<title>Le port de p\xEA"
                            "che</title>\r\n"
                            "<meta name=\"description\" content=\"Barques et filets\">\n"
                            "<meta name=\"keywords\" content=\"port, barque, chalutier\">\n</head>\r"
                            "<body><p>Une barque au port, une autre barque.</p></body>\n</html>\n";

const std::string NotEditable = "Ce fichier n'est pas \xE9"
                                "ditable. Les fonctions d'\xE9"
                                "dition et de correction de Kestrova ont \xE9t\xE9 d\xE9sactiv\xE9"
                                "es.";

std::vector<QString> FirstColumn(ReportListView* list)
{
    std::vector<QString> rows;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        rows.push_back(list->model()->index(r, 0).data().toString());
    return rows;
}

void ClickRow(ReportListView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

}  // namespace

class OnlinePageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<test::HttpTestServer> server_;
    ui::QtUi* qtUi_ = nullptr;
    test::ScriptedAnswers answers_;

    void Answers() { answers_.Answer(); }
    std::vector<ui::QtUi::Shown> Asked() const { return answers_.Asked(); }

    MainWindow& NewWindow() { return test::ShowNewMainWindow(window_); }

    // "Analyser une page en ligne" with Ctrl+L, the address dialog answered.
    void OpenOnline(const std::string& typed)
    {
        ui::Dialogs.NextInputs.push_back(typed);
        // The window gets its activation back from the closed wait window
        // through the event queue, later on a busy machine.
        if (!window_->isActiveWindow()) {
            window_->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        }
        QTest::keyClick(window_.get(), Qt::Key_L, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextInputs.empty());
    }

    // Opens an editable local page, with a found word selected, so that the
    // editing buttons are enabled before the online page comes.
    void OpenEditableLocalPage(MainWindow& w)
    {
        const std::string path = temp_->Write("site/local.htm", "<html><head><title>Local</title>"
                                                                "<meta name=\"keywords\" content=\"voile\"></head>"
                                                                "<body>voile et voilier</body></html>");
        ui::Dialogs.NextFileNames.push_back(path);
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        ClickRow(w.OtherWordList(), 0);
        QVERIFY(w.ManualAddButton()->isEnabled());
        QVERIFY(w.SentenceButton()->isEnabled());
        QVERIFY(w.MenuAction(MainWindow::MenuImages)->isEnabled());
    }

    static void VerifyNothingEditable(MainWindow& w)
    {
        for (QPushButton* b : {w.ManualAddButton(), w.AddKeywordButton(), w.RemoveButton(), w.ModifyButton(),
                               w.SentenceButton(), w.TitleSaveButton(), w.DescriptionSaveButton()})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!w.MenuAction(MainWindow::MenuImages)->isEnabled());
        QVERIFY(!w.MenuAction(MainWindow::MenuBrowser)->isEnabled());
    }

private slots:
    void initTestCase()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        qtUi_ = &ui::InstallQtUi();
        SetClock([] { return std::int64_t(1700000000); });
    }

    void init()
    {
        test::ResetProgramState(French);
        SetLastFinalUrl("");
        ui::Dialogs = ui::DialogHooks{};
        server_ = std::make_unique<test::HttpTestServer>();
        Answers();
    }

    void cleanup()
    {
        window_.reset();
        server_.reset();
    }

    void cleanupTestCase()
    {
        SetClock({});
        cwd_.reset();
        temp_.reset();
    }

    void onlinePageIsAnalysedReadOnly()
    {
        MainWindow& w = NewWindow();
        OpenEditableLocalPage(w);
        server_->Route("/port.htm", HttpTestResponse::Page(WebPage));
        Answers();
        // Typed without its scheme.
        OpenOnline(server_->HostPort() + "/port.htm");
        const std::string address = server_->Url("/port.htm");

        QCOMPARE(ui::Dialogs.LastTitle, std::string("Page en ligne"));
        QCOMPARE(server_->Requests().size(), std::size_t(1));
        const auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Title, std::string("Attention !"));
        QCOMPARE(asked[0].Text, NotEditable);

        QCOMPARE(w.windowTitle(), ui::FromPage("Kestrova - Page \"" + address + "\""));
        QCOMPARE(w.TitleField()->toPlainText(), ui::FromPage("Le port de p\xEA"
                                                             "che"));
        QCOMPARE(w.DescriptionField()->toPlainText(), QStringLiteral("Barques et filets"));
        QCOMPARE(FirstColumn(w.KeywordList()),
                 (std::vector<QString>{QStringLiteral("barque"), QStringLiteral("chalutier"), QStringLiteral("port")}));
        QVERIFY(FirstColumn(w.OtherWordList()).size() > 3);
        QCOMPARE(Page.CurrentPagePath, std::string("temp.htm"));
        QVERIFY(Page.PageReadOnly);
        const std::string kept = test::ReadAll((temp_->Path() / "temp.htm").string());
        QVERIFY(kept.find("</title>\r\n<meta") != std::string::npos);
        QVERIFY(kept.find("</head>\r\n<body>") != std::string::npos);

        VerifyNothingEditable(w);
        QVERIFY(w.MenuAction(MainWindow::MenuMeta)->isEnabled());
        QVERIFY(w.MenuAction(MainWindow::MenuSource)->isEnabled());
        // Selections enable nothing, typing saves nothing.
        ClickRow(w.KeywordList(), 0);
        ClickRow(w.OtherWordList(), 0);
        w.TitleField()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.TitleField(), QStringLiteral(" !"));
        VerifyNothingEditable(w);
        // The wait window is gone.
        QVERIFY(ui::WaitWindow.AbortButton.isNull());
        QVERIFY(w.isEnabled());
        QVERIFY(!PageFetchBusy.load());
    }

    void unreadableAddressKeepsTheView()
    {
        MainWindow& w = NewWindow();
        server_->Route("/port.htm", HttpTestResponse::Page(WebPage));
        OpenOnline(server_->Url("/port.htm"));
        const auto keywords = FirstColumn(w.KeywordList());
        QCOMPARE(keywords.size(), std::size_t(3));

        // A status error: reported once, then the unreadable address.
        Answers();
        OpenOnline(server_->Url("/missing.htm"));
        auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].Title, std::string("Erreur"));
        QVERIFY(
            asked[0].Text.find("/missing.htm : le serveur a r\xE9pondu par l'erreur HTTP 404. (Erreur N\xB0 / Error "
                               "N# 22)") != std::string::npos);
        QCOMPARE(asked[1].Title, std::string("Attention !"));
        QCOMPARE(asked[1].Text, std::string("Impossible de lire l'URL fournie !"));
        // The online page shown before is still the current page.
        QCOMPARE(Page.CurrentPagePath, std::string("temp.htm"));
        QCOMPARE(FirstColumn(w.KeywordList()), keywords);
        QVERIFY(w.MenuAction(MainWindow::MenuMeta)->isEnabled());
        QVERIFY(w.MenuAction(MainWindow::MenuSource)->isEnabled());
        VerifyNothingEditable(w);

        // A cancelled dialog asks for "http://": nothing is fetched.
        Answers();
        OpenOnline("");
        asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Text, std::string("Impossible de lire l'URL fournie !"));

        // The dialog's text left as it was: nothing happens at all.
        Page.CurrentPagePath = "temp.htm";
        Answers();
        OpenOnline("http://");
        QVERIFY(Asked().empty());
        QCOMPARE(Page.CurrentPagePath, std::string("temp.htm"));
        QCOMPARE(server_->Requests().size(), std::size_t(2));
    }

    void failedFetchLeavesTheWindowAsItWas()
    {
        MainWindow& w = NewWindow();
        OpenEditableLocalPage(w);
        ClickRow(w.KeywordList(), 0);
        QVERIFY(w.RemoveButton()->isEnabled());
        const std::string local = Page.CurrentPagePath;
        const QString caption = w.windowTitle();
        const QString sentence = w.SentenceBox()->text();
        const std::vector<QString> keywords = FirstColumn(w.KeywordList());
        const std::vector<QString> others = FirstColumn(w.OtherWordList());
        std::vector<bool> menu;
        for (int id = MainWindow::MenuLanguage; id <= MainWindow::MenuQuit; ++id)
            menu.push_back(w.MenuAction(id)->isEnabled());
        std::vector<bool> buttons;
        const std::vector<QPushButton*> all = {w.ManualAddButton(),      w.AddKeywordButton(), w.RemoveButton(),
                                               w.ModifyButton(),         w.SentenceButton(),   w.TitleSaveButton(),
                                               w.DescriptionSaveButton()};
        for (QPushButton* b : all)
            buttons.push_back(b->isEnabled());

        Answers();
        OpenOnline(server_->Url("/missing.htm"));
        QCOMPARE(Asked().back().Text, std::string("Impossible de lire l'URL fournie !"));

        // Page, caption, fields, lists and commands as before the attempt.
        QCOMPARE(Page.CurrentPagePath, local);
        QVERIFY(!Page.PageReadOnly);
        QCOMPARE(Page.PageTitle, std::string("Local"));
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Local"));
        QCOMPARE(w.SentenceBox()->text(), sentence);
        QCOMPARE(FirstColumn(w.KeywordList()), keywords);
        QCOMPARE(FirstColumn(w.OtherWordList()), others);
        for (int id = MainWindow::MenuLanguage; id <= MainWindow::MenuQuit; ++id)
            QVERIFY2(w.MenuAction(id)->isEnabled() == menu[static_cast<std::size_t>(id - MainWindow::MenuLanguage)],
                     qPrintable(w.MenuAction(id)->objectName()));
        for (std::size_t i = 0; i < all.size(); ++i)
            QVERIFY2(all[i]->isEnabled() == buttons[i], qPrintable(all[i]->objectName()));

        // Typing in the title adds to it (it used to wipe the field) and
        // may be saved; the keyword commands still follow the selection.
        w.TitleField()->setFocus();
        w.TitleField()->moveCursor(QTextCursor::End);
        QTest::keyClicks(w.TitleField(), QStringLiteral("e"));
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Locale"));
        QVERIFY(w.TitleSaveButton()->isEnabled());
        QVERIFY(w.HasUnsavedText());
        w.KeywordList()->ClearSelectionQuietly();
        w.WatchKeywordSelection();
        QVERIFY(!w.RemoveButton()->isEnabled());
    }

    void abortButtonEndsTheWait()
    {
        MainWindow& w = NewWindow();
        HttpTestResponse stalled = HttpTestResponse::Page("<html>");
        stalled.AnnouncedLength = 100;
        stalled.Stall = true;
        server_->Route("/stall.htm", stalled);

        // The user clicks "Interrompre" once the server was asked.
        bool clicked = false;
        QTimer clicker;
        connect(&clicker, &QTimer::timeout, this, [&] {
            if (!clicked && ui::WaitWindow.AbortButton && !server_->Requests().empty()) {
                QCOMPARE(ui::WaitWindow.ProgressText->text(),
                         ui::FromPage("Attente de la page " + server_->Url("/stall.htm") + "..."));
                QTest::mouseClick(ui::WaitWindow.AbortButton, Qt::LeftButton);
                clicked = true;
            }
        });
        clicker.start(10);
        OpenOnline("http://http://" + server_->HostPort() + "/stall.htm");
        clicker.stop();

        QVERIFY(clicked);
        const auto asked = Asked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Text, std::string("Impossible de lire l'URL fournie !"));
        QCOMPARE(server_->Requests().size(), std::size_t(1));
        QVERIFY(server_->WaitForStallsEndedByClient(1));
        QCOMPARE(Page.CurrentPagePath, std::string());
        QVERIFY(ui::WaitWindow.AbortButton.isNull());
        QVERIFY(w.isEnabled());
    }

    void keyPressIsHandledWhileThePageHangs()
    {
        MainWindow& w = NewWindow();
        HttpTestResponse stalled = HttpTestResponse::Page("<html>");
        stalled.AnnouncedLength = 100;
        stalled.Stall = true;
        server_->Route("/hang.htm", stalled);

        // While the server holds the connection, Space is pressed on the
        // wait window's button: a queued key event, handled only by an event
        // loop that runs.
        qint64 handled = -1;
        bool pressed = false;
        QElapsedTimer clock;
        QTimer presser;
        connect(&presser, &QTimer::timeout, this, [&] {
            if (pressed || !ui::WaitWindow.AbortButton || server_->Requests().empty())
                return;
            pressed = true;
            QPointer<QPushButton> button = ui::WaitWindow.AbortButton;
            clock.start();
            QCoreApplication::postEvent(
                button, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
            QCoreApplication::postEvent(
                button, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
        });
        // The fetch's own event pumping handles the queued key; this timer
        // of the same pumping notes when.
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (pressed && handled < 0 && ui::Ui().AbortRequested())
                handled = clock.elapsed();
        });
        watch.start(1);
        presser.start(10);
        OpenOnline(server_->Url("/hang.htm"));
        presser.stop();
        watch.stop();

        QVERIFY(pressed);
        qInfo("key press handled %lld ms after it was sent, while the page hung", handled);
        // A frozen window would wait for the 30 s inactivity limit.
        QVERIFY2(handled >= 0 && handled < 2000, qPrintable(QString::number(handled)));
        QCOMPARE(server_->Requests().size(), std::size_t(1));
        QVERIFY(server_->WaitForStallsEndedByClient(1));
        QVERIFY(w.isEnabled());
    }
};

QTEST_MAIN(OnlinePageTest)
#include "online_page_qtest.moc"
