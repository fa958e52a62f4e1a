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
    // A page that cannot be opened is not reported.
    ui::OpenExternal(
        QUrl::fromLocalFile(QDir::current().absoluteFilePath(ui::FromFileName(DataFilePath(HelpPagePath())))));
}

}  // namespace kestrova
