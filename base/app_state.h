// Process-wide application state: the settings read at start and written at
// exit, the FTP server table and the list of common words.
// All texts are single-byte Windows-1252 strings.
#pragma once

#include <array>
#include <string>

namespace kestrova {

struct ServerEntry {
    std::string Name;
    std::string Address;
    std::string Login;
    std::string Password;
};

constexpr int ServerSlots = 20;

struct AppState {
    std::string Language;     // "Français", "English", or a hand-written value
    std::string Folder;       // folder of the last analysed page
    std::string FileListe;    // pages chosen at the last site-wide update, each followed by CR
    std::string Preferences;  // option words "pub|", "bulle|", "disableupdates"
    int LargeurFenetre = 712;
    int HauteurFenetre = 600;
    int PosFenetreX = -1;
    int PosFenetreY = -1;
    // Entries 1 to 20 are used; slot 0 never is.
    std::array<ServerEntry, ServerSlots + 1> ServerTable{};
    bool FirstStart = false;
    bool DisableUpdates = false;
    bool BannerOn = true;
    // Addresses of the maker's web server and site and the maker's mail
    // address, as set in the settings file; "" means the built-in default
    // (see base/settings.h).
    std::string UpdateServer;
    std::string MakerSite;
    std::string MakerMail;
    // Largest online page accepted, in bytes, as set in the settings file
    // ("MaxPageSize"); 0 means the built-in 20 MB.
    long long MaxPageSize = 0;
    // Versions kept in each page's history (0: not set, see HistoryDepth).
    int HistoryDepth = 0;
    std::string UsualWords;  // "/le/la/.../" built by BuildUsualWords
    // A keyword also matches its other forms (voilier/voiliers) in the
    // keyword relevance; setting "WordForms", 1 by default.
    bool WordForms = true;
};

extern AppState App;

// Builds the common-word list (137 entries between slashes).
std::string BuildUsualWords();

// Clears the application state and builds the common-word list.
void ResetAppState();

}  // namespace kestrova
