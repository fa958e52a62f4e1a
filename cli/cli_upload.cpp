#include "cli/cli_upload.h"

#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <vector>

#include "base/app_state.h"
#include "base/clock.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/settings.h"
#include "cli/invocation.h"
#include "cli/progress_line.h"
#include "net/ftp_upload.h"
#include "net/remote_folder.h"
#include "page/journal.h"

namespace kestrova::cli {

namespace {

// Prints each file sent and keeps the last message of each file; nothing
// waits, there is no one to read a window.
class PrintingUpload : public UploadWindowPort {
public:
    PrintingUpload(std::ostream& out, ProgressLine& progress, std::size_t total)
        : out_(out), progress_(progress), total_(total)
    {
    }
    void OpenUploadWindow(const std::string&, const std::string& text) override
    {
        ++done_;
        name_ = Cp1252ToUtf8(text.substr(0, text.find('\r')));
        SetUploadPercent(0);
    }
    void SetUploadText(const std::string&) override {}
    void SetUploadPercent(int percent) override { progress_.Show(ProgressText(done_, total_, name_, percent)); }
    void CloseUploadWindow() override {}
    void MessageShown(const std::string& localPath, const std::string& message) override
    {
        LastMessage[localPath] = message;
    }
    void FileSent(const std::string& localPath, const std::string& destination) override
    {
        progress_.Clear();
        // The place is the server's own folder and the page's file name,
        // both bytes of the file systems, printed as they are.
        out_ << "sent " << localPath << " -> " << destination << "\n";
        out_.flush();
    }
    std::map<std::string, std::string> LastMessage;

private:
    std::ostream& out_;
    ProgressLine& progress_;
    std::size_t total_;
    std::size_t done_ = 0;
    std::string name_;
};

// A message on one line: CR and LF become spaces, runs of them one space.
std::string OneLine(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Every page of the journal in file order, however many there are. Lines
// end with LF or CR LF; a CR inside a line belongs to the path (which the
// upload then refuses, rather than send another file).
std::vector<std::string> JournalPages()
{
    std::ifstream in(JournalFileName, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> pages;
    std::string line;
    std::istringstream lines(text.str());
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string path = JournalLinePath(line);
        if (!path.empty())
            pages.push_back(path);
    }
    return pages;
}

// A path on one line of the output: CR, LF and TAB written as \r, \n, \t.
std::string Printable(const std::string& path)
{
    std::string out;
    for (char c : path) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

}  // namespace

int UploadVerb(Session& session, const std::string& serverName, const std::string& rootFolder, std::ostream& out)
{
    std::ifstream prefs(SettingsFileName, std::ios::binary);
    std::stringstream prefsText;
    prefsText << prefs.rdbuf();
    const std::string text = prefsText.str();
    int found = 0;
    for (int i = 1; i <= ServerSlots; ++i) {
        const std::string n = std::to_string(i);
        ServerEntry entry;
        entry.Name = ReadSettingText(text, "ServerName" + n, "");
        if (entry.Name.empty())
            break;
        entry.Address = ReadSettingText(text, "ServerAdress" + n, "");
        entry.Login = ReadSettingText(text, "ServerLogin" + n, "");
        entry.Password = ReadSettingText(text, "ServerPassword" + n, "");
        if (found == 0 && entry.Name == serverName)
            found = i;
        App.ServerTable[i] = std::move(entry);
    }
    if (found == 0) {
        session.Error("no server named \"" + Cp1252ToUtf8(serverName) + "\" in " + SettingsFileName);
        return ExitUsage;
    }

    const std::vector<std::string> pages = JournalPages();
    if (pages.empty())
        return ExitOk;
    // The deepest folder that holds every page whose name the journal holds
    // faithfully (the others are refused below whatever the root).
    std::string root = rootFolder;
    if (root.empty()) {
        std::vector<std::string> safe;
        for (const std::string& page : pages)
            if (IsJournalSafePath(page))
                safe.push_back(page);
        root = DeepestCommonFolder(safe);
    } else if (root.back() != '/') {
        root += '/';
    }

    Upload.Clear();
    std::vector<std::string> entries;
    std::vector<std::string> refused;
    for (const std::string& page : pages) {
        std::optional<std::string> folder = UploadFolderOf(root, page);
        if (folder)
            entries.push_back(page + "|" + serverName + "|" + *folder);
        else
            refused.push_back(page);
    }
    Upload.StartRun(std::move(entries));
    Upload.KeepUnsent(refused);
    Upload.UploadStartTime = LocalNowSeconds();
    Upload.UploadState = 0;

    ProgressLine progress(session.Err(), ProgressWanted());
    PrintingUpload printer(out, progress, pages.size() - refused.size());
    SetUploadWindow(&printer);
    StartUploadThread();
    JoinUploadThread();
    SetUploadWindow(nullptr);
    progress.Clear();

    const std::vector<std::string> unsent = Upload.Snapshot();
    PurgeJournal();
    for (const std::string& page : refused)
        session.Error(
            "not sent: " + Printable(page) +
            (IsJournalSafePath(page) ? ": outside the upload root " + root : ": a CR, LF, TAB or \"|\" in its name"));
    for (const std::string& entry : unsent) {
        const std::string page = entry.substr(0, entry.find('|'));
        auto message = printer.LastMessage.find(page);
        session.Error("not sent: " + Printable(page) +
                      (message != printer.LastMessage.end() ? ": " + Cp1252ToUtf8(OneLine(message->second)) : ""));
    }
    Upload.Clear();
    return refused.empty() && unsent.empty() ? ExitOk : ExitFailure;
}

}  // namespace kestrova::cli
