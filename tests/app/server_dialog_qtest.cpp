// The server dialog while its server misbehaves: the window stays usable
// while a connection hangs, "Annuler" gives the connection up, and each kind
// of failure has its own message.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/server_dialog.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "tests/support/http_test_server.h"
#include "tests/support/loopback_servers.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

// A server on 127.0.0.1 that accepts connections and never says a word (an
// FTP server that never greets). Counts the connections the client closed.
class SilentServer {
public:
    SilentServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~SilentServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (int c : clients_)
            ::close(c);
        ::close(fd_);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int Port() const { return port_; }
    int Accepted() const { return accepted_.load(); }
    int ClosedByClient() const { return closed_.load(); }

private:
    void Run()
    {
        while (!stop_) {
            std::vector<pollfd> fds{{fd_, POLLIN, 0}};
            for (int c : clients_)
                fds.push_back({c, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                const int c = ::accept(fd_, nullptr, nullptr);
                if (c >= 0) {
                    clients_.push_back(c);
                    ++accepted_;
                }
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP)))
                    continue;
                char byte;
                if (::recv(fds[i].fd, &byte, 1, MSG_DONTWAIT) == 0) {
                    ++closed_;
                    ::close(fds[i].fd);
                    clients_.erase(std::find(clients_.begin(), clients_.end(), fds[i].fd));
                }
            }
        }
    }

    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::vector<int> clients_;  // the server thread's own
    std::atomic<int> accepted_{0};
    std::atomic<int> closed_{0};
};

QDialog* WaitWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("ServerWaitWindow") && w->isVisible())
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

// Posts a key press and release to the widget, as the window system does,
// and returns at once: the events are queued, so only an event loop that
// runs handles them. A timer of the same loop then looks every millisecond
// whether `handled` became true and calls `then` with the milliseconds it
// took (-1 after 20 s).
void PostKeyAndWatch(QWidget* widget, Qt::Key key, const QString& text, std::function<bool()> handled,
                     std::function<void(qint64)> then)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    auto* watch = new QTimer(widget);
    watch->setInterval(1);
    QObject::connect(watch, &QTimer::timeout, widget, [watch, clock, handled, then] {
        const bool done = handled();
        if (!done && clock->elapsed() < 20000)
            return;
        watch->stop();
        watch->deleteLater();
        then(done ? clock->elapsed() : -1);
    });
    watch->start();
}

}  // namespace

class ServerDialogTest : public QObject {
    Q_OBJECT

private:
    ui::QtUi* qtUi_ = nullptr;

    // Opens the dialog for server 1 with these fields, clicks "Connection"
    // and runs `whileListing` from inside the dialog's event loop, after the
    // click; returns the messages shown.
    std::vector<ui::QtUi::Shown> Browse(const std::string& address, const std::string& password,
                                        std::function<void(QDialog*)> whileListing = {})
    {
        App.ServerTable[1] = ServerEntry{"site", address, test::FtpTestServer::User, password};
        qtUi_->Recorded.clear();
        qtUi_->NextAnswers.assign(5, ui::YesNoAll::Yes);
        test::WhenModalOpen(QStringLiteral("ServerDialog"), [&](QDialog* dialog) {
            if (whileListing)
                QTimer::singleShot(0, dialog, [dialog, whileListing] { whileListing(dialog); });
            dialog->findChild<QPushButton*>(QStringLiteral("ConnectButton"))->click();
            listed_ = dialog->findChild<QListWidget*>(QStringLiteral("RemoteFolderList"))->count();
            dialog->reject();
        });
        QWidget owner;
        ServerDialog(1, &owner);
        return qtUi_->Recorded;
    }
    int listed_ = -1;

private slots:
    void initTestCase()
    {
        ResetAppState();
        qtUi_ = &ui::InstallQtUi();
    }

    void init()
    {
        ResetAppState();
        App.Language = LanguageFrench;
    }

