#include "app/update_window.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "app/main_window.h"
#include "base/app_state.h"
#include "base/settings.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "net/update.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// Waits of the check thread for the main thread. EndProgramUpdateCheck sets
// Ending and wakes them, so that none outlives the event loop.
std::mutex WaitMutex;
std::condition_variable WaitDone;
bool Ending = false;

// Runs `work` on the main thread and waits for it; false when the program
// ends first (the work then never runs or its result is dropped).
bool OnMainThread(std::function<void()> work)
{
    auto done = std::make_shared<bool>(false);
    {
        std::lock_guard lock(WaitMutex);
        if (Ending)
            return false;
    }
    QMetaObject::invokeMethod(
        qApp,
        [work = std::move(work), done] {
            {
                std::lock_guard lock(WaitMutex);
                if (Ending)
                    return;
            }
            work();
            std::lock_guard lock(WaitMutex);
            *done = true;
            WaitDone.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(WaitMutex);
    WaitDone.wait(lock, [&] { return *done || Ending; });
    return *done;
}

}  // namespace

void StartProgramUpdateCheck(MainWindow& window)
{
    {
        std::lock_guard lock(WaitMutex);
        Ending = false;
    }
    UpdateCheckSetup setup;
    setup.WorkFolder = ui::ToFileName(QDir::currentPath());
    setup.Server = UpdateServerAddress();
    setup.SiteAddress = MakerSiteAddress(false);
    if (!setup.SiteAddress.empty() && setup.SiteAddress.back() == '/')
        setup.SiteAddress.pop_back();
    setup.DisableUpdates = App.DisableUpdates;
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->virtualGeometry();
    setup.ScreenWidth = screen.width();
    setup.ScreenHeight = screen.height();
    setup.Ask = [](const std::string& title, const std::string& text) {
        auto answer = std::make_shared<bool>(false);
        OnMainThread([=] { *answer = ui::Ui().AskYesNo(ui::MainWindowId, title, text); });
        return *answer;
    };
    setup.Tell = [](const std::string& title, const std::string& text) {
        OnMainThread([=] { ui::Ui().ShowMessage(ui::MainWindowId, title, text); });
    };
    QPointer<MainWindow> owner(&window);
    setup.UpdateReady = [owner] {
        OnMainThread([owner] {
            if (owner)
                UpdateReadyDialog(owner);
        });
    };
    StartUpdateCheck(std::move(setup));
}

void EndProgramUpdateCheck()
{
    {
        std::lock_guard lock(WaitMutex);
        Ending = true;
    }
    WaitDone.notify_all();
    StopUpdateCheck();
}

namespace {
bool RestartRequested = false;
}  // namespace

bool RestartForUpdateRequested()
{
    return RestartRequested;
}

void ReportUpdateOutcome()
{
    const std::string message = TakeUpdateOutcomeMessage(".", CurrentVersion);
    if (!message.empty())
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateEnglishKey("Update"), message);
}

void UpdateReadyDialog(QWidget* parent)
{
    QSize screen(1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->geometry().size();
    QDialog* window = ui::OpenChildWindow(parent, (screen.width() - 200) / 2 + 20, (screen.height() - 220) / 2 + 20,
                                          400, 100, ui::WindowCaption, TranslateEnglishKey("Update"));
    window->setObjectName(QStringLiteral("UpdateReadyDialog"));
    auto* text = new QLabel(ui::FromPage(TranslateEnglishKey("Download is done.") + " Kestrova" +
                                         TranslateEnglishKey(" will be updated on next starting.")),
                            window);
    text->setObjectName(QStringLiteral("UpdateReadyText"));
    text->setGeometry(10, 10, 380, 65);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* restart = new QPushButton(
        ui::FromPage(TranslateEnglishKey("Restart ") + "Kestrova" + TranslateEnglishKey(" now")), window);
    restart->setObjectName(QStringLiteral("RestartNow"));
    restart->setGeometry(60, 70, 250, 22);
    restart->setAutoDefault(false);
    auto* ok = new QPushButton(ui::Tr("OK"), window);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setGeometry(320, 70, 70, 22);
    ok->setDefault(true);
    // The program ends through its normal way out, which saves the settings,
    // and starts the helper after that.
    QObject::connect(restart, &QPushButton::clicked, window, [window] {
        RestartRequested = true;
        window->accept();
        QCoreApplication::quit();
    });
    QObject::connect(ok, &QPushButton::clicked, window, &QDialog::accept);
    window->exec();
    ui::CloseChildWindow(window, parent);
}

}  // namespace kestrova
