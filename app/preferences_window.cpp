#include "app/preferences_window.h"

#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QPushButton>

#include "app/fit_text.h"
#include "app/later_commands.h"
#include "app/main_window.h"
#include "base/app_state.h"
#include "base/program_folders.h"
#include "base/translate.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// Places OK and Cancel for the window's current inner size.
class ButtonPlacer : public QObject {
public:
    ButtonPlacer(QDialog* window, QPushButton* ok, QPushButton* cancel)
        : QObject(window), window_(window), ok_(ok), cancel_(cancel)
    {
        window->installEventFilter(this);
        Place();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Resize)
            Place();
        return false;
    }

private:
    void Place()
    {
        const int bwd = (window_->width() - 40) / 3;
        const int y = window_->height() - 28;
        ok_->setGeometry(2 * bwd + 30, y, bwd, 18);
        cancel_->setGeometry(bwd + 20, y, bwd, 18);
    }

    QDialog* window_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

QCheckBox* OptionBox(QDialog* window, const char* name, const std::string& text, int y, int width, bool checked)
{
    auto* box = new QCheckBox(ui::Tr(text), window);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(10, y, width, 18);
    box->setChecked(checked);
    FitCaption(box);
    return box;
}

bool Has(const std::string& preferences, const char* word)
{
    return preferences.find(word) != std::string::npos;
}

}  // namespace

std::string ShowPreferencesDialog(QWidget* parent, const std::string& preferences)
{
    QDialog* window = ui::OpenChildWindow(
        parent, 0, 0, 260, 115, ui::WindowCaption | ui::WindowCloseBox | ui::WindowSizingBorder | ui::WindowCentred,
        TranslateFrenchKey("Pr\xE9"
                           "f\xE9rences"));  // Préférences
    window->setObjectName(QStringLiteral("PreferencesWindow"));

    QCheckBox* banner = OptionBox(window, "HideBanner",
                                  "Masquer le bandeau de publicit\xE9",  // Masquer le bandeau de publicité
                                  10, 200, Has(preferences, "pub"));
    // The banner is never shown on a first start, so its option cannot be
    // changed then; the box still shows the stored choice.
    banner->setEnabled(!App.FirstStart);
    QCheckBox* tips = OptionBox(window, "HideTips",
                                "Masquer les bulles d'aide (apr\xE8s red\xE9marrage)",  // (après redémarrage)
                                32, 240, Has(preferences, "bulle"));
    // An installed copy never updates itself: the box says so and cannot be
    // changed, and the stored choice is kept for a portable copy.
    const bool installed = CurrentProgramFolders().Installed;
    QCheckBox* updates =
        installed ? OptionBox(window, "DisableUpdates",
                              "Mises \xE0 jour par le gestionnaire de paquets",  // Mises à jour par le gestionnaire ...
                              54, 240, true)
                  : OptionBox(window, "DisableUpdates",
                              "Annuler les mises \xE0 jour automatiques",  // Annuler les mises à jour ...
                              54, 240, Has(preferences, "disableupdates"));
    updates->setEnabled(!installed);

    auto* ok = new QPushButton(ui::Tr("OK"), window);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(ui::Tr("Annuler"), window);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    new ButtonPlacer(window, ok, cancel);
    QObject::connect(ok, &QPushButton::clicked, window, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);

    std::string result = preferences;
    if (window->exec() == QDialog::Accepted) {
        result.clear();
        if (banner->isChecked())
            result += "pub|";
        if (tips->isChecked())
            result += "bulle|";
        if (installed ? Has(preferences, "disableupdates") : updates->isChecked())
            result += "disableupdates";
        App.DisableUpdates = updates->isChecked();
    }
    ui::CloseChildWindow(window, parent);
    return result;
}

std::string ShowPreferencesWindow(MainWindow& window, const std::string& preferences)
{
    return ShowPreferencesDialog(&window, preferences);
}

}  // namespace kestrova
