// Fuzz target for the settings file. Each input is the text of a settings
// file:
//  - FindSettingValue, ReadSettingText and ReadSettingInt agree with one
//    another, for a key taken from the input: a value found is one line
//    without leading spaces, and a number is read only from a value that
//    begins with one (an optional sign, then digits) and fits an int;
//  - a "key = value" line put before the input is found with its value, one
//    put after it only when the input has no line of that key and no "["
//    line;
//  - LoadSettings reads the file, keeps the window on a 4000 x 3000 screen,
//    and what SaveSettings writes of it loads back the same;
//  - EncodeFileListe and DecodeFileListe bring any list back unchanged, and
//    the stored form is one line.

#include <climits>
#include <cstdint>
#include <string>

#include "base/app_state.h"
#include "base/settings.h"
#include "fuzz/fuzz_support.h"

using namespace kestrova;

namespace {

constexpr fuzz::Checker Check{"settings_fuzz"};
using fuzz::WriteFile;

std::string TrimmedKey(const std::string& key)
{
    const std::size_t first = key.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return key.substr(first, key.find_last_not_of(' ') - first + 1);
}

// The number a value begins with, as ReadSettingInt should read it.
bool LeadingInt(const std::string& value, int& number)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        negative = value[i++] == '-';
    if (i >= value.size() || value[i] < '0' || value[i] > '9')
        return false;
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    n = negative ? -n : n;
    if (n < INT_MIN || n > INT_MAX)
        return false;
    number = static_cast<int>(n);
    return true;
}

void CheckLookups(const std::string& text, const std::string& key)
{
    std::string value;
    const bool found = FindSettingValue(text, key, value);
    const std::string absent = "\x01-absent";
    Check(ReadSettingText(text, key, absent) == (found ? value : absent), "ReadSettingText disagrees");
    if (found) {
        Check(value.find_first_of("\r\n") == std::string::npos, "a value runs over a line end");
        Check(value.empty() || value.front() != ' ', "a value begins with a space");
        Check(text.find(value) != std::string::npos, "a value that is not in the text");
    }
    int expected = 0;
    const bool number = found && LeadingInt(value, expected);
    Check(ReadSettingInt(text, key, 12345) == (number ? expected : 12345), "ReadSettingInt reads another number");
    if (number && expected != 12345)
        Check(ReadSettingInt(text, key, -777) == expected, "ReadSettingInt depends on the default");
}

bool SameSettings(const AppState& a, const AppState& b, bool compareFolder)
{
    if (a.Language != b.Language || a.FileListe != b.FileListe || a.Preferences != b.Preferences ||
        a.LargeurFenetre != b.LargeurFenetre || a.HauteurFenetre != b.HauteurFenetre ||
        a.PosFenetreX != b.PosFenetreX || a.PosFenetreY != b.PosFenetreY || a.UpdateServer != b.UpdateServer ||
        a.MakerSite != b.MakerSite || a.MakerMail != b.MakerMail || a.WordForms != b.WordForms ||
        a.DisableUpdates != b.DisableUpdates || a.FirstStart != b.FirstStart)
        return false;
    if (compareFolder && a.Folder != b.Folder)
        return false;
    for (int i = 1; i <= ServerSlots; ++i) {
        const ServerEntry& x = a.ServerTable[i];
        const ServerEntry& y = b.ServerTable[i];
        if (x.Name != y.Name || x.Address != y.Address || x.Login != y.Login || x.Password != y.Password)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::TempFolder folder("settings-fuzz");
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Lookups: a key from the input's first line, and the keys LoadSettings
    // asks for.
    const std::string firstLine = text.substr(0, text.find_first_of("\r\n"));
    const std::string key = firstLine.substr(0, firstLine.find('='));
    CheckLookups(text, key);
    for (const char* known : {"Language", "LargeurFenetre", "PosFenetreX", "ServerName1", "FileListe"})
        CheckLookups(text, known);

    // A line before the input, and one after it.
    const std::string probeKey = TrimmedKey(key);
    if (!probeKey.empty() && probeKey.front() != '[' && probeKey.find_first_of("=\r\n") == std::string::npos) {
        const std::string probeValue = "v" + std::to_string(size);
        std::string value;
        Check(FindSettingValue(" " + probeKey + " =  " + probeValue + "\r\n" + text, probeKey, value) &&
                  value == probeValue,
              "a line before the input is not found");
        std::string inInput;
        const bool inText = FindSettingValue(text, probeKey, inInput);
        bool stopped = text.front() == '[';
        for (std::size_t at = text.find_first_of("\r\n"); at != std::string::npos && !stopped;
             at = text.find_first_of("\r\n", at + 1))
            stopped = at + 1 < text.size() && text[at + 1] == '[';
        const bool foundAfter =
            FindSettingValue(text + "\r\n" + probeKey + " = " + probeValue + "\r\n", probeKey, value);
        if (inText)
            Check(foundAfter && value == inInput, "a line after the input hides the input's own line");
        else if (!stopped)
            Check(foundAfter && value == probeValue, "a line after the input is not found");
        else
            Check(!foundAfter, "a line after a [ line is found");
    }

    // The list of pages, stored and read back.
    const std::string stored = EncodeFileListe(text);
    Check(stored.find_first_of("\r\n") == std::string::npos, "the stored page list runs over a line end");
    Check(DecodeFileListe(stored) == text, "the page list does not come back");

    // The whole file, loaded, saved and loaded again.
    const std::string path = folder.File(SettingsFileName);
    WriteFile(path, text);
    ResetAppState();
    SettingsHost host;
    host.ScreenWidth = 4000;
    host.ScreenHeight = 3000;
    Check(LoadSettings(path, host), "a settings file that exists was not read");
    const AppState loaded = App;
    Check(loaded.LargeurFenetre <= 4000 && loaded.HauteurFenetre <= 3000, "a window larger than the screen");
    Check(static_cast<long long>(loaded.PosFenetreX) + loaded.LargeurFenetre <= 4000 &&
              static_cast<long long>(loaded.PosFenetreY) + loaded.HauteurFenetre <= 3000,
          "a window past the screen's edge");
    const bool folderKept = loaded.Folder.empty() || loaded.Folder.back() == '/';
    const WindowGeometry window{loaded.LargeurFenetre, loaded.HauteurFenetre, loaded.PosFenetreX, loaded.PosFenetreY};
    Check(SaveSettings(path, window, loaded.Folder + "page.htm"), "saving the settings failed");
    ResetAppState();
    Check(LoadSettings(path, host), "the saved settings were not read");
    Check(SameSettings(App, loaded, folderKept), "the saved settings load back otherwise");
    return 0;
}
