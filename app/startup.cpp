#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

#include "app/icons.h"
#include "app/info_window.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/sample_site.h"
#include "app/update_window.h"
#include "base/app_state.h"
#include "base/file_io.h"
#include "base/program_folders.h"
#include "base/settings.h"
#include "base/window_geometry.h"
#include "net/banner.h"
#include "net/update.h"
#include "page/journal.h"
#include "page/page_state.h"
#include "ui/qt_translations.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

namespace kestrova {

int RunProgram(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const ProgramFolders folders =
        ChooseProgramFolders(ui::ToFileName(QCoreApplication::applicationDirPath()), ProcessEnvironment);
    if (folders.Installed) {
        // The settings, the journal and the temporary files live in the
        // user's folders; the journal's folder is the working folder.
        CreateProgramFolders(folders);
        UseProgramFolders(folders);
        QDir::setCurrent(ui::FromFileName(folders.State));
    } else {
        // The settings, the journal and the temporary files live beside the
        // program, which is the working folder from here on.
        QDir::setCurrent(QCoreApplication::applicationDirPath());
    }
    // Files directly in the program's folder are its own: never edited or
    // journalled.
    SetProgramFolder(ui::ToFileName(QCoreApplication::applicationDirPath()));

    ResetAppState();
    // Every window takes the program icon from the application.
    QApplication::setWindowIcon(ProgramIcon());
    // Engine messages are shown as Qt message boxes from here on.
    ui::InstallQtUi();
    ui::InitProgressWindowPos();

    SettingsHost host;
    QSize screen(1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->geometry().size();
    host.ScreenWidth = screen.width();
    host.ScreenHeight = screen.height();
    host.AskLanguage = [] { ShowLanguageDialog(nullptr); };
    host.ShowInfo = [] { ShowInfoMessage(); };
    // When the settings could be neither read nor created, none are written
    // at the end either.
    const bool settingsRead = LoadSettings(SettingsFilePath(), host);
    // Qt's standard dialogs speak the language chosen.
    ui::InstallQtTranslations(App.Language);

    // An installed copy is updated by its package manager, never by itself.
    if (folders.Installed)
        App.DisableUpdates = true;
    else
        ApplyPendingUpdate();

    App.BannerOn = App.Preferences.find("pub") == std::string::npos;
    if (App.BannerOn && !App.FirstStart)
        LoadBannerPictures();

    // The geometry asked for, before it was fitted to this screen.
    std::string settingsText;
    const WindowGeometry asked =
        AskedWindowGeometry(ReadWholeFile(SettingsFilePath(), settingsText) ? settingsText : std::string());
    const WindowGeometry given{App.LargeurFenetre, App.HauteurFenetre, App.PosFenetreX, App.PosFenetreY};

    MainWindow window;
    window.resize(App.LargeurFenetre, App.HauteurFenetre);
    window.move(App.PosFenetreX, App.PosFenetreY);
    window.show();

    ReportUpdateOutcome();
    if (!folders.Installed)
        StartProgramUpdateCheck(window);
    PurgeJournal();
    if (folders.Installed && App.FirstStart)
        OfferSampleSite(window);

    const int exitCode = app.exec();
    EndProgramUpdateCheck();

    if (settingsRead) {
        WindowGeometry geometry;
        geometry.InnerWidth = window.width();    // the menu bar is inside
        geometry.InnerHeight = window.height();  // the main window's area
        geometry.X = window.pos().x();           // frame position
        geometry.Y = window.pos().y();
        SaveSettings(SettingsFilePath(), GeometryToSave(asked, given, geometry), Page.CurrentPagePath);
    }
    // "Restart now": the settings are saved; the helper takes over.
    if (RestartForUpdateRequested())
        ApplyPendingUpdate();
    return exitCode;
}

}  // namespace kestrova
