#include "cli/update_verb.h"

#include <ostream>

#include "base/app_state.h"
#include "base/codec.h"
#include "base/file_io.h"
#include "base/settings.h"
#include "cli/cli_verbs.h"
#include "net/update.h"

namespace kestrova::cli {

namespace {

// One line of a box of the check, its lines joined.
std::string OneLine(const std::string& cp1252)
{
    std::string text = Cp1252ToUtf8(cp1252);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

}  // namespace

int UpdateCheckVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool install = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--install" && !install) {
            install = true;
        } else {
            err << "kestrova-cli: update-check takes only --install (got " << args[i] << ")\n";
            return ExitUsage;
        }
    }

    ResetAppState();
    std::string settings;
    ReadWholeFile(SettingsFileName, settings);
    App.Language = ReadSettingText(settings, "Language", "");
    App.UpdateServer = ReadSettingText(settings, "UpdateServer", "");
    App.MakerSite = ReadSettingText(settings, "MakerSite", "");

    UpdateCheckSetup setup;
    setup.WorkFolder = ".";
    setup.Server = UpdateServerAddress();
    setup.SiteAddress = MakerSiteAddress(false);
    if (!setup.SiteAddress.empty() && setup.SiteAddress.back() == '/')
        setup.SiteAddress.pop_back();
    setup.Ask = [&](const std::string& title, const std::string& text) {
        out << OneLine(title) << ": " << OneLine(text) << " " << (install ? "yes" : "no") << "\n";
        return install;
    };
    setup.Tell = [&](const std::string& title, const std::string& text) {
        out << OneLine(title) << ": " << OneLine(text) << "\n";
    };

    const UpdateCheckResult result = UpdateCheck(setup);
    switch (result.Result) {
        case UpdateCheckResult::Outcome::Staged:
            out << "Kestrova " << OneLine(result.Version) << " is staged in \"" << StagingFolderName
                << "\"; the program installs it when it next starts.\n";
            return ExitOk;
        case UpdateCheckResult::Outcome::Declined:
            out << "Kestrova " << OneLine(result.Version) << " is available (run with --install to stage it).\n";
            return ExitOk;
        case UpdateCheckResult::Outcome::Failed:
            err << "kestrova-cli: update check failed: " << OneLine(result.Reason) << "\n";
            return ExitFailure;
        case UpdateCheckResult::Outcome::UpToDate:
        case UpdateCheckResult::Outcome::Disabled:
            break;
    }
    out << "Kestrova " << CurrentVersion << " is up to date.\n";
    return ExitOk;
}

}  // namespace kestrova::cli
