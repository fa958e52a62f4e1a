#include "base/settings.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "base/app_state.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/text_rules.h"

namespace kestrova {

namespace {

// The settings hold FTP passwords: only the owner may read or write them.
constexpr mode_t SettingsFileMode = 0600;

bool SameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// Cuts a value at its first CR or LF: a line ends there, so the rest could
// not be read back and would be taken for lines of their own.
std::string OneLine(const std::string& value)
{
    return value.substr(0, value.find_first_of("\r\n"));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

bool FindSettingValue(const std::string& fileText, const std::string& key, std::string& value)
{
    const std::string wanted = TrimSpaces(key);
    std::size_t pos = 0;
    while (pos < fileText.size()) {
        std::size_t end = fileText.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = fileText.size();
        std::string_view line(fileText.data() + pos, end - pos);
        pos = end + 1;
        if (line.empty())
            continue;
        if (line.front() == '[')
            return false;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        if (!SameKey(TrimSpaces(std::string(line.substr(0, eq))), wanted))
            continue;
        std::string_view rest = line.substr(eq + 1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        value.assign(rest);
        return true;
    }
    return false;
}

std::string ReadSettingText(const std::string& fileText, const std::string& key, const std::string& defaultValue)
{
    std::string value;
    return FindSettingValue(fileText, key, value) ? value : defaultValue;
}

int ReadSettingInt(const std::string& fileText, const std::string& key, int defaultValue)
{
    std::string value;
    if (!FindSettingValue(fileText, key, value))
        return defaultValue;
    const char* first = value.data();
    const char* last = value.data() + value.size();
    // A "+" may stand before the digits, but not before another sign.
    if (first != last && *first == '+') {
        ++first;
        if (first == last || *first < '0' || *first > '9')
            return defaultValue;
    }
    int number = 0;
    auto [ptr, ec] = std::from_chars(first, last, number);
    if (ec != std::errc() || ptr == first)
        return defaultValue;
    return number;
}

// FileListe holds paths each followed by CR. Written raw, the first CR would
// end the line and lose every path after the first, so the stored form is a
// "|" followed by the list with "%" written "%25", CR "%0D" and LF "%0A".
// "|" cannot begin a raw value: a path here starts with "/" (or, in files
// written on Windows, a drive letter or "\\"), and "|" is not allowed in a
// Windows path at all. A value without the leading "|" is the older raw
// form, which reads back as its first path; the CR the line end took is put
// back so that the list keeps its shape. An empty list is written empty.
std::string EncodeFileListe(const std::string& fileListe)
{
    if (fileListe.empty())
        return "";
    std::string out = "|";
    for (char c : fileListe) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

std::string DecodeFileListe(const std::string& stored)
{
    if (stored.empty())
        return "";
    if (stored.front() != '|') {
        std::string list = stored;
        if (list.back() != '\r')
            list += '\r';
        return list;
    }
    std::string out;
    for (std::size_t i = 1; i < stored.size(); ++i) {
        if (stored[i] == '%' && i + 2 < stored.size()) {
            int hi = HexDigit(stored[i + 1]);
            int lo = HexDigit(stored[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += stored[i];
    }
    return out;
}

namespace {

// Sizes larger than the screen shrink to it; a position of -1, or one that
// puts the window past the right or bottom edge, centres it.
void FitWindowToScreen(const SettingsHost& host)
{
    if (App.LargeurFenetre > host.ScreenWidth)
        App.LargeurFenetre = host.ScreenWidth;
    if (App.HauteurFenetre > host.ScreenHeight)
        App.HauteurFenetre = host.ScreenHeight;
    // In 64 bits: a position or size near the limits of an int, read from
    // the file, must not overflow.
    const std::int64_t width = App.LargeurFenetre;
    const std::int64_t height = App.HauteurFenetre;
    if (App.PosFenetreX == -1 || App.PosFenetreX + width > host.ScreenWidth)
        App.PosFenetreX = static_cast<int>((host.ScreenWidth - width) / 2);
    if (App.PosFenetreY == -1 || App.PosFenetreY + height > host.ScreenHeight)
        App.PosFenetreY = static_cast<int>((host.ScreenHeight - height) / 2);
}

}  // namespace

namespace {

std::string WithoutTrailingSlash(std::string address)
{
    address = TrimSpaces(address);
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

}  // namespace

long long MaxPageSizeBytes()
{
    return App.MaxPageSize > 0 ? App.MaxPageSize : DefaultMaxPageSize;
}

std::string UpdateServerAddress()
{
    const std::string set = WithoutTrailingSlash(App.UpdateServer);
    return set.empty() ? DefaultUpdateServer : set;
}

std::string MakerSiteAddress(bool french)
{
    std::string site = WithoutTrailingSlash(App.MakerSite);
    if (site.empty())
        site = DefaultMakerSite;
    return site + (french ? "/fr/" : "/");
}

std::string MakerMailAddress()
{
    const std::string set = TrimSpaces(App.MakerMail);
    return set.empty() ? DefaultMakerMail : set;
}

bool LoadSettings(const std::string& path, const SettingsHost& host)
{
    std::string text;
    if (!ReadWholeFile(path, text)) {
        // Only a missing file is created: one that exists but could not be
        // read is never truncated.
        CreateEmptyFile(path, SettingsFileMode);
        if (!ReadWholeFile(path, text)) {
            // Nothing is read; the window still opens with the default size,
            // centred (-1), rather than at the screen's corner.
            App.LargeurFenetre = 712;
            App.HauteurFenetre = 600;
            App.PosFenetreX = -1;
            App.PosFenetreY = -1;
            FitWindowToScreen(host);
            return false;
        }
    }

    App.Language = ReadSettingText(text, "Language", "");
    if (App.Language.empty()) {
        if (host.AskLanguage)
            host.AskLanguage();
        if (host.ShowInfo)
            host.ShowInfo();
        App.FirstStart = true;
    }

    App.Folder = ReadSettingText(text, "Folder", "");
    App.FileListe = DecodeFileListe(ReadSettingText(text, "FileListe", ""));
    App.Preferences = ReadSettingText(text, "Preferences", "");

    App.LargeurFenetre = ReadSettingInt(text, "LargeurFenetre", 712);
    App.HauteurFenetre = ReadSettingInt(text, "HauteurFenetre", 600);
    App.PosFenetreX = ReadSettingInt(text, "PosFenetreX", -1);
    App.PosFenetreY = ReadSettingInt(text, "PosFenetreY", -1);
    FitWindowToScreen(host);

    // The servers in use are numbered from 1 without gaps: the first
    // missing name ends the table.
    for (int i = 1; i <= ServerSlots; ++i) {
        const std::string n = std::to_string(i);
        std::string name = ReadSettingText(text, "ServerName" + n, "");
        if (name.empty())
            break;
        ServerEntry& entry = App.ServerTable[i];
        entry.Name = std::move(name);
        entry.Address = ReadSettingText(text, "ServerAdress" + n, "");
        entry.Login = ReadSettingText(text, "ServerLogin" + n, "");
        entry.Password = ReadSettingText(text, "ServerPassword" + n, "");
    }

    App.UpdateServer = ReadSettingText(text, "UpdateServer", "");
    App.MakerSite = ReadSettingText(text, "MakerSite", "");
    App.MakerMail = ReadSettingText(text, "MakerMail", "");
    App.WordForms = ReadSettingInt(text, "WordForms", 1) != 0;
    App.MaxPageSize = std::max(0, ReadSettingInt(text, "MaxPageSize", 0));
    App.HistoryDepth = ReadSettingInt(text, "HistoryDepth", 0);

    if (App.Preferences.find("disableupdates") != std::string::npos)
        App.DisableUpdates = true;
    return true;
}

bool SaveSettings(const std::string& path, const WindowGeometry& window, const std::string& currentPagePath)
{
    std::string text;
    const auto line = [&text](const std::string& key, const std::string& value) {
        text += key;
        text += " = ";
        text += value;
        text += "\r\n";
    };
    line("Language", OneLine(App.Language));
    line("Folder", OneLine(FolderOf(currentPagePath)));
    line("FileListe", EncodeFileListe(App.FileListe));
    line("Preferences", OneLine(App.Preferences));
    line("LargeurFenetre", std::to_string(window.InnerWidth));
    line("HauteurFenetre", std::to_string(window.InnerHeight));
    line("PosFenetreX", std::to_string(window.X));
    line("PosFenetreY", std::to_string(window.Y));
    for (int i = 1; i <= ServerSlots && !App.ServerTable[i].Name.empty(); ++i) {
        const ServerEntry& entry = App.ServerTable[i];
        const std::string n = std::to_string(i);
        line("ServerName" + n, OneLine(entry.Name));
        line("ServerAdress" + n, OneLine(entry.Address));
        line("ServerLogin" + n, OneLine(entry.Login));
        line("ServerPassword" + n, OneLine(entry.Password));
        line("HideServerList", "0");
    }
    // Written only when switched off, so that files stay as they were.
    if (!App.WordForms)
        line("WordForms", "0");
    // The addresses are kept only when they were set by hand.
    if (!App.UpdateServer.empty())
        line("UpdateServer", OneLine(App.UpdateServer));
    if (!App.MakerSite.empty())
        line("MakerSite", OneLine(App.MakerSite));
    if (!App.MakerMail.empty())
        line("MakerMail", OneLine(App.MakerMail));
    if (App.MaxPageSize > 0)
        line("MaxPageSize", std::to_string(App.MaxPageSize));
    if (App.HistoryDepth > 0)
        line("HistoryDepth", std::to_string(App.HistoryDepth));

    // A settings file the user made read-only stays as it is.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)
        return false;

    // The new settings replace the old ones in one step (see
    // ReplaceFileContent): an interrupted save leaves either the old settings
    // or the new ones, never a part of them. The file holds FTP passwords, so
    // only the owner may read it.
    return ReplaceFileContent(path, text, SettingsFileMode);
}

}  // namespace kestrova
