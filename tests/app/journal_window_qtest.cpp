// The journal window in the program, from a keyword change to the page on a
// loopback FTP server.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/journal_window.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "net/ftp_upload.h"
#include "page/journal.h"
#include "page/page_state.h"
#include "tests/support/loopback_servers.h"
#include "tests/support/temp_site.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

// Runs `act` once the modal window with that object name is open. Unlike
// test::WhenModalOpen, the window stays open after act when no check failed:
// an upload goes on after act has started it, and the test closes the
// window when the upload ends.
void WhenOpen(const QString& name, std::function<void(QDialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog->objectName() != name)
            return;
        timer->stop();
        timer->deleteLater();
        QPointer<QDialog> guard(dialog);
        act(dialog);
        // A failed check leaves the window open: close it so that the test
        // reports the failure instead of waiting.
        if (QTest::currentTestFailed() && guard)
            guard->reject();
    });
    timer->start();
}

const char PageText[] = "<html><head><title>Voiles</title>\n"
                        "<meta name=\"keywords\" content=\"bateau\">\n"
                        "</head><body>Un voilier et sa voile.</body></html>\n";

}  // namespace

class JournalWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ResetAppState();
        ui::InstallQtUi();
        ui::InitProgressWindowPos();
    }

    void uploadsTheChangedPagesEndToEnd()
    {
        test::TempDir home, site, work;
        test::FtpTestServer server(home.Path());
        QVERIFY2(server.Running(), server.Problem().c_str());
        fs::create_directories(home.Path() / "www" / "old");
        test::ScopedCurrentDir inWork(work.Path());
        App.Language = LanguageFrench;

        // Two keyword changes: one page in a sub-folder, one above it.
        const std::string sub = site.Write("sub/page.htm", PageText);
        const std::string top = site.Write("top.htm", PageText);
        for (const std::string& page : {top, sub}) {
            Page.CurrentPagePath = page;
            QCOMPARE(QString::fromStdString(EditMeta(ui::MainWindowId, "Ajoute", "voile", "keywords")),
                     QStringLiteral("OK"));
        }
        Upload.Clear();

        const std::string typedAddress = "ftp://" + server.Address() + "/www";
        const std::string storedAddress = server.Address() + "/www";
        bool journalChecked = false, dialogChecked = false, sawEmptyList = false;
        QString browsed;
        WhenOpen(QStringLiteral("JournalWindow"), [&](QDialog* journal) {
            auto* list = journal->findChild<QTreeWidget*>(QStringLiteral("JournalList"));
            // 600 x 300, wider when the buttons' captions need it.
            QVERIFY(journal->width() >= 600);
            QCOMPARE(journal->height(), 300);
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->headerItem()->text(1), QStringLiteral("Heure"));
            QCOMPARE(list->headerItem()->text(2), QStringLiteral("Date"));
            for (int row = 0; row < 2; ++row)
                QCOMPARE(list->topLevelItem(row)->checkState(0), Qt::Checked);
            auto* send = journal->findChild<QPushButton*>(QStringLiteral("UploadButton"));
            auto* close = journal->findChild<QPushButton*>(QStringLiteral("CloseButton"));
            QVERIFY(send->isEnabled());
            // The layout follows the window's size: B = (W - 40) / 3.
            journal->resize(700, 400);
            QCOMPARE(list->geometry(), QRect(10, 43, 680, 317));
            // The file names take what "Heure" and "Date" leave: every
            // column stays inside the list.
            QVERIFY(list->columnWidth(1) >= 70 && list->columnWidth(2) >= 70);
            QVERIFY(list->header()->length() <= list->viewport()->width());
            QVERIFY(list->columnWidth(0) >= 680 - 2 - 20 - list->columnWidth(1) - list->columnWidth(2));
            QCOMPARE(close->geometry(), QRect(470, 372, 220, 18));
            QCOMPARE(send->geometry(), QRect(240, 372, 220, 18));
            QCOMPARE(journal->findChild<QPushButton*>(QStringLiteral("ClearButton"))->pos(), QPoint(10, 372));
            journalChecked = true;

            WhenOpen(QStringLiteral("ServerDialog"), [&](QDialog* dialog) {
                dialog->findChild<QLineEdit*>(QStringLiteral("ServerAddressField"))
                    ->setText(QString::fromStdString(typedAddress));
                dialog->findChild<QLineEdit*>(QStringLiteral("ServerLoginField"))
                    ->setText(QString::fromLatin1(test::FtpTestServer::User));
                dialog->findChild<QLineEdit*>(QStringLiteral("ServerPasswordField"))
                    ->setText(QString::fromLatin1(test::FtpTestServer::Password));
                dialog->findChild<QPushButton*>(QStringLiteral("ConnectButton"))->click();
                auto* folders = dialog->findChild<QListWidget*>(QStringLiteral("RemoteFolderList"));
                auto* address = dialog->findChild<QLineEdit*>(QStringLiteral("ServerAddressField"));
                browsed = folders->count() == 1 ? folders->item(0)->text() : QString();
                QCOMPARE(address->text(), QString::fromStdString(storedAddress));  // "ftp://" dropped
                // A folder entry is entered, the up button comes back.
                if (folders->count() == 1)
                    emit folders->itemClicked(folders->item(0));
                QCOMPARE(address->text(), QString::fromStdString(storedAddress + "/old"));
                QCOMPARE(folders->count(), 0);
                dialog->findChild<QAbstractButton*>(QStringLiteral("UpButton"))->click();
                QCOMPARE(address->text(), QString::fromStdString(storedAddress));
                QCOMPARE(folders->count(), 1);
                dialogChecked = true;
                dialog->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
            });
            send->click();

            // Rows leave the list as their files arrive; then the journal is
            // purged and the window is closed.
            auto* poll = new QTimer(journal);
            int rounds = 0;
            QObject::connect(poll, &QTimer::timeout, journal, [=, &sawEmptyList]() mutable {
                const bool done = list->topLevelItemCount() == 0 && Upload.UploadState.load() == -1;
                if (done)
                    sawEmptyList = true;
                if (done || ++rounds > 1200)
                    journal->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
            });
            poll->start(50);
        });
        QWidget owner;
        JournalWindow(&owner, site.File("sub/"));
        JoinUploadThread();

        for (const std::string& entry : Upload.Snapshot())
            qWarning("still queued: %s (state %d)", entry.c_str(), Upload.UploadState.load());
        QVERIFY(journalChecked);
        QVERIFY(dialogChecked);
        QCOMPARE(browsed, QStringLiteral("old"));
        QVERIFY(sawEmptyList);
        QCOMPARE(QString::fromStdString(App.ServerTable[1].Address), QString::fromStdString(storedAddress));
        QCOMPARE(QString::fromStdString(App.ServerTable[1].Name), QString::fromStdString(storedAddress));
        const std::string sent = test::ReadAll((home.Path() / "www" / "sub" / "page.htm").string());
        QVERIFY(sent.find("content=\"voile, bateau\"") != std::string::npos);
        QCOMPARE(sent, test::ReadAll(sub));
        QCOMPARE(test::ReadAll((home.Path() / "www" / "top.htm").string()), test::ReadAll(top));
        QCOMPARE(test::ReadAll(work.File(JournalFileName)), std::string());
        QCOMPARE(Upload.Size(), std::size_t(0));
    }

    void refusesPagesOutsideTheRootAndClearsTheList()
    {
        test::TempDir site, work;
        test::ScopedCurrentDir inWork(work.Path());
        ResetAppState();
        App.Language = LanguageEnglish;
        App.ServerTable[1] = {"site", "127.0.0.1:1/www", "user", "pw"};
        const std::string inside = site.Write("site/in.htm", PageText);
        const std::string outside = site.Write("other/out.htm", PageText);
        std::ofstream(JournalFileName) << inside << "|3723\n" << outside << "|3723\n";
        Upload.Clear();
        ui::QtUi& qtUi = ui::InstallQtUi();
        qtUi.Recorded.clear();
        qtUi.NextAnswers.assign(1, ui::YesNoAll::Yes);

        bool checked = false;
        WhenOpen(QStringLiteral("JournalWindow"), [&](QDialog* journal) {
            auto* list = journal->findChild<QTreeWidget*>(QStringLiteral("JournalList"));
            auto* send = journal->findChild<QPushButton*>(QStringLiteral("UploadButton"));
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("01:02:03"));
            QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("01/01/70"));
            // Only the page outside the root is ticked: it is refused by name.
            list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
            WhenOpen(QStringLiteral("ServerDialog"),
                     [](QDialog* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("OkButton"))->click(); });
            send->click();
            QCOMPARE(qtUi.Recorded.size(), std::size_t(1));
            QVERIFY(qtUi.Recorded[0].Text.find("outside the site folder") != std::string::npos);
            QVERIFY(qtUi.Recorded[0].Text.find(outside) != std::string::npos);
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
            QCOMPARE(Upload.Size(), std::size_t(0));
            QCOMPARE(Upload.UploadState.load(), -1);

            journal->findChild<QPushButton*>(QStringLiteral("ClearButton"))->click();
            QCOMPARE(list->topLevelItemCount(), 0);
            QVERIFY(!fs::exists(JournalFileName));
            QTRY_VERIFY(!send->isEnabled());
            checked = true;
            journal->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
        });
        QWidget owner;
        JournalWindow(&owner, site.File("site/"));
        QVERIFY(checked);
    }
};

QTEST_MAIN(JournalWindowTest)
#include "journal_window_qtest.moc"