    void aHangingServerLeavesTheDialogUsableAndCancelEndsIt()
    {
        SilentServer silent;
        QVERIFY(silent.Port() != 0);
        qint64 typed = -1;
        bool cancelled = false;
        Browse("127.0.0.1:" + std::to_string(silent.Port()), test::FtpTestServer::Password, [&](QDialog* dialog) {
            // The connection is made and hangs: the server never greets.
            QTRY_VERIFY_WITH_TIMEOUT(silent.Accepted() == 1, 20000);
            QTRY_VERIFY(WaitWindow() != nullptr);
            // A key typed in the dialog is handled by the dialog's own
            // event loop meanwhile; then "Annuler" gives the connection up.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("ServerNameField"));
            name->setFocus();
            PostKeyAndWatch(
                name, Qt::Key_X, QStringLiteral("x"), [name] { return name->text().endsWith(QLatin1Char('x')); },
                [&](qint64 took) {
                    typed = took;
                    QVERIFY(silent.ClosedByClient() == 0);
                    QVERIFY(WaitWindow() != nullptr);
                    auto* cancel = WaitWindow()->findChild<QPushButton*>(QStringLiteral("ServerWaitCancel"));
                    QCOMPARE(cancel->text().remove(QLatin1Char('&')), QStringLiteral("Annuler"));
                    cancel->click();
                    cancelled = true;
                });
        });
        QVERIFY(cancelled);
        qInfo("key press handled %lld ms after it was sent, while the connection hung", typed);
        // A freeze would last until the server's time-out (30 s and more).
        QVERIFY2(typed >= 0 && typed < 2000, qPrintable(QString::number(typed)));
        QCOMPARE(listed_, 0);
        QVERIFY(WaitWindow() == nullptr);
        // The worker ends its connection soon after (its next progress call).
        QTRY_VERIFY_WITH_TIMEOUT(silent.ClosedByClient() == 1, 20000);
        QVERIFY(qtUi_->Recorded.empty());
    }

    void eachFailureHasItsOwnMessage()
    {
        test::TempDir home;
        test::FtpTestServer ftp(home.Path());
        QVERIFY2(ftp.Running(), ftp.Problem().c_str());
        fs::create_directories(home.Path() / "www");

        auto shown = Browse(ftp.Address(), "wrong-password");
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].Title, std::string("Erreur"));
        QCOMPARE(shown[0].Text, std::string("Impossible d'ouvrir 127.0.0.1 : le serveur refuse l'identifiant ou le mot "
                                            "de passe (530). (Erreur N\xB0 / Error N# 67)"));

        test::RefusingPort refusing;
        shown = Browse("127.0.0.1:" + std::to_string(refusing.Port()), test::FtpTestServer::Password);
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].Text, std::string("Impossible d'ouvrir 127.0.0.1 : le serveur a refus\xE9 la connexion. "
                                            "(Erreur N\xB0 / Error N# 7)"));

        App.Language = LanguageEnglish;
        shown = Browse(ftp.Address(), "wrong-password");
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].Title, std::string("Error"));
        QCOMPARE(shown[0].Text, std::string("Unable to open 127.0.0.1 : the server refused the login or the password "
                                            "(530). (Erreur N\xB0 / Error N# 67)"));

        // A TLS server whose certificate the system does not trust.
        test::TempDir secureHome;
        test::FtpTestServer secure(secureHome.Path(), true);
        QVERIFY2(secure.Running(), secure.Problem().c_str());
        shown = Browse(secure.Address(), test::FtpTestServer::Password);
        QCOMPARE(shown.size(), std::size_t(1));
        QVERIFY2(shown[0].Text.rfind("Unable to open 127.0.0.1 : the server's certificate was refused.", 0) == 0,
                 shown[0].Text.c_str());

        // The right password lists the folder, with no message.
        shown = Browse(ftp.Address(), test::FtpTestServer::Password);
        QVERIFY(shown.empty());
        QCOMPARE(listed_, 1);
    }
};

QTEST_MAIN(ServerDialogTest)
#include "server_dialog_qtest.moc"
