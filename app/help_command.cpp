// The help command: the information message, then the help page of the
// interface language in the user's browser.
#include <QDir>
#include <QUrl>

#include "app/about_window.h"
#include "app/info_window.h"
#include "app/later_commands.h"
#include "app/main_window.h"
#include "base/app_state.h"
#include "base/program_folders.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "ui/shell_open.h"
#include "ui/text_convert.h"

namespace kestrova {

std::string HelpPagePath()
{
    return App.Language == LanguageFrench ? "Aide Pellworth/AidePellworth.htm" : "Aide Pellworth/AidePellworthEng.htm";
}

void ShowHelp(MainWindow&)
{
    ShowInfoMessage();
    const QString file = QDir::current().absoluteFilePath(ui::FromFileName(DataFilePath(HelpPagePath())));
    if (ui::OpenExternal(QUrl::fromLocalFile(file)))
        return;
    // No browser: the user is told where the help is rather than left with
    // nothing.
    // "L'aide n'a pas pu être ouverte dans un navigateur. Elle se trouve dans le fichier :"
    ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Aide"),
                         TranslateFrenchKey("L'aide n'a pas pu \xEAtre ouverte dans un navigateur. Elle se trouve "
                                            "dans le fichier :") +
                             "\n" + ui::ToPage(file));
}

}  // namespace kestrova
