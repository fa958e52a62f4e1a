#include "app/language_dialog.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/icons.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

bool ShowLanguageDialog(QWidget* parent)
{
    // The title stays in both languages: the user has not chosen one yet.
    QDialog* window = ui::OpenChildWindow(
        parent, 0, 0, 180, 90, ui::WindowCaption | ui::WindowCloseBox | ui::WindowCentred, "Langue/Language");
    window->setObjectName(QStringLiteral("LanguageDialog"));

    auto* englishFlag = new QLabel(window);
    englishFlag->setPixmap(EnglishFlagPicture());
    englishFlag->setGeometry(10, 8, 16, 16);
    auto* frenchFlag = new QLabel(window);
    frenchFlag->setPixmap(FrenchFlagPicture());
    frenchFlag->setGeometry(10, 30, 16, 16);

    auto* english = new QRadioButton(ui::FromPage(LanguageEnglish), window);
    english->setObjectName(QStringLiteral("English"));
    english->setGeometry(35, 10, 200, 18);
    auto* french = new QRadioButton(ui::FromPage(LanguageFrench), window);
    french->setObjectName(QStringLiteral("French"));
    french->setGeometry(35, 32, 200, 18);
    if (App.Language == LanguageFrench)
        french->setChecked(true);
    else
        english->setChecked(true);

    auto* ok = new QPushButton(ui::Tr("OK"), window);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setGeometry(95, 62, 75, 18);
    ok->setDefault(true);
    auto* cancel = new QPushButton(ui::Tr("Annuler"), window);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setGeometry(10, 62, 75, 18);
    cancel->setAutoDefault(false);

    // Enter gives OK through the default button; Escape and the close box
    // reject the dialog.
    QObject::connect(ok, &QPushButton::clicked, window, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, window, &QDialog::reject);
    english->setFocus();

    const bool accepted = window->exec() == QDialog::Accepted;
    if (accepted)
        App.Language = french->isChecked() ? LanguageFrench : LanguageEnglish;
    ui::CloseChildWindow(window, parent);
    return accepted;
}

}  // namespace kestrova
