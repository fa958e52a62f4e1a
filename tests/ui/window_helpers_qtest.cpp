// Window tests of the shared window helpers, the question window, the Qt
// implementation of the UI port and the dialog wrappers.
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <chrono>
#include <functional>
#include <thread>

#include "base/clock.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "tests/support/temp_site.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"
#include "ui/yes_no_all_dialog.h"

using namespace kestrova;
using namespace kestrova::ui;

namespace {

// A key event as the window system delivers it, auto-repeat flag included.
void WindowKey(QWidget* window, QEvent::Type type, int key, bool autoRepeat)
{
    qt_handleKeyEvent(window->windowHandle(), type, key, Qt::NoModifier, QString(), autoRepeat);
}

// Runs `act` on the modal window once the event loop of the code under test runs.
void WhenModalShown(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
    });
}

QPushButton* ButtonByText(QWidget* window, const QString& text)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

QByteArray Encode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        return {};
    return bytes;
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class WindowHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        FlushDeletes();
        QVERIFY(!WaitWindow.CurrentWaitWindow);
    }

    void textConversions()
    {
        QCOMPARE(FromPage("Caf\xE9 \x80 \x9C"), QStringLiteral(u"Café € œ"));
        QCOMPARE(ToPage(QStringLiteral(u"Café € œ")), std::string("Caf\xE9 \x80 \x9C"));
        QCOMPARE(ToPage(QStringLiteral(u"Я-ok")), std::string("?-ok"));
        std::string out = "x";
        QVERIFY(!ToPageStrict(QStringLiteral(u"Я"), out));
        QVERIFY(out.empty());
        QVERIFY(ToPageStrict(QStringLiteral(u"élan"), out));
        QCOMPARE(out, std::string("\xE9lan"));
        const std::string utf8Name = "/tmp/d\xC3\xA9j\xC3\xA0.htm";  // "déjà" in UTF-8 bytes
        QCOMPARE(FromFileName(utf8Name), QStringLiteral(u"/tmp/déjà.htm"));
        QCOMPARE(ToFileName(FromFileName(utf8Name)), utf8Name);
    }

    void childWindowDisablesAndReenablesOwner()
    {
        QWidget owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QPointer<QDialog> child = OpenChildWindow(&owner, 30, 40, 220, 90, WindowCaption | WindowCloseBox, "Caf\xE9");
        QVERIFY(child);
        QVERIFY(!owner.isEnabled());
        QVERIFY(child->isEnabled());
        QCOMPARE(child->windowTitle(), QStringLiteral(u"Café"));
        QCOMPARE(child->size(), QSize(220, 90));
        QCOMPARE(child->minimumSize(), child->maximumSize());  // no sizing border
        QCOMPARE(child->pos(), QPoint(30, 40));
        QVERIFY(child->isModal());
        child->show();
        QVERIFY(QTest::qWaitForWindowExposed(child));
        QCOMPARE(child->windowHandle()->transientParent(), owner.windowHandle());

        CloseChildWindow(child, &owner);
        QVERIFY(owner.isEnabled());
        QVERIFY(child->isHidden());
        FlushDeletes();
        QVERIFY(!child);

        CloseChildWindow(nullptr, &owner);  // nothing to do
        QVERIFY(owner.isEnabled());

        // Without an owner nothing is disabled; a sizing border lets it resize.
        QPointer<QDialog> free =
            OpenChildWindow(nullptr, 0, 0, 300, 200, WindowCaption | WindowSizingBorder | WindowCentred, "t");
        QVERIFY(free->minimumSize() != free->maximumSize());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(free->geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(free->geometry().center().y() - screen.center().y()) <= 1);
        CloseChildWindow(free, nullptr);
        FlushDeletes();
        QVERIFY(!free);
    }

    void keyHeldWhenOpeningDoesNotActOnTheNewWindow()
    {
        QDialog owner;
        auto* ownerOk = new QPushButton(QStringLiteral("OK"), &owner);
        ownerOk->setDefault(true);
        QSignalSpy ownerClicks(ownerOk, &QPushButton::clicked);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        QDialog* child = OpenChildWindow(&owner, 0, 0, 200, 80, WindowCaption | WindowCloseBox | WindowCentred, "t");
        auto* ok = new QPushButton(QStringLiteral("OK"), child);
        ok->setDefault(true);
        QSignalSpy clicks(ok, &QPushButton::clicked);
        child->show();
        child->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(child));

        // Enter and Escape held down from before the window opened.
        WindowKey(child, QEvent::KeyPress, Qt::Key_Return, true);
        WindowKey(child, QEvent::KeyPress, Qt::Key_Enter, true);
        WindowKey(child, QEvent::KeyPress, Qt::Key_Escape, true);
        WindowKey(child, QEvent::KeyRelease, Qt::Key_Return, false);
        QCOMPARE(clicks.count(), 0);
        QVERIFY(child->isVisible());

        // A fresh press of Enter acts, and its own auto-repeat too.
        WindowKey(child, QEvent::KeyPress, Qt::Key_Return, false);
        QCOMPARE(clicks.count(), 1);
        WindowKey(child, QEvent::KeyPress, Qt::Key_Return, true);
        QCOMPARE(clicks.count(), 2);
        WindowKey(child, QEvent::KeyRelease, Qt::Key_Return, false);
        // Escape, still held, does not close the window.
        WindowKey(child, QEvent::KeyPress, Qt::Key_Escape, true);
        QVERIFY(child->isVisible());

        // The Enter that closes the child does not act on the owner either.
        CloseChildWindow(child, &owner);
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        WindowKey(&owner, QEvent::KeyPress, Qt::Key_Return, true);
        WindowKey(&owner, QEvent::KeyRelease, Qt::Key_Return, false);
        QCOMPARE(ownerClicks.count(), 0);
        WindowKey(&owner, QEvent::KeyPress, Qt::Key_Return, false);
        QCOMPARE(ownerClicks.count(), 1);
    }

    void progressWindowReopensWhereTheUserMovedIt()
    {
        QWidget owner;
        owner.show();
        InitProgressWindowPos();
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(WaitWindow.ProgressWindowPos, QPoint(screen.width() / 2 - 200, screen.height() / 2 - 100));

        QDialog* progress = OpenProgressWindow(&owner, "Analyse");
        QVERIFY(progress && progress->isVisible());
        QVERIFY(!owner.isEnabled());
        QCOMPARE(WaitWindow.CurrentWaitWindow.data(), progress);
        QCOMPARE(progress->pos(), WaitWindow.ProgressWindowPos);
        QCOMPARE(progress->size(), QSize(400, 70));
        QVERIFY(WaitWindow.ProgressText && WaitWindow.ProgressBar);
        QVERIFY(!WaitWindow.AbortButton);
        QCOMPARE(WaitWindow.ProgressText->geometry(), QRect(10, 8, 381, 40));
        QCOMPARE(WaitWindow.ProgressBar->geometry(), QRect(5, 58, 390, 10));
        QCOMPARE(WaitWindow.ProgressBar->maximum(), 100);
        QVERIFY(!(progress->windowFlags() & Qt::WindowCloseButtonHint));

        // No close box: neither Escape nor a close request ends it.
        QTest::keyClick(progress, Qt::Key_Escape);
        progress->close();
        QVERIFY(progress->isVisible());

        progress->move(123, 77);
        CloseChildWindow(progress, &owner);
        QVERIFY(owner.isEnabled());
        QCOMPARE(WaitWindow.ProgressWindowPos, QPoint(123, 77));
        QVERIFY(!WaitWindow.ProgressText && !WaitWindow.ProgressBar);

        // Another child window closing elsewhere leaves the position alone.
        QDialog* other = OpenChildWindow(&owner, 5, 5, 100, 100, WindowCaption, "x");
        CloseChildWindow(other, &owner);
        QCOMPARE(WaitWindow.ProgressWindowPos, QPoint(123, 77));

        QDialog* again = OpenProgressWindow(&owner, "Analyse");
        QCOMPARE(again->pos(), QPoint(123, 77));
        CloseChildWindow(again, &owner);
    }

    void abortButtonSetsAbortRequested()
    {
        QtUi ui;
        QWidget owner;
        owner.show();
        QDialog* wait = OpenAbortableWaitWindow(&owner, "Chargement", "Caf\xE9 en cours");
        QVERIFY(wait->isVisible());
        QCOMPARE(wait->size(), QSize(400, 110));
        QCOMPARE(WaitWindow.ProgressText->text(), QStringLiteral(u"Café en cours"));
        QCOMPARE(WaitWindow.ProgressText->geometry(), QRect(10, 8, 381, 75));
        QVERIFY(WaitWindow.AbortButton);
        QCOMPARE(WaitWindow.AbortButton->text(), Tr("Interrompre"));
        QCOMPARE(WaitWindow.AbortButton->geometry(), QRect(20, 85, 360, 20));
        QVERIFY(!ui.AbortRequested());
        QTest::mouseClick(WaitWindow.AbortButton, Qt::LeftButton);
        QVERIFY(ui.AbortRequested());
        CloseChildWindow(wait, &owner);
        QVERIFY(!WaitWindow.AbortButton);
        QVERIFY(!ui.AbortRequested());

        // The close box asks to stop too; the window stays until closed by its caller.
        wait = OpenAbortableWaitWindow(&owner, "Chargement", "x");
        QVERIFY(!ui.AbortRequested());
        wait->close();
        QVERIFY(wait->isVisible());
        QVERIFY(ui.AbortRequested());
        CloseChildWindow(wait, &owner);
    }

    void selectionHelpers()
    {
        QLineEdit line(QStringLiteral("abcdef"));
        SetTextSelection(&line, 2, 4);
        QCOMPARE(line.selectedText(), QStringLiteral("bc"));
        QCOMPARE(GetSelectionStart(&line), 1);
        SetTextSelection(&line, 3, 3);
        QVERIFY(!line.hasSelectedText());
        QCOMPARE(GetSelectionStart(&line), 2);
        SetTextSelection(&line, 5, 100);
        QCOMPARE(line.selectedText(), QStringLiteral("ef"));

        QPlainTextEdit plain;
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("ligne %1\n").arg(i, 3, 10, QLatin1Char('0'));
        plain.setPlainText(text);
        plain.resize(200, 100);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        const int at = static_cast<int>(text.indexOf(QStringLiteral("ligne 350")));
        SetTextSelection(&plain, at + 1, at + 10);
        QCOMPARE(plain.textCursor().selectedText(), QStringLiteral("ligne 350"));
        QCOMPARE(GetSelectionStart(&plain), at);
        QVERIFY(plain.verticalScrollBar()->value() > 300);
        SetTextSelection(&plain, 1, 1);
        QVERIFY(!plain.textCursor().hasSelection());
        QCOMPARE(plain.verticalScrollBar()->value(), 0);

        QTextEdit rich;
        rich.setPlainText(QStringLiteral("un mot ici"));
        SetTextSelection(&rich, 4, 7);
        QCOMPARE(rich.textCursor().selectedText(), QStringLiteral("mot"));
        QCOMPARE(GetSelectionStart(&rich), 3);
    }

    void listItemCheckState()
    {
        QTreeWidget tree;
        QListWidget list;
        for (int i = 0; i < 3; ++i) {
            auto* item = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("r%1").arg(i)});
            item->setCheckState(0, i == 1 ? Qt::Checked : Qt::Unchecked);
            auto* entry = new QListWidgetItem(QStringLiteral("r%1").arg(i), &list);
            entry->setCheckState(i == 2 ? Qt::Checked : Qt::Unchecked);
        }
        QCOMPARE(IsListItemChecked(&tree, 0), 0);
        QCOMPARE(IsListItemChecked(&tree, 1), 1);
        QCOMPARE(IsListItemChecked(&tree, 3), 0);
        QCOMPARE(IsListItemChecked(&tree, -1), 0);
        QCOMPARE(IsListItemChecked(&list, 1), 0);
        QCOMPARE(IsListItemChecked(&list, 2), 1);
    }

    void picturesDecodeFromMemory()
    {
        QImage source(40, 30, QImage::Format_RGB32);
        source.fill(QColor(200, 40, 40));
        for (const char* format : {"PNG", "JPEG", "BMP", "ICO"}) {
            const QByteArray bytes = Encode(source, format);
            QVERIFY2(!bytes.isEmpty(), format);
            const QImage image = CatchPicture(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            QVERIFY2(!image.isNull(), format);
            QCOMPARE(image.size(), QSize(40, 30));
            const QColor c = image.pixelColor(20, 15);
            QVERIFY2(qAbs(c.red() - 200) < 12 && qAbs(c.green() - 40) < 12, format);
        }
        // A 1 x 1 GIF.
        static const unsigned char gif[] = {'G',  'I', 'F', '8', '9', 'a',  1, 0, 1, 0,   0x80, 0, 0,   0xFF, 0xFF,
                                            0xFF, 0,   0,   0,   '!', 0xF9, 4, 1, 0, 0,   0,    0, ',', 0,    0,
                                            0,    0,   1,   0,   1,   0,    0, 2, 2, 'D', 1,    0, ';'};
        QCOMPARE(CatchPicture(gif, sizeof gif).size(), QSize(1, 1));

        const char garbage[] = "this is not a picture at all, just some text";
        QVERIFY(CatchPicture(garbage, sizeof garbage).isNull());
        QVERIFY(CatchPicture(garbage, 0).isNull());
        QVERIFY(CatchPicture(nullptr, 10).isNull());
    }

    void pictureSizeFollowsItsResolution()
    {
        // A 100 x 60 bitmap stored at 192 dots per inch is 100/192 inches
        // wide: on the screen it takes 100 * screen dpi / 192 pixels.
        QImage source(100, 60, QImage::Format_RGB32);
        source.fill(Qt::blue);
        source.setDotsPerMeterX(7559);
        source.setDotsPerMeterY(7559);
        const QByteArray bytes = Encode(source, "BMP");
        const QImage image = CatchPicture(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        const double dpi = std::round(QGuiApplication::primaryScreen()->logicalDotsPerInchX());
        QVERIFY(qAbs(image.width() - 100 * dpi / 192) <= 1);
        QVERIFY(qAbs(image.height() - 60 * dpi / 192) <= 1);

        test::TempDir dir;
        const std::string path =
            dir.Write("logo.bmp", std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        QCOMPARE(LoadPicture(path).size(), image.size());
        QVERIFY(LoadPicture(dir.File("absent.gif")).isNull());
    }

    void balloonTipAndMenuShortcut()
    {
        QPushButton button;
        button.setStyleSheet(QStringLiteral("QPushButton { font-weight: bold; }"));
        AddBalloonTip(&button, "Caf\xE9 <b>");
        AddBalloonTip(&button, "Caf\xE9 <b>");
        QVERIFY(button.toolTip().contains(QStringLiteral(u"Café &lt;b&gt;")));
        QVERIFY(button.styleSheet().startsWith(QStringLiteral("QPushButton { font-weight: bold; }")));
        QCOMPARE(button.styleSheet().count(QStringLiteral("QToolTip")), 1);

        QMainWindow window;
        QMenu* menu = window.menuBar()->addMenu(QStringLiteral("Fichier"));
        QAction* open = AddMenuItemWithShortcut(&window, menu, 42, "Ouvrir\xE9", QKeySequence(Qt::CTRL | Qt::Key_O));
        QAction* plain = AddMenuItemWithShortcut(&window, menu, 7, "Autre");
        QCOMPARE(open->data().toInt(), 42);
        QCOMPARE(open->text(), QStringLiteral(u"Ouvriré"));
        QVERIFY(plain->shortcut().isEmpty());
        QCOMPARE(menu->actions().size(), 2);
        QSignalSpy triggered(open, &QAction::triggered);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(triggered.count(), 1);
    }

    void listColumnHelpers()
    {
        QTreeWidget tree;
        tree.setHeaderLabels({QStringLiteral("Mot")});
        auto* row = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("chat")});
        InsertListColumn(&tree, 0, 80, true, "Nombre");
        InsertListColumn(&tree, 99, 120, false, "Pages o\xF9");
        QCOMPARE(CountListColumns(&tree), 3);
        QCOMPARE(GetListColumnTitle(&tree, 0), std::string("Nombre"));
        QCOMPARE(GetListColumnTitle(&tree, 1), std::string("Mot"));
        QCOMPARE(GetListColumnTitle(&tree, 2), std::string("Pages o\xF9"));
        QCOMPARE(GetListColumnTitle(&tree, 3), std::string());
        QCOMPARE(row->text(1), QStringLiteral("chat"));
        QVERIFY(row->text(0).isEmpty());
        QCOMPARE(tree.columnWidth(0), 80);
        QCOMPARE(tree.columnWidth(2), 120);
        QVERIFY(row->textAlignment(0) & Qt::AlignRight);

        auto* later = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("3"), QStringLiteral("chien")});
        AlignListRow(&tree, later);
        QVERIFY(later->textAlignment(0) & Qt::AlignRight);
        QVERIFY(later->textAlignment(2) & Qt::AlignLeft);

        SetListColumnWidth(&tree, 1, 55);
        QCOMPARE(tree.columnWidth(1), 55);
        SetListColumnTitle(&tree, 1, std::string(600, 'x'));
        QCOMPARE(GetListColumnTitle(&tree, 1), std::string(500, 'x'));
    }

    void yesNoAllWindowAnswers()
    {
        QWidget owner;
        owner.show();
        struct Case {
            const char* button;  // nullptr: press Escape; "": close box
            int expected;
        };
        for (const Case& c :
             {Case{"Oui", 1}, Case{"Non", 0}, Case{"Oui pour toutes", 2}, Case{nullptr, 0}, Case{"", 0}}) {
            bool ownerDisabled = false;
            WhenModalShown([&](QWidget* window) {
                ownerDisabled = !owner.isEnabled();
                QCOMPARE(window->size(), QSize(350, 100));
                QCOMPARE(window->windowTitle(), QStringLiteral(u"Mise à jour"));
                QVERIFY(window->findChild<QLabel*>()->text() == QStringLiteral(u"Créer la balise ?"));
                QPushButton* yes = ButtonByText(window, Tr("Oui"));
                QPushButton* no = ButtonByText(window, Tr("Non"));
                QPushButton* all = ButtonByText(window, Tr("Oui pour toutes"));
                QVERIFY(yes && no && all);
                QCOMPARE(yes->geometry(), QRect(10, 72, 103, 18));
                QCOMPARE(no->geometry(), QRect(123, 72, 103, 18));
                QCOMPARE(all->geometry(), QRect(236, 72, 103, 18));
                if (!c.button)
                    QTest::keyClick(window, Qt::Key_Escape);
                else if (!*c.button)
                    window->close();
                else
                    QTest::mouseClick(ButtonByText(window, Tr(c.button)), Qt::LeftButton);
            });
            QCOMPARE(AskYesNoAllWindow(&owner, "Mise \xE0 jour",
                                       "Cr\xE9"
                                       "er la balise ?"),
                     c.expected);
            QVERIFY(ownerDisabled);
            QVERIFY(owner.isEnabled());
        }

        // Escape held down from before does not answer; a click does.
        WhenModalShown([](QWidget* window) {
            WindowKey(window, QEvent::KeyPress, Qt::Key_Escape, true);
            QVERIFY(window->isVisible());
            QTest::mouseClick(ButtonByText(window, Tr("Oui pour toutes")), Qt::LeftButton);
        });
        QCOMPARE(AskYesNoAllWindow(&owner, "t", "q"), 2);
    }

    void qtUiAnswersFromTheQueueWithoutShowing()
    {
        QtUi ui;
        ui.NextAnswers = {YesNoAll::Yes, YesNoAll::No, YesNoAll::YesToAll, YesNoAll::Yes};
        ui.ShowMessage(MainWindowId, "Erreur", "Fichier introuvable");
        QVERIFY(!ui.AskYesNo(MainWindowId, "Question", "Continuer ?"));
        QCOMPARE(ui.AskYesNoAll(MainWindowId, "Q", "Toutes ?"), YesNoAll::YesToAll);
        QVERIFY(ui.AskYesNo(MainWindowId, "Question", "Encore ?"));
        QVERIFY(ui.NextAnswers.empty());
        QCOMPARE(ui.Recorded.size(), std::size_t{4});
        QCOMPARE(ui.Recorded[0].Kind, std::string("message"));
        QCOMPARE(ui.Recorded[0].Text, std::string("Fichier introuvable"));
        QCOMPARE(ui.Recorded[2].Kind, std::string("yesnoall"));

        // With the queue empty the question is shown, with translated buttons.
        QWidget main;
        main.show();
        RegisterWindow(MainWindowId, &main);
        for (bool clickYes : {true, false}) {
            WhenModalShown([clickYes](QWidget* window) {
                auto* box = qobject_cast<QMessageBox*>(window);
                QVERIFY(box);
                QCOMPARE(box->text(), QStringLiteral(u"Déjà ?"));
                QPushButton* yes = ButtonByText(box, Tr("Oui"));
                QPushButton* no = ButtonByText(box, Tr("Non"));
                QVERIFY(yes && no);
                QTest::mouseClick(clickYes ? yes : no, Qt::LeftButton);
            });
            QCOMPARE(ui.AskYesNo(MainWindowId, "Q", "D\xE9j\xE0 ?"), clickYes);
        }
        WhenModalShown([](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); });
        QVERIFY(!ui.AskYesNo(MainWindowId, "Q", "?"));

        // The question window through the port, owned by the registered window.
        WhenModalShown([&main](QWidget* window) {
            QVERIFY(!main.isEnabled());
            QTest::mouseClick(ButtonByText(window, Tr("Oui")), Qt::LeftButton);
        });
        QCOMPARE(ui.AskYesNoAll(MainWindowId, "Q", "?"), YesNoAll::Yes);
        QVERIFY(main.isEnabled());

        // A message for a disabled owner is owned by the window in front.
        QDialog* editor = OpenChildWindow(&main, 0, 0, 200, 100, WindowCaption, "Editeur");
        editor->show();
        WhenModalShown([editor](QWidget* window) {
            QVERIFY(window->isEnabled());
            QCOMPARE(window->parentWidget(), editor);
            QTest::keyClick(window, Qt::Key_Return);
        });
        ui.ShowMessage(MainWindowId, "Erreur", "x");
        CloseChildWindow(editor, &main);
        RegisterWindow(MainWindowId, nullptr);
    }

    void qtUiProgressTitleAndPump()
    {
        {
            QtUi installed;
            SetUi(&installed);
            QCOMPARE(&Ui(), static_cast<UiPort*>(&installed));
        }
        QVERIFY(dynamic_cast<HeadlessUi*>(&Ui()));  // the headless default is back
        QtUi ui;
        QWidget main;
        main.show();
        RegisterWindow(MainWindowId, &main);
        ui.SetWindowTitle(MainWindowId, "Kestrova - caf\xE9.htm");
        QCOMPARE(main.windowTitle(), QStringLiteral(u"Kestrova - café.htm"));
        ui.SetWindowTitle(99, "nobody");  // unknown window: nothing happens

        QVERIFY(ui.OpenProgress(MainWindowId, "Analyse"));
        QVERIFY(!main.isEnabled());
        ui.SetProgress("Page 1 \xE9", 150);
        QCOMPARE(WaitWindow.ProgressText->text(), QStringLiteral(u"Page 1 é"));
        QCOMPARE(WaitWindow.ProgressBar->value(), 100);
        ui.SetProgress("Page 2", -5);
        QCOMPARE(WaitWindow.ProgressBar->value(), 0);
        ui.CloseProgress();
        QVERIFY(main.isEnabled());
        QVERIFY(!WaitWindow.CurrentWaitWindow);
        ui.CloseProgress();  // twice is harmless
        ui.SetProgress("no window", 10);

        // Pending events run, but not more often than every 10 ms of the
        // monotonic clock, counted from the end of the previous pass.
        {
            ManualMonotonicClock clock;
            int runs = 0;
            auto post = [&] {
                QMetaObject::invokeMethod(
                    &main, [&runs] { ++runs; }, Qt::QueuedConnection);
            };
            post();
            ui.PumpEvents();
            QCOMPARE(runs, 1);
            post();
            clock.Advance(std::chrono::milliseconds(9));
            ui.PumpEvents();
            QCOMPARE(runs, 1);
            clock.Advance(std::chrono::milliseconds(1));
            ui.PumpEvents();
            QCOMPARE(runs, 2);
            post();
            ui.PumpEvents();
            QCOMPARE(runs, 2);
            clock.Advance(std::chrono::milliseconds(10));
            ui.PumpEvents();
            QCOMPARE(runs, 3);
        }

        // A destroyed window is forgotten by the registry.
        {
            QWidget temporary;
            RegisterWindow(5, &temporary);
            QCOMPARE(WindowById(5), &temporary);
        }
        QCOMPARE(WindowById(5), nullptr);
        RegisterWindow(MainWindowId, nullptr);
        QCOMPARE(WindowById(MainWindowId), nullptr);
    }

    void dialogQueuesReplaceTheDialogs()
    {
        Dialogs.NextFileNames = {"/site/index.htm", "", "/site/Export.txt", "/site"};
        QCOMPARE(AskOpenFileName(nullptr, "Ouvrir", "", "Pages|*.htm;*.html|Tous|*.*"), std::string("/site/index.htm"));
        QCOMPARE(Dialogs.LastTitle, std::string("Ouvrir"));
        QCOMPARE(AskOpenFileName(nullptr, "Ouvrir", "", "Tous|*.*"), std::string());
        QCOMPARE(AskSaveFileName(nullptr, "Exporter", "Export.txt", "Texte|*.txt"), std::string("/site/Export.txt"));
        QCOMPARE(AskFolderName(nullptr, "Dossier", "/"), std::string("/site"));
        QVERIFY(Dialogs.NextFileNames.empty());

        Dialogs.NextInputs = {"nouveau mot", ""};
        QCOMPARE(AskInput(nullptr, "Renommer", "Nouveau nom :", "vieux"), std::string("nouveau mot"));
        QCOMPARE(AskInput(nullptr, "Renommer", "Nouveau nom :", "vieux"), std::string());
        QCOMPARE(Dialogs.LastTitle, std::string("Renommer"));

        // With the queue empty the real input dialog is shown.
        WhenModalShown([](QWidget* window) {
            auto* edit = window->findChild<QLineEdit*>();
            QVERIFY(edit);
            QCOMPARE(edit->text(), QStringLiteral(u"vieux é"));
            edit->setText(QStringLiteral(u"neuf é €"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QCOMPARE(AskInput(nullptr, "Renommer", "Nom :", "vieux \xE9"), std::string("neuf \xE9 \x80"));

        QCOMPARE(FileDialogFilter("Pages HTML|*.htm;*.html|Tous|*.*"),
                 QStringLiteral("Pages HTML (*.htm *.html);;Tous (*)"));
    }
};

QTEST_MAIN(WindowHelpersTest)
#include "window_helpers_qtest.moc"
