#include "app/about_window.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <cstdio>

#include "app/banner_view.h"
#include "app/fit_text.h"
#include "app/later_commands.h"
#include "app/main_window.h"
#include "base/app_state.h"
#include "base/program_folders.h"
#include "base/settings.h"
#include "base/text_tables.h"
#include "base/translate.h"
#include "ui/shell_open.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + with.size()))
        text.replace(pos, what.size(), with);
}

std::string Digits(int value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

}  // namespace

std::string FormatBuildStamp(const std::string& pattern, const BuildStamp& stamp)
{
    std::string text = pattern;
    ReplaceAll(text, "%dd", Digits(stamp.Day, 2));
    ReplaceAll(text, "%mm", Digits(stamp.Month, 2));
    ReplaceAll(text, "%yyyy", Digits(stamp.Year, 4));
    ReplaceAll(text, "%hh", Digits(stamp.Hour, 2));
    ReplaceAll(text, "%ii", Digits(stamp.Minute, 2));
    ReplaceAll(text, "%ss", Digits(stamp.Second, 2));
    return text;
}

std::string AboutText()
{
    return std::string("Kestrova ") + ProgramVersion + TranslateFrenchKey(AboutAuthorNotice) + "\n" +
           TranslateFrenchKey(AboutLicenceNotice) + TranslateFrenchKey(AboutToolNotice) + "\n\n" +
           FormatBuildStamp(TranslateFrenchKey("Compil\xE9 le %dd/%mm/%yyyy \xE0 %hh:%ii:%ss"), ProgramBuildStamp) +
           "\r" +
           TranslateFrenchKey("Avez-vous la derni\xE8re version ? V\xE9rifiez en allant sur le site de l'auteur :");
}

void ShowAboutDialog(QWidget* parent)
{
    QDialog* window =
        ui::OpenChildWindow(parent, 0, 0, 450, 115, ui::WindowCaption | ui::WindowCloseBox | ui::WindowCentred,
                            TranslateFrenchKey("A propos de ") + "Kestrova");
    window->setObjectName(QStringLiteral("AboutWindow"));
    const int w = window->width();
    const int h = window->height();

    // A lone CR ends a line as LF does.
    QString text = ui::FromPage(AboutText());
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    auto* label = new QLabel(text, window);
    label->setObjectName(QStringLiteral("AboutText"));
    label->setGeometry(60, 8, w - 79, 75);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    FitWrappedText(label);

    if (QLabel* logo = AnimatedPictureView(window, 10, 8, "0", DataFilePath("Datas/logo_m.gif")))
        logo->setObjectName(QStringLiteral("Logo"));

    auto* close = new QPushButton(ui::Tr("Fermer"), window);
    close->setObjectName(QStringLiteral("Close"));
    close->setGeometry(w - 82, h - 30, 74, 22);
    close->setDefault(true);
    auto* mail = new QPushButton(ui::Tr("Envoyer un Email \xE0 l'auteur..."), window);
    mail->setObjectName(QStringLiteral("Mail"));
    mail->setGeometry(8, h - 30, 150, 22);
    mail->setAutoDefault(false);
    auto* site = new QPushButton(ui::Tr("Voir le site de l'auteur..."), window);
    site->setObjectName(QStringLiteral("Site"));
    site->setGeometry(168, h - 30, 140, 22);
    site->setAutoDefault(false);
    for (QPushButton* button : {close, mail, site})
        FitCaption(button);

    // Enter (the default button), Escape and the close box close the window;
    // the two other buttons leave it open.
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::accept);
    QObject::connect(mail, &QPushButton::clicked, window,
                     [] { ui::OpenAddress("mailto:" + MakerMailAddress() + "?subject=Comments%20about%20Kestrova"); });
    QObject::connect(site, &QPushButton::clicked, window,
                     [] { ui::OpenAddress(MakerSiteAddress(App.Language == LanguageFrench)); });

    window->exec();
    ui::CloseChildWindow(window, parent);
}

void ShowAboutWindow(MainWindow& window)
{
    ShowAboutDialog(&window);
}

}  // namespace kestrova
