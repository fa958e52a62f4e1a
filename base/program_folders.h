// Where the program keeps its files. A portable copy keeps everything in its
// own folder (the settings, the journal, the history and the temporary page
// beside the program, its data in the folders next to it). An installed
// copy, whose folder the user cannot write, reads its data from the
// installation's share/kestrova/ and keeps the rest in the user's folders:
// "Kestrova.prefs" in $XDG_CONFIG_HOME/kestrova/, the journal and the
// history in $XDG_DATA_HOME/kestrova/, "temp.htm" in $XDG_CACHE_HOME/kestrova/.
// This file is the one place that decides.
#pragma once

#include <functional>
#include <string>

namespace kestrova {

struct ProgramFolders {
    bool Installed = false;
    // Each "" (the current folder) or a folder path ending in "/".
    std::string Data;      // Datas, the help pages, the sample site
    std::string Settings;  // "Kestrova.prefs"
    std::string State;     // the journal and the history: the working folder
    std::string Cache;     // "temp.htm"
};

// The value of an environment variable, "" when it is not set.
using EnvironmentLookup = std::function<std::string(const char* name)>;
// The process environment (HOME from the password database when unset).
std::string ProcessEnvironment(const char* name);

// Everything in one folder: a portable copy, or the command-line tool's work
// folder.
ProgramFolders PortableFolders(const std::string& folder);

// The folders of the program whose executable is in programFolder. The copy
// is portable when that folder is writable, unless it is the bin/ folder of
// an installation (no "Datas" beside it, "../share/kestrova/Datas" present),
// where settings and journals do not belong even when it can be written.
ProgramFolders ChooseProgramFolders(const std::string& programFolder, const EnvironmentLookup& environment);

// Creates the user's folders of an installed copy (readable by the user
// only). False when one cannot be created.
bool CreateProgramFolders(const ProgramFolders& folders);

// The folders in use (all "" until set: the current folder).
void UseProgramFolders(const ProgramFolders& folders);
const ProgramFolders& CurrentProgramFolders();

// The settings file, the temporary page of the online analysis and the
// fetch service, and a data file, in the folders in use.
std::string SettingsFilePath();
std::string TempPageFilePath();
std::string DataFilePath(const std::string& relative);

// The sample site: its folder in the data folder, and its home page.
inline constexpr char SampleFolderName[] = "Exemple";
inline constexpr char SampleHomePage[] = "index.html";

// Copies the sample site folder into the folder given, unless a copy is
// there already, giving the user write access to the copy. Returns the full
// path of the copy's home page; "" when the site cannot be copied.
std::string CopySampleSite(const std::string& sampleFolder, const std::string& intoFolder);

}  // namespace kestrova
