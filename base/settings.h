// The settings file "Kestrova.prefs": read once at start, rewritten whole
// when the program ends.
//
// Format: single-byte text, one "key = value" line per setting, lines ended
// by CR LF. Reading splits a line at its first "=", ignores spaces around the
// key and before the value, compares keys case-insensitively over their whole
// length and takes the first matching line; a line starting with "[" ends the
// search.
#pragma once

#include <functional>
#include <string>

namespace kestrova {

inline constexpr const char* SettingsFileName = "Kestrova.prefs";

// Built-in addresses of the maker's web server, web site and mail box. They
// lie under the reserved ".invalid" domain, so that nothing leaves the
// machine until someone sets real ones in the settings file with the keys
// "UpdateServer" (scheme, host and optional port), "MakerSite" and
// "MakerMail". These keys are written back only when they were set.
inline constexpr const char* DefaultUpdateServer = "https://updates.kestrova.invalid";
inline constexpr const char* DefaultMakerSite = "https://www.kestrova.invalid";
inline constexpr const char* DefaultMakerMail = "contact@kestrova.invalid";

// The update server in use, without a trailing "/".
std::string UpdateServerAddress();
// The maker's web site: its French page ("/fr/") for French, its home page
// otherwise.
std::string MakerSiteAddress(bool french);
std::string MakerMailAddress();

// The largest online page accepted, in bytes: "MaxPageSize" of the settings
// file when set above 0, else 20 MB.
inline constexpr long long DefaultMaxPageSize = 20LL * 1024 * 1024;
long long MaxPageSizeBytes();

// What reading the settings needs from the window side.
struct SettingsHost {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    // Asks for the language (sets App.Language on OK); called on a first start.
    std::function<void()> AskLanguage;
    // Shows the information message; called on a first start after AskLanguage.
    std::function<void()> ShowInfo;
};

// The main window when the program ends.
struct WindowGeometry {
    int InnerWidth = 0;   // inner width
    int InnerHeight = 0;  // inner height, menu bar included
    int X = 0;            // frame position on the screen
    int Y = 0;
};

// Looks `key` up in the text of a settings file. Returns false when no line
// before the first "[" line has that key.
bool FindSettingValue(const std::string& fileText, const std::string& key, std::string& value);
// The value of `key`, or `defaultValue` when the key is absent.
std::string ReadSettingText(const std::string& fileText, const std::string& key, const std::string& defaultValue);
// The value of `key` as a signed decimal number, or `defaultValue` when the
// key is absent or its value does not start with a number.
int ReadSettingInt(const std::string& fileText, const std::string& key, int defaultValue);

// Reads the settings file at `path` into App (which the caller has reset).
// A missing file is created empty first. On a first start (empty
// "Language") calls host.AskLanguage then host.ShowInfo and sets
// FirstStart. Returns false, reading nothing, when the file can be neither
// read nor created; the window then takes the default size and position
// (centred).
bool LoadSettings(const std::string& path, const SettingsHost& host);

// Writes every setting of App to `path`, with the window geometry and the
// folder of `currentPagePath`. The file is replaced in one step and is
// readable by its owner only. Returns false (the old file untouched) when it
// cannot be written.
bool SaveSettings(const std::string& path, const WindowGeometry& window, const std::string& currentPagePath);

// The stored form of FileListe (paths each followed by CR) and back.
std::string EncodeFileListe(const std::string& fileListe);
std::string DecodeFileListe(const std::string& stored);

}  // namespace kestrova
