// The journal window in the program, from a keyword change to the page on a
// loopback FTP server.
#include <QApplication>
#include <QDialog>
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

// Runs `act` once the modal window with that object name is open.
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
            QCOMPARE(journal->size(), QSize(600, 300));
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->headerItem()->text(1), QStringLiteral("Heure"));
            QCOMPARE(list->headerItem()->text(2), QStringLiteral("Date"));
            for (int row = 0; row < 2; ++row)
                QCOMPARE(list->topLevelItem(row)->checkState(0), Qt::Checked);
            auto* send = journal->findChild<QPushButton*>(QStringLiteral("UploadButton"));
            QVERIFY(send->isEnabled());
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
                browsed = folders->count() == 1 ? folders->item(0)->text() : QString();
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
};

QTEST_MAIN(JournalWindowTest)
#include "journal_window_qtest.moc"
