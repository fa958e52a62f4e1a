// The upload's progress window: a small window near the bottom right of the
// screen, one per file being sent. The worker thread drives it through
// calls queued to the main thread; only the main thread touches it.
#pragma once

#include <QObject>
#include <QPointer>

#include "net/ftp_upload.h"

class QDialog;
class QLabel;
class QProgressBar;

namespace kestrova {

class QtUploadWindow : public QObject, public UploadWindowPort {
public:
    // The program's instance, created on the main thread at first use.
    static QtUploadWindow& Instance();

    void OpenUploadWindow(const std::string& title, const std::string& text) override;
    void SetUploadText(const std::string& text) override;
    void SetUploadPercent(int percent) override;
    void CloseUploadWindow() override;
    bool HoldsMessages() const override { return true; }

    // The window now open (null when none), for tests.
    QDialog* Window() const { return window_; }

private:
    QPointer<QDialog> window_;
    QPointer<QLabel> text_;
    QPointer<QProgressBar> bar_;
};

}  // namespace kestrova
