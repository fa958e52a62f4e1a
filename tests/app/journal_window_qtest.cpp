// The journal window in the program, from a keyword change to the page on a
// loopback FTP server.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/journal_window.h"
#include "app/server_dialog.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "net/ftp_upload.h"
#include "page/journal.h"
#include "page/page_state.h"
#include "tests/support/loopback_servers.h"
#include "tests/support/temp_site.h"
#include "ui/text_convert.h"
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

// Once the upload started from the journal window has ended (its worker
// finished and the window's round has purged the journal), calls `ended` and
// closes the window. The wait follows the upload's own state, whatever the
// machine's speed; the safety limit only keeps a broken upload from hanging
// the test for ever.
void CloseWhenUploadEnded(QDialog* journal, std::function<void()> ended)
{
    auto* poll = new QTimer(journal);
    auto* safety = new QElapsedTimer;
    safety->start();
    QObject::connect(poll, &QTimer::timeout, journal, [=] {
        const bool done = !UploadThreadRunning() && Upload.UploadState.load() == -1;
        if (!done && safety->elapsed() < 10 * 60 * 1000)
            return;
        poll->stop();
        delete safety;
        if (done)
            ended();
        journal->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
    });
    poll->start(20);
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
            // The ticked pages are checked first: they have no description,
            // and the question whether to send anyway is answered Yes.
            ui::QtUi& qtUi = ui::InstallQtUi();
            qtUi.Recorded.clear();
            qtUi.NextAnswers.assign(1, ui::YesNoAll::Yes);
            send->click();
            QCOMPARE(qtUi.Recorded.size(), std::size_t(1));
            QCOMPARE(qtUi.Recorded[0].Kind, std::string("yesno"));
            QVERIFY(qtUi.Recorded[0].Text.find("page.htm") != std::string::npos);

            // Rows leave the list as their files arrive; then the journal is
            // purged and the window is closed.
            CloseWhenUploadEnded(journal, [list, &sawEmptyList] { sawEmptyList = list->topLevelItemCount() == 0; });
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

    void refusesNamesTheJournalCannotHoldAndAsksBeforeClearing()
    {
        test::TempDir site, work;
        test::ScopedCurrentDir inWork(work.Path());
        ResetAppState();
        App.Language = LanguageEnglish;
        App.ServerTable[1] = {"site", "127.0.0.1:1/www", "user", "pw"};
        const std::string inside = site.Write("site/in.htm", PageText);
        const std::string crName = site.Write("site/cr.htm\rx.htm", PageText);
        site.Write("site/cr.htm", PageText);
        const std::string online = work.Write("temp.htm", PageText);
        std::ofstream(JournalFileName) << inside << "|3723\n" << crName << "|3723\n" << online << "|3723\n";
        const std::string journalBefore = test::ReadAll(JournalFileName);
        Upload.Clear();
        ui::QtUi& qtUi = ui::InstallQtUi();
        qtUi.Recorded.clear();
        // The first Yes sends the ticked page despite its errors.
        qtUi.NextAnswers.assign(2, ui::YesNoAll::Yes);

        bool checked = false;
        WhenOpen(QStringLiteral("JournalWindow"), [&](QDialog* journal) {
            auto* list = journal->findChild<QTreeWidget*>(QStringLiteral("JournalList"));
            auto* send = journal->findChild<QPushButton*>(QStringLiteral("UploadButton"));
            auto* clear = journal->findChild<QPushButton*>(QStringLiteral("ClearButton"));
            QCOMPARE(list->topLevelItemCount(), 3);
            // The program's own online page is listed, not ticked.
            QCOMPARE(list->topLevelItem(2)->checkState(0), Qt::Unchecked);
            QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("01:02:03"));
            QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("01/01/70"));
            // The CR belongs to the row's path: it is not cut to "cr.htm".
            QCOMPARE(ui::ToFileName(list->topLevelItem(1)->text(0)), crName);
            // Only the page whose name holds a CR is ticked: it is refused by
            // name, nothing is queued and no upload starts.
            list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
            WhenOpen(QStringLiteral("ServerDialog"),
                     [](QDialog* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("OkButton"))->click(); });
            send->click();
            QCOMPARE(qtUi.Recorded.size(), std::size_t(2));
            QVERIFY(qtUi.Recorded[0].Text.find("cr.htm") != std::string::npos);  // the check's question
            QVERIFY(qtUi.Recorded[1].Text.find("cannot be sent") != std::string::npos);
            QVERIFY(qtUi.Recorded[1].Text.find(crName) != std::string::npos);
            QCOMPARE(list->topLevelItemCount(), 3);
            QCOMPARE(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
            QCOMPARE(Upload.Size(), std::size_t(0));
            QCOMPARE(Upload.UploadState.load(), -1);

            // Enter in the window clears nothing: no button is a default one.
            for (QPushButton* button : journal->findChildren<QPushButton*>()) {
                QVERIFY(!button->isDefault());
                QVERIFY(!button->autoDefault());
            }
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
            QTest::keyClick(journal, Qt::Key_Enter);
            QCOMPARE(list->topLevelItemCount(), 3);
            QCOMPARE(test::ReadAll(JournalFileName), journalBefore);

            // "Effacer la liste" asks first; Enter answers "Non".
            qtUi.Recorded.clear();
            QString defaultAnswer;
            QTimer::singleShot(0, [&] {
                QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr);
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                defaultAnswer =
                    box->defaultButton() ? box->defaultButton()->text().remove(QLatin1Char('&')) : QString();
                QTest::keyClick(box, Qt::Key_Return);
            });
            clear->click();
            QCOMPARE(defaultAnswer, QStringLiteral("No"));
            QCOMPARE(qtUi.Recorded.size(), std::size_t(1));
            QCOMPARE(qtUi.Recorded[0].Kind, std::string("yesno"));
            QCOMPARE(list->topLevelItemCount(), 3);
            QVERIFY(fs::exists(JournalFileName));

            // Answered "Oui", the list and the journal go.
            qtUi.NextAnswers.assign(1, ui::YesNoAll::Yes);
            clear->click();
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

    void sendsOnlyTheTickedFilesOfEachRunAndRootsSiblingFoldersAtTheirParent()
    {
        test::TempDir home, site, work;
        test::FtpTestServer server(home.Path());
        QVERIFY2(server.Running(), server.Problem().c_str());
        test::ScopedCurrentDir inWork(work.Path());
        ResetAppState();
        App.Language = LanguageEnglish;
        App.ServerTable[1] = {"site", server.Address() + "/www", test::FtpTestServer::User,
                              test::FtpTestServer::Password};
        ui::QtUi& qtUi = ui::InstallQtUi();
        qtUi.Recorded.clear();
        qtUi.NextAnswers.clear();
        // Pages of sibling folders; "a" and "e" fail in the first run (they
        // are empty) and stay queued behind it.
        const std::string a = site.Write("d0/a.htm", "");
        const std::string b = site.Write("d1/b.htm", "b");
        const std::string c = site.Write("d2/c.htm", "c");
        const std::string e = site.Write("d3/e.htm", "");
        std::ofstream(JournalFileName) << b << "|10\n" << a << "|10\n" << e << "|10\n" << c << "|10\n";
        Upload.Clear();

        int runs = 0;
        WhenOpen(QStringLiteral("JournalWindow"), [&](QDialog* journal) {
            auto* list = journal->findChild<QTreeWidget*>(QStringLiteral("JournalList"));
            auto* send = journal->findChild<QPushButton*>(QStringLiteral("UploadButton"));
            QCOMPARE(list->topLevelItemCount(), 4);
            // First run: b, a and e.
            list->topLevelItem(3)->setCheckState(0, Qt::Unchecked);
            WhenOpen(QStringLiteral("ServerDialog"),
                     [](QDialog* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("OkButton"))->click(); });
            send->click();
            QTRY_VERIFY_WITH_TIMEOUT(!UploadThreadRunning() && Upload.UploadState.load() == -1, 120000);
            ++runs;
            QCOMPARE(list->topLevelItemCount(), 3);   // b was sent
            QCOMPARE(Upload.Size(), std::size_t(2));  // a and e stay queued
            // Second run: c only; a and e, now written, are unticked.
            std::ofstream(a) << "a, now written";
            std::ofstream(e) << "e, now written";
            for (int row = 0; row < 3; ++row)
                list->topLevelItem(row)->setCheckState(0, row == 2 ? Qt::Checked : Qt::Unchecked);
            QCOMPARE(ui::ToFileName(list->topLevelItem(2)->text(0)), c);
            // The button comes back at the window's next round.
            QTRY_VERIFY(send->isEnabled());
            WhenOpen(QStringLiteral("ServerDialog"),
                     [](QDialog* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("OkButton"))->click(); });
            send->click();
            CloseWhenUploadEnded(journal, [&runs] { ++runs; });
        });
        QWidget owner;
        JournalWindow(&owner, site.File("d0/"));
        JoinUploadThread();
        QCOMPARE(runs, 2);
        // Sibling folders keep their names below the server's folder.
        QCOMPARE(test::ReadAll((home.Path() / "www" / "d1" / "b.htm").string()), std::string("b"));
        QCOMPARE(test::ReadAll((home.Path() / "www" / "d2" / "c.htm").string()), std::string("c"));
        QVERIFY(!fs::exists(home.Path() / "www" / "d0" / "a.htm"));
        QVERIFY(!fs::exists(home.Path() / "www" / "d3" / "e.htm"));
        QCOMPARE(test::ReadAll(JournalFileName), a + "|10\r\n" + e + "|10\r\n");
    }

    void theServerDialogSaysWhereTheAddressLeads()
    {
        test::TempDir home;
        fs::create_directories(home.Path() / "home" / "ftpk" / "home" / "ftpk");
        test::FtpTestServer server(home.Path(), false, "/home/ftpk");
        QVERIFY2(server.Running(), server.Problem().c_str());
        test::SshTestServer ssh;
        ResetAppState();
        ui::InstallQtUi().NextAnswers.clear();

        // Connects with the address typed, returns the folder line.
        auto lineFor = [](const std::string& address, const std::string& login, const std::string& password) {
            QString line;
            // A folder that does not exist yet, or a refused login, is also
            // told in a message box: the prepared answers take them.
            ui::InstallQtUi().NextAnswers.assign(4, ui::YesNoAll::Yes);
            WhenOpen(QStringLiteral("ServerDialog"), [&](QDialog* dialog) {
                dialog->findChild<QLineEdit*>(QStringLiteral("ServerAddressField"))
                    ->setText(QString::fromStdString(address));
                dialog->findChild<QLineEdit*>(QStringLiteral("ServerLoginField"))
                    ->setText(QString::fromStdString(login));
                dialog->findChild<QLineEdit*>(QStringLiteral("ServerPasswordField"))
                    ->setText(QString::fromStdString(password));
                dialog->findChild<QPushButton*>(QStringLiteral("ConnectButton"))->click();
                line = dialog->findChild<QLabel*>(QStringLiteral("RemoteFolderPlace"))->text();
                dialog->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
            });
            QWidget owner;
            ServerDialog(1, &owner);
            ui::InstallQtUi().NextAnswers.clear();
            return line;
        };
        const std::string address = server.Address() + "/home/ftpk/www";
        App.Language = LanguageFrench;
        QCOMPARE(lineFor(address, test::FtpTestServer::User, test::FtpTestServer::Password),
                 QStringLiteral("Dossier sur le serveur : /home/ftpk/home/ftpk/www\n"
                                "Dossiers qui seront cr\u00E9\u00E9s : www"));
        fs::create_directory(home.Path() / "home" / "ftpk" / "home" / "ftpk" / "www");
        App.Language = LanguageEnglish;
        QCOMPARE(lineFor(address, test::FtpTestServer::User, test::FtpTestServer::Password),
                 QStringLiteral("Folder on the server: /home/ftpk/home/ftpk/www"));
        QCOMPARE(lineFor(address, test::FtpTestServer::User, "wrong"), QString());

        if (!ssh.Running())
            QSKIP("no local sshd for the SFTP part");
        UploadSecurityOptions.SshPrivateKeyFile = ssh.PrivateKeyFile();
        UploadSecurityOptions.SshPublicKeyFile = ssh.PublicKeyFile();
        UploadSecurityOptions.KnownHostsFile = ssh.KnownHostsFile();
        const std::string sftp = "sftp://127.0.0.1:" + std::to_string(ssh.Port()) + ssh.Folder().string() + "/new";
        QCOMPARE(lineFor(sftp, ssh.Login(), ""),
                 QString::fromStdString("Folder on the server: " + ssh.Folder().string() +
                                        "/new\nFolders that will be created: new"));
        UploadSecurityOptions = {};
    }
};

QTEST_MAIN(JournalWindowTest)
#include "journal_window_qtest.moc"
