#include "app/sample_site.h"

#include "app/main_window.h"
#include "base/program_folders.h"
#include "base/translate.h"
#include "base/ui_port.h"

namespace kestrova {

void OfferSampleSite(MainWindow& window)
{
    if (!ui::Ui().AskYesNo(ui::MainWindowId, TranslateFrenchKey("Site d'exemple"),
                           TranslateFrenchKey("Voulez-vous ouvrir le site d'exemple ? Une copie modifiable en est "
                                              "faite dans votre dossier personnel.")))
        return;
    const ProgramFolders& folders = CurrentProgramFolders();
    const std::string home =
        CopySampleSite(DataFilePath(SampleFolderName), folders.State.empty() ? "." : folders.State);
    if (!home.empty())
        window.OpenPageFile(home);
}

}  // namespace kestrova
