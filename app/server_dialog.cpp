#include "app/server_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <memory>
#include <thread>

#include "app/icons.h"
#include "app/server_folder_line.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "net/ftp_upload.h"
#include "net/remote_folder.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// One listing, shared by the worker thread that runs it and the dialog that
// waits for it; a worker whose wait was cancelled ends alone and only ever
// touches its own job.
struct ListingJob {
    std::atomic<bool> Cancel{false};
    std::atomic<bool> Done{false};
    std::string Names;
    RemoteListFailure Failure;
    // Where the address leads on the server, asked once the listing worked.
    RemoteFolderPlace Place;
};

// Runs the listing on a worker thread while the dialog stays usable, with a
// wait window whose "Annuler" (or Escape, or the dialog closing) gives the
// listing up. False when it was given up.
bool ListInBackground(QDialog* dialog, const std::string& address, const std::string& login,
                      const std::string& password, std::string& names, RemoteListFailure& failure,
                      RemoteFolderPlace& place)
{
    auto job = std::make_shared<ListingJob>();
    std::thread([job, address, login, password] {
        job->Names = ListRemoteFolder(address, login, password, &job->Failure, &job->Cancel);
        // Where the address leads, also when its folder does not exist yet
        // (the listing fails; an upload creates it); not after a failure to
        // reach the server or to log in, which would only be met again.
        const NetFailure kind = job->Failure.Kind;
        const bool reached = kind == NetFailure::None || kind == NetFailure::Other || kind == NetFailure::HttpStatus;
        if (reached && !job->Cancel.load())
            job->Place = LocateRemoteFolder(address, login, password);
        job->Done.store(true);
    }).detach();

    QDialog wait(dialog);
    wait.setObjectName(QStringLiteral("ServerWaitWindow"));
    wait.setWindowTitle(ui::FromPage(TranslateEnglishKey("Servers")));
    wait.setFixedSize(240, 70);
    auto* text = new QLabel(ui::FromPage(TranslateEnglishKey("Wait...")), &wait);
    text->setGeometry(10, 10, 220, 20);
    auto* cancel = new QPushButton(ui::FromPage(TranslateEnglishKey("Cancel")), &wait);
    cancel->setObjectName(QStringLiteral("ServerWaitCancel"));
    cancel->setGeometry(80, 38, 80, 22);

    QEventLoop loop;
    const auto giveUp = [&job, &loop] {
        job->Cancel.store(true);
        loop.quit();
    };
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&job, &loop] {
        if (job->Done.load())
            loop.quit();
    });
    QObject::connect(cancel, &QPushButton::clicked, &loop, giveUp);
    QObject::connect(&wait, &QDialog::rejected, &loop, giveUp);
    QObject::connect(dialog, &QDialog::finished, &loop, giveUp);
    wait.show();
    poll.start();
    loop.exec();
    poll.stop();
    wait.hide();
    if (!job->Done.load() || job->Cancel.load())
        return false;
    names = job->Names;
    failure = job->Failure;
    place = job->Place;
    return true;
}

}  // namespace

void BrowseRemoteFolder(QListWidget* list, QLineEdit* address, QLineEdit* login, QLineEdit* password)
{
    auto* dialog = qobject_cast<QDialog*>(list->window());
    list->clear();
    list->addItem(ui::FromPage(TranslateEnglishKey("Wait...")));
    address->setText(ui::FromPage(StripFtpScheme(ui::ToPage(address->text()))));
    std::string names;
    RemoteListFailure failure;
    RemoteFolderPlace place;
    // While the listing runs, browsing again waits for it.
    QList<QWidget*> browsing{list};
    for (const char* name : {"ConnectButton", "UpButton"})
        if (auto* w = list->window()->findChild<QWidget*>(QString::fromLatin1(name)))
            browsing.push_back(w);
    for (QWidget* w : browsing)
        w->setEnabled(false);
    const bool listed = ListInBackground(dialog, ui::ToPage(address->text()), ui::ToPage(login->text()),
                                         ui::ToPage(password->text()), names, failure, place);
    for (QWidget* w : browsing)
        w->setEnabled(true);
    list->clear();
    if (!listed)
        return;
    SetRemoteFolderLine(list->window(), place);
    if (!failure.Message.empty())
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateEnglishKey("Error"), failure.Message);
    std::size_t pos = 0;
    while (pos < names.size()) {
        std::size_t end = names.find('\r', pos);
        if (end == std::string::npos)
            end = names.size();
        list->addItem(ui::FromPage(names.substr(pos, end - pos)));
        pos = end + 1;
    }
    list->clearSelection();
    list->setCurrentRow(-1, QItemSelectionModel::Clear);
}

