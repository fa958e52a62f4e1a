#include "app/upload_window.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "app/icons.h"
#include "page/journal.h"
#include "ui/text_convert.h"

namespace kestrova {

namespace {

// Closing the window (close box or Escape) aborts the run.
class UploadProgressDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        Abort();
        event->accept();
    }
    void reject() override
    {
        Abort();
        QDialog::reject();
    }

private:
    static void Abort()
    {
        int running = 0;
        Upload.UploadState.compare_exchange_strong(running, 1);
        WakeUploadWorker();
    }
};

QString FromLog(const std::string& text)
{
    // The log's line breaks are CR, LF CR and CR LF; a label wants LF.
    QString out = ui::FromPage(text);
    out.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

}  // namespace

QtUploadWindow& QtUploadWindow::Instance()
{
    static QtUploadWindow* instance = new QtUploadWindow;
    return *instance;
}

void QtUploadWindow::OpenUploadWindow(const std::string& title, const std::string& text)
{
    QMetaObject::invokeMethod(
        this,
        [this, title, text] {
            if (window_)
                window_->deleteLater();
            auto* window =
                new UploadProgressDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
            window->setObjectName(QStringLiteral("UploadWindow"));
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->setWindowTitle(ui::FromPage(title));
            window->setWindowIcon(ProgramIcon());
            window->setFixedSize(250, 120);
            QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            window->move(area.right() + 1 - 260, area.bottom() + 1 + 5 - 158);
            text_ = new QLabel(FromLog(text), window);
            text_->setObjectName(QStringLiteral("UploadText"));
            text_->setGeometry(2, 2, 246, 108);
            text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            text_->setWordWrap(true);
            bar_ = new QProgressBar(window);
            bar_->setObjectName(QStringLiteral("UploadProgress"));
            bar_->setGeometry(0, 110, 250, 10);
            bar_->setRange(0, 100);
            bar_->setTextVisible(false);
            window_ = window;
            window->show();
        },
        Qt::QueuedConnection);
}

void QtUploadWindow::SetUploadText(const std::string& text)
{
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (text_)
                text_->setText(FromLog(text));
        },
        Qt::QueuedConnection);
}

void QtUploadWindow::SetUploadPercent(int percent)
{
    QMetaObject::invokeMethod(
        this,
        [this, percent] {
            if (bar_)
                bar_->setValue(percent);
        },
        Qt::QueuedConnection);
}

void QtUploadWindow::CloseUploadWindow()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (window_) {
                // Closed by the program, not by the user: no abort.
                window_->hide();
                window_->deleteLater();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace kestrova