int ServerDialog(int number, QWidget* parent)
{
    if (number == -1) {
        number = 0;
        for (int n = 1; n <= ServerSlots && number == 0; ++n)
            if (App.ServerTable[n].Name.empty())
                number = n;
    }
    if (number < 1 || number > ServerSlots)
        return 0;
    ServerEntry& record = App.ServerTable[number];

    QRect screen = QGuiApplication::primaryScreen()->geometry();
    QDialog* window = ui::OpenChildWindow(parent, (screen.width() - 200) / 2 + 20, (screen.height() - 180) / 2 + 20,
                                          440, 200, ui::WindowCaption, TranslateEnglishKey("Servers"));
    window->setObjectName(QStringLiteral("ServerDialog"));

    auto label = [&](const char* text, int y) {
        auto* l = new QLabel(ui::FromPage(text), window);
        l->setGeometry(10, y, 180, 17);
    };
    auto field = [&](const char* name, const std::string& text, int y) {
        auto* f = new QLineEdit(ui::FromPage(text), window);
        f->setObjectName(QString::fromLatin1(name));
        f->setGeometry(10, y, 180, 20);
        return f;
    };
    label(TranslateEnglishKey("Server name:").c_str(), 10);
    QLineEdit* name = field("ServerNameField", record.Name, 25);
    label(TranslateEnglishKey("Server adress:").c_str(), 50);
    QLineEdit* address = field("ServerAddressField", record.Address, 65);
    label("Login:", 90);
    QLineEdit* login = field("ServerLoginField", record.Login, 105);
    label(TranslateEnglishKey("Password:").c_str(), 130);
    QLineEdit* password = field("ServerPasswordField", record.Password, 145);

    auto* connect = new QPushButton(ui::FromPage(TranslateEnglishKey("Connect")), window);
    connect->setObjectName(QStringLiteral("ConnectButton"));
    connect->setGeometry(200, 4, 70, 20);
    auto* up = new QToolButton(window);
    up->setObjectName(QStringLiteral("UpButton"));
    up->setIcon(QIcon(ServerIconPicture()));
    up->setGeometry(400, 4, 20, 20);
    auto* list = new QListWidget(window);
    list->setObjectName(QStringLiteral("RemoteFolderList"));
    list->setGeometry(200, 25, 230, 141);
    AddRemoteFolderLine(window);
    auto* cancel = new QPushButton(ui::FromPage(TranslateEnglishKey("Cancel")), window);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setGeometry(320, 172, 51, 22);
    auto* ok = new QPushButton(QStringLiteral("OK"), window);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setGeometry(380, 172, 51, 22);
    ok->setDefault(true);

    QObject::connect(connect, &QPushButton::clicked, window,
                     [=] { BrowseRemoteFolder(list, address, login, password); });
    QObject::connect(list, &QListWidget::itemClicked, window, [=](QListWidgetItem* item) {
        const std::string entry = ui::ToPage(item->text());
        if (!entry.empty() && entry != TranslateEnglishKey("Error") && entry.find('.') == std::string::npos) {
            address->setText(address->text() + QLatin1Char('/') + item->text());
            BrowseRemoteFolder(list, address, login, password);
        } else {
            list->clearSelection();
        }
    });
    QObject::connect(up, &QToolButton::clicked, window, [=] {
        const QString text = address->text();
        const int slash = text.lastIndexOf(QLatin1Char('/'));
        // The slashes of a scheme ("sftp://") are not a folder.
        if (slash < 0 || (slash > 0 && text[slash - 1] == QLatin1Char('/')))
            return;
        address->setText(text.left(slash));
        BrowseRemoteFolder(list, address, login, password);
    });
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
    QObject::connect(ok, &QPushButton::clicked, window, [=, &record] {
        const std::string typedAddress = StripFtpScheme(ui::ToPage(address->text()));
        address->setText(ui::FromPage(typedAddress));
        std::string typedName = ui::ToPage(name->text());
        record.Name = typedName.empty() ? typedAddress : typedName;
        record.Address = typedAddress;
        record.Login = ui::ToPage(login->text());
        record.Password = ui::ToPage(password->text());
        window->accept();
    });

    const int result = window->exec() == QDialog::Accepted ? number : 0;
    ui::CloseChildWindow(window, parent);
    return result;
}

}  // namespace kestrova
