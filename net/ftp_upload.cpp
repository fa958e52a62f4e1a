#include "net/ftp_upload.h"

#include <curl/curl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/paths.h"
#include "base/translate.h"
#include "net/remote_folder.h"
#include "page/journal.h"

namespace kestrova {

UploadProgressState UploadProgress;
UploadSecurity UploadSecurityOptions;

namespace {

// --- The worker's wake-up and the port in use --------------------------------

std::mutex wakeMutex;
std::condition_variable wakeSignal;
std::uint64_t wakeCount = 0;

UploadWindowPort* installedPort = nullptr;

class WindowlessUpload : public UploadWindowPort {
public:
    void OpenUploadWindow(const std::string&, const std::string&) override {}
    void SetUploadText(const std::string&) override {}
    void SetUploadPercent(int) override {}
    void CloseUploadWindow() override {}
};

// --- libcurl handles ---------------------------------------------------------

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

Slist MakeSlist(const std::vector<std::string>& lines)
{
    curl_slist* list = nullptr;
    for (const std::string& line : lines)
        list = curl_slist_append(list, line.c_str());
    return Slist(list);
}

size_t Discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

int CancelRequested(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

size_t Collect(char* data, size_t size, size_t count, void* userdata)
{
    static_cast<std::string*>(userdata)->append(data, size * count);
    return size * count;
}

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

// One connection to a server: the handle keeps the connection open between
// the requests made on it.
struct Connection {
    CurlHandle Handle;
    RemoteAddress Address;
    std::string Login;
    std::string Password;
    char ErrorBuffer[CURL_ERROR_SIZE] = {};
    // When set, requests end soon after it is set (the server dialog's
    // "Cancel").
    const std::atomic<bool>* Cancel = nullptr;

    bool Open(const RemoteAddress& address, const std::string& login, const std::string& password)
    {
        InitCurlOnce();
        Handle.reset(curl_easy_init());
        if (!Handle)
            return false;
        Address = address;
        Login = login;
        Password = password;
        return true;
    }

    // Every option a request needs; the request then adds its own.
    void Reset()
    {
        CURL* h = Handle.get();
        curl_easy_reset(h);
        ErrorBuffer[0] = '\0';
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, ErrorBuffer);
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp,sftp");
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 30L);
        // A connection that moves nothing for a minute is taken as dead.
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
        if (Cancel != nullptr) {
            // Called about once a second, also while nothing moves.
            curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, CancelRequested);
            curl_easy_setopt(h, CURLOPT_XFERINFODATA, Cancel);
            // A server that accepts and never answers is a time-out.
            curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, 30L);
        }
        if (!Login.empty())
            curl_easy_setopt(h, CURLOPT_USERNAME, Login.c_str());
        if (!Password.empty())
            curl_easy_setopt(h, CURLOPT_PASSWORD, Password.c_str());
        if (Address.Protocol == RemoteProtocol::Sftp) {
            std::string knownHosts = UploadSecurityOptions.KnownHostsFile;
            if (knownHosts.empty())
                knownHosts = HomeFolder() + "/.ssh/known_hosts";
            // Without a callback libcurl accepts only a key that matches
            // the known hosts file.
            curl_easy_setopt(h, CURLOPT_SSH_KNOWNHOSTS, knownHosts.c_str());
            curl_easy_setopt(h, CURLOPT_SSH_AUTH_TYPES,
                             static_cast<long>(CURLSSH_AUTH_PUBLICKEY | CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
            if (!UploadSecurityOptions.SshPrivateKeyFile.empty())
                curl_easy_setopt(h, CURLOPT_SSH_PRIVATE_KEYFILE, UploadSecurityOptions.SshPrivateKeyFile.c_str());
            if (!UploadSecurityOptions.SshPublicKeyFile.empty())
                curl_easy_setopt(h, CURLOPT_SSH_PUBLIC_KEYFILE, UploadSecurityOptions.SshPublicKeyFile.c_str());
        } else {
            // Passive mode unless the address asks for active mode.
            if (Address.ActiveMode)
                curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
            if (Address.Protocol == RemoteProtocol::Ftps) {
                curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
                curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
                curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
                if (!UploadSecurityOptions.CaFile.empty())
                    curl_easy_setopt(h, CURLOPT_CAINFO, UploadSecurityOptions.CaFile.c_str());
            }
        }
    }

    CURLcode Perform(const std::string& url)
    {
        curl_easy_setopt(Handle.get(), CURLOPT_URL, url.c_str());
        return curl_easy_perform(Handle.get());
    }

    // The error of the last request, with the server's last reply code.
    std::string ErrorText(CURLcode code) const
    {
        std::string text = ErrorBuffer[0] != '\0' ? ErrorBuffer : curl_easy_strerror(code);
        long reply = 0;
        if (Address.Protocol != RemoteProtocol::Sftp &&
            curl_easy_getinfo(Handle.get(), CURLINFO_RESPONSE_CODE, &reply) == CURLE_OK && reply != 0 &&
            text.find(std::to_string(reply)) == std::string::npos)
            text += " (" + std::to_string(reply) + ")";
        return text;
    }
};

// The connection of the file being sent (worker only).
Connection current;
std::vector<std::string> currentFolders;  // the folders reached

// A path for a quoted SFTP command.
std::string QuotedPath(const std::string& path)
{
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Enters the folder (FTP) or lists it (SFTP), creating it when asked and
// missing. On success `where` becomes the absolute folder the server says
// the connection stands in (left as it was when the server does not say).
bool EnterFolder(Connection& connection, const std::vector<std::string>& folders, bool create, std::string& where)
{
    connection.Reset();
    CURL* h = connection.Handle.get();
    std::string replies;
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, Collect);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &replies);
    Slist quote;
    if (connection.Address.Protocol == RemoteProtocol::Sftp) {
        std::vector<std::string> commands;
        // "*": a failure (the folder exists) does not end the request.
        if (create && !folders.empty() && folders.back() != "~")
            commands.push_back("*mkdir " + QuotedPath(RemoteCommandPath(connection.Address, folders, "")));
        // Says the request's folder, "~" resolved to the home folder.
        commands.push_back("pwd");
        quote = MakeSlist(commands);
        curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
    } else {
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        if (create)
            curl_easy_setopt(h, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
        // Asked once the folders are entered.
        quote = MakeSlist({"PWD"});
        curl_easy_setopt(h, CURLOPT_PREQUOTE, quote.get());
    }
    if (connection.Perform(RemoteUrl(connection.Address, folders)) != CURLE_OK)
        return false;
    if (std::optional<std::string> folder = PwdReplyFolder(replies))
        where = *folder;
    return true;
}

// The folder as the address writes it, when the server does not say.
std::string WrittenFolder(const RemoteAddress& address, const std::vector<std::string>& folders)
{
    return RemoteCommandPath(address, folders, "");
}

std::string SplitField(const std::string& entry, int number)
{
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) {
        std::size_t bar = entry.find('|', start);
        if (bar == std::string::npos)
            return "";
        start = bar + 1;
    }
    std::size_t end = entry.find('|', start);
    return entry.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

struct ReadState {
    std::FILE* File = nullptr;
    std::string Name;
    std::string Destination;
    bool ReadFailed = false;
};

size_t ReadChunk(char* buffer, size_t size, size_t count, void* userdata)
{
    ReadState& state = *static_cast<ReadState*>(userdata);
    if (Upload.UploadState.load() != 0)
        return CURL_READFUNC_ABORT;
    std::int64_t left = UploadProgress.FileSize - UploadProgress.BytesSent;
    if (left <= 0)
        return 0;
    std::size_t want = std::min<std::size_t>({UploadChunkSize, size * count, static_cast<std::size_t>(left)});
    UploadWindowPort& port = UploadWindow();
    port.SetUploadText(state.Name + "\r" + state.Destination + "\r" + std::to_string(UploadProgress.BytesSent) + " / " +
                       std::to_string(UploadProgress.FileSize));
    // A failed read is tried again, eight times at most.
    std::size_t got = 0;
    for (int errors = 0; errors < 8; ++errors) {
        got = std::fread(buffer, 1, want, state.File);
        if (got > 0)
            break;
        std::clearerr(state.File);
    }
    if (got == 0) {
        state.ReadFailed = true;
        return CURL_READFUNC_ABORT;
    }
    UploadProgress.BytesSent += static_cast<std::int64_t>(got);
    port.SetUploadPercent(static_cast<int>(UploadProgress.BytesSent * 100 / UploadProgress.FileSize));
    return got;
}

std::string LocalErrorText()
{
    return std::strerror(errno);
}

std::thread worker;
std::uint64_t workerCount = 0;
std::atomic<bool> workerRunning{false};

}  // namespace

// --- Port ----------------------------------------------------------------------

void UploadWindowPort::WaitForEvents(std::chrono::milliseconds period)
{
    std::unique_lock<std::mutex> lock(wakeMutex);
    std::uint64_t seen = wakeCount;
    wakeSignal.wait_for(lock, period, [&] { return wakeCount != seen; });
}

void UploadWindowPort::MessageShown(const std::string&, const std::string&) {}

void UploadWindowPort::FileSent(const std::string&, const std::string&) {}

UploadWindowPort& UploadWindow()
{
    static WindowlessUpload windowless;
    return installedPort != nullptr ? *installedPort : windowless;
}

void SetUploadWindow(UploadWindowPort* port)
{
    installedPort = port;
}

void WakeUploadWorker()
{
    {
        std::lock_guard<std::mutex> lock(wakeMutex);
        ++wakeCount;
    }
    wakeSignal.notify_all();
}

// --- Browsing -------------------------------------------------------------------

std::string ListRemoteFolder(const std::string& address, const std::string& login, const std::string& password)
{
    return ListRemoteFolder(address, login, password, nullptr, nullptr);
}

std::string ListRemoteFolder(const std::string& address, const std::string& login, const std::string& password,
                             RemoteListFailure* failure, const std::atomic<bool>* cancel)
{
    RemoteListFailure ignored;
    RemoteListFailure& why = failure != nullptr ? *failure : ignored;
    why = {};
    RemoteAddress remote;
    Connection connection;
    connection.Cancel = cancel;
    if (!ParseRemoteAddress(address, remote) || !connection.Open(remote, login, password)) {
        why.Kind = NetFailure::Other;
        why.Message = TranslateEnglishKey("Server adress:") + " " + address;
        return TranslateEnglishKey("Error");
    }
    // A folder that cannot be entered is left out, as the folders above it
    // are still worth showing.
    std::vector<std::string> folders = remote.Folders;
    for (;;) {
        connection.Reset();
        std::string listing;
        curl_easy_setopt(connection.Handle.get(), CURLOPT_DIRLISTONLY, 1L);
        curl_easy_setopt(connection.Handle.get(), CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(connection.Handle.get(), CURLOPT_WRITEDATA, &listing);
        CURLcode code = connection.Perform(RemoteUrl(remote, folders));
        if (code == CURLE_OK) {
            std::string names;
            std::size_t pos = 0;
            while (pos < listing.size()) {
                std::size_t end = listing.find('\n', pos);
                if (end == std::string::npos)
                    end = listing.size();
                std::string name = listing.substr(pos, end - pos);
                if (!name.empty() && name.back() == '\r')
                    name.pop_back();
                if (!name.empty() && name != "." && name != "..")
                    names += name + "\r";
                pos = end + 1;
            }
            return names;
        }
        bool folderMissing = code == CURLE_REMOTE_ACCESS_DENIED || code == CURLE_REMOTE_FILE_NOT_FOUND ||
                             code == CURLE_FTP_COULDNT_RETR_FILE;
        if (!folderMissing || folders.empty()) {
            why.Cancelled = code == CURLE_ABORTED_BY_CALLBACK && cancel != nullptr && cancel->load();
            why.Kind = ClassifyNetError(code);
            why.Message = NetFailureMessage(remote.Host, why.Kind, code, 0, 0, connection.ErrorText(code));
            return TranslateEnglishKey("Error");
        }
        folders.pop_back();
    }
}

std::string RemoteFolderPlace::Folder() const
{
    std::string folder = ExistingFolder;
    for (const std::string& segment : Missing) {
        if (folder.empty() || folder.back() != '/')
            folder += '/';
        folder += segment;
    }
    return folder;
}

RemoteFolderPlace LocateRemoteFolder(const std::string& address, const std::string& login, const std::string& password)
{
    RemoteFolderPlace place;
    RemoteAddress remote;
    Connection connection;
    if (!ParseRemoteAddress(address, remote) || !connection.Open(remote, login, password))
        return place;
    std::string where = WrittenFolder(remote, {});
    std::vector<std::string> reached;
    if (!EnterFolder(connection, reached, false, where))
        return place;
    place.Connected = true;
    for (std::size_t i = 0; i < remote.Folders.size(); ++i) {
        std::vector<std::string> next = reached;
        next.push_back(remote.Folders[i]);
        std::string nextWhere = WrittenFolder(remote, next);
        if (!EnterFolder(connection, next, false, nextWhere)) {
            place.Missing.assign(remote.Folders.begin() + static_cast<std::ptrdiff_t>(i), remote.Folders.end());
            break;
        }
        reached = std::move(next);
        where = nextWhere;
    }
    place.ExistingFolder = where;
    return place;
}

// --- Sending ----------------------------------------------------------------------

void ShowUploadMessage(const std::string& message)
{
    if (message.empty())
        return;
    std::string prefix;
    if (UploadProgress.FileSize != 0)
        prefix = " : " + std::to_string(UploadProgress.BytesSent) + "/" + std::to_string(UploadProgress.FileSize);
    UploadProgress.MessageLog += prefix + "\n\r" + std::string(39, '_') + "\n\r" + message + "\r";
    UploadWindowPort& port = UploadWindow();
    port.SetUploadText(UploadProgress.MessageLog);
    port.MessageShown(UploadProgress.LocalPath, message);
    if (!port.HoldsMessages())
        return;
    // Readable for a while; closing the window ends the wait and the run.
    const MonotonicTime start = MonotonicNow();
    while (Upload.UploadState.load() == 0 && MonotonicNow() - start < UploadMessageHold)
        port.WaitForEvents(std::chrono::milliseconds(20));
}

int FtpConnectToFolder(const std::string& destination, const std::string& login, const std::string& password)
{
    UploadProgress.MessageLog.clear();
    UploadProgress.BytesSent = 0;
    UploadProgress.FileSize = 0;
    UploadProgress.RemoteFolder.clear();
    UploadProgress.CreatedFolders.clear();
    currentFolders.clear();

    RemoteAddress remote;
    bool parsed = ParseRemoteAddress(destination, remote);
    if (parsed && !remote.Folders.empty() && destination.back() != '/' &&
        remote.Folders.back().find('.') != std::string::npos) {
        UploadProgress.RemoteFileName = remote.Folders.back();
        remote.Folders.pop_back();
    }
    if (!current.Open(remote, login, password)) {
        ShowUploadMessage(
            TranslateEnglishKey("Impossible to initialise connection (Internet Access does'nt seem to work)"));
        return 0;
    }
    const std::string cannotConnect =
        TranslateEnglishKey("Impossible to initialise connection. There is perhaps too many connections yet opened...");
    if (!parsed) {
        ShowUploadMessage(cannotConnect + "\r" + TranslateEnglishKey("Server adress:") + " " + destination);
        current.Handle.reset();
        return 0;
    }
    // Log in (and, for SFTP, check the host key) before anything else; the
    // server says where the login leaves the connection.
    std::string where = WrittenFolder(remote, {});
    CURLcode code = CURLE_OK;
    {
        current.Reset();
        std::string replies;
        curl_easy_setopt(current.Handle.get(), CURLOPT_HEADERFUNCTION, Collect);
        curl_easy_setopt(current.Handle.get(), CURLOPT_HEADERDATA, &replies);
        Slist quote = MakeSlist({remote.Protocol == RemoteProtocol::Sftp ? "pwd" : "PWD"});
        if (remote.Protocol != RemoteProtocol::Sftp) {
            curl_easy_setopt(current.Handle.get(), CURLOPT_NOBODY, 1L);
            curl_easy_setopt(current.Handle.get(), CURLOPT_PREQUOTE, quote.get());
        } else {
            curl_easy_setopt(current.Handle.get(), CURLOPT_QUOTE, quote.get());
        }
        code = current.Perform(RemoteUrl(remote, {}));
        if (std::optional<std::string> folder = PwdReplyFolder(replies))
            where = *folder;
    }
    if (code != CURLE_OK) {
        // A refused login, an unknown host, a refused connection... say so;
        // only an unexplained failure keeps the general message.
        const NetFailure kind = ClassifyNetError(code);
        ShowUploadMessage(kind == NetFailure::Other ? cannotConnect + "\r" + current.ErrorText(code)
                                                    : NetFailureMessage(remote.Host, kind, code));
        current.Handle.reset();
        return 0;
    }
    // Folder by folder; a folder that cannot be made is reported and the
    // file goes to the deepest folder reached.
    for (const std::string& segment : remote.Folders) {
        std::vector<std::string> next = currentFolders;
        next.push_back(segment);
        std::string reached = WrittenFolder(remote, next);
        if (EnterFolder(current, next, false, reached)) {
            currentFolders = std::move(next);
            where = reached;
        } else if (EnterFolder(current, next, true, reached)) {
            currentFolders = std::move(next);
            where = reached;
            UploadProgress.CreatedFolders.push_back(where);
        } else {
            ShowUploadMessage(TranslateEnglishKey("Impossible to create this directory: ") + segment);
        }
    }
    UploadProgress.RemoteFolder = where;
    UploadProgress.RemotePlace = RemotePlaceText(remote, where, UploadProgress.RemoteFileName);
    return 1;
}

int UploadFile(const std::string& destination, const std::string& login, const std::string& password,
               const std::string& localPath)
{
    UploadWindowPort& port = UploadWindow();
    const std::string name = DisplayFileName(localPath);
    port.OpenUploadWindow("UpLoad", name + "\r" + destination);
    port.SetUploadPercent(0);
    UploadProgress.LocalPath = localPath;
    UploadProgress.RemoteFileName = FileNameOf(localPath);
    UploadProgress.RemotePlace.clear();
    UploadProgress.SentIdentity.reset();

    auto finish = [&](int result) {
        current.Handle.reset();
        port.CloseUploadWindow();
        return result;
    };

    if (FtpConnectToFolder(destination, login, password) == 0)
        return finish(0);

    ReadState read;
    read.Name = name;
    // Where the file really goes, as the server said.
    read.Destination = UploadProgress.RemotePlace;
    port.SetUploadText(name + "\r" + read.Destination);
    read.File = std::fopen(localPath.c_str(), "rb");
    if (read.File == nullptr) {
        ShowUploadMessage(TranslateEnglishKey("Impossible to open the file to upload: ") + "\r" + LocalErrorText());
        return finish(0);
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(read.File, std::fclose);
    // What is read is this file; a change of it while it is sent is seen.
    const std::optional<FileIdentity> readIdentity = FileIdentityOf(::fileno(read.File));
    std::int64_t size = -1;
    if (std::fseek(read.File, 0, SEEK_END) == 0)
        size = std::ftell(read.File);
    std::rewind(read.File);
    if (size <= 0) {
        ShowUploadMessage(TranslateEnglishKey("The file to upload has a size of zero!") + "\r" +
                          (size < 0 ? LocalErrorText() : std::string()));
        return finish(0);
    }
    UploadProgress.FileSize = size;
    UploadProgress.BytesSent = 0;

    // Written under a temporary name, renamed into place once complete.
    const RemoteAddress& remote = current.Address;
    const std::string finalName = UploadProgress.RemoteFileName;
    const std::string tempName = "." + finalName + ".kestrova-upload";
    Slist after;
    if (remote.Protocol == RemoteProtocol::Sftp) {
        const std::string finalPath = RemoteCommandPath(remote, currentFolders, finalName);
        const std::string tempPath = RemoteCommandPath(remote, currentFolders, tempName);
        // An SFTP rename does not replace an existing file.
        after =
            MakeSlist({"*rm " + QuotedPath(finalPath), "rename " + QuotedPath(tempPath) + " " + QuotedPath(finalPath)});
    } else {
        after = MakeSlist({"RNFR " + tempName, "RNTO " + finalName});
    }
    current.Reset();
    CURL* h = current.Handle.get();
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadChunk);
    curl_easy_setopt(h, CURLOPT_READDATA, &read);
    curl_easy_setopt(h, CURLOPT_POSTQUOTE, after.get());
    CURLcode code = current.Perform(RemoteUrl(remote, currentFolders, tempName));
    if (code == CURLE_OK && UploadProgress.BytesSent == size) {
        // Sent as read: the journal may let the page go while it stays so.
        const std::optional<FileIdentity> afterIdentity = FileIdentityOf(::fileno(read.File));
        if (readIdentity && afterIdentity && *readIdentity == *afterIdentity && readIdentity->Size == size)
            UploadProgress.SentIdentity = readIdentity;
        return finish(1);
    }

    std::string error = read.ReadFailed ? LocalErrorText() : current.ErrorText(code);
    bool notCreated =
        UploadProgress.BytesSent == 0 && (code == CURLE_UPLOAD_FAILED || code == CURLE_REMOTE_ACCESS_DENIED ||
                                          code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_DISK_FULL);
    // The temporary file goes away when the connection still allows it.
    current.Reset();
    Slist remove = MakeSlist({remote.Protocol == RemoteProtocol::Sftp
                                  ? "*rm " + QuotedPath(RemoteCommandPath(remote, currentFolders, tempName))
                                  : "*DELE " + tempName});
    curl_easy_setopt(current.Handle.get(), CURLOPT_QUOTE, remove.get());
    if (remote.Protocol != RemoteProtocol::Sftp)
        curl_easy_setopt(current.Handle.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(current.Handle.get(), CURLOPT_CONNECTTIMEOUT, 10L);
    current.Perform(RemoteUrl(remote, currentFolders));

    if (notCreated)
        ShowUploadMessage(TranslateEnglishKey("Impossible to create the file on the FTP.") + "\r" + error);
    else if (UploadProgress.BytesSent > 0)
        ShowUploadMessage(TranslateEnglishKey("The write operation on FTP has been interrupted") + "\r" + error);
    else
        ShowUploadMessage(TranslateEnglishKey("Impossible to write on this FTP.") + "\r" + error);
    return finish(0);
}

// --- The worker ---------------------------------------------------------------------

void UploadThread(std::array<ServerEntry, ServerSlots + 1> servers)
{
    std::size_t position = 0;
    for (;;) {
        if (Upload.UploadState.load() != 0)
            break;
        std::string entry = Upload.At(position);
        if (entry.empty())
            break;
        const std::string path = SplitField(entry, 1);
        const std::string serverName = SplitField(entry, 2);
        const std::string folder = SplitField(entry, 3);
        const ServerEntry* server = nullptr;
        for (int n = 1; n <= ServerSlots && !servers[n].Name.empty(); ++n) {
            if (servers[n].Name == serverName) {
                server = &servers[n];
                break;
            }
        }
        if (server == nullptr) {
            Upload.RemoveAt(position);
            continue;
        }
        // A path the journal cannot name faithfully, or a folder that would
        // climb above the server's folder, is never sent: it stays queued.
        if (!IsJournalSafePath(path) || ClimbsRemoteFolder(folder)) {
            UploadProgress = UploadProgressState{};
            UploadProgress.LocalPath = path;
            ShowUploadMessage(TranslateFrenchKey("Ces pages ne peuvent \xEAtre envoy\xE9"
                                                 "es (nom illisible dans le journal, ou hors du dossier du site) :") +
                              "\r" + path);
            ++position;
            continue;
        }
        const std::string destination = UploadDestination(server->Address, folder);
        if (UploadFile(destination, server->Login, server->Password, path) == 1) {
            if (UploadProgress.SentIdentity)
                Upload.RecordSent(path, *UploadProgress.SentIdentity);
            Upload.RemoveAt(position);
            UploadWindow().FileSent(path,
                                    UploadProgress.RemotePlace.empty() ? destination : UploadProgress.RemotePlace);
        } else {
            ++position;
        }
    }
    int running = 0;
    Upload.UploadState.compare_exchange_strong(running, 2);
    workerRunning = false;
}

void StartUploadThread()
{
    JoinUploadThread();
    // A run still going on when the program ends is aborted and waited for.
    static std::once_flag atExit;
    std::call_once(atExit, [] {
        std::atexit([] {
            int running = 0;
            Upload.UploadState.compare_exchange_strong(running, 1);
            WakeUploadWorker();
            JoinUploadThread();
        });
    });
    std::array<ServerEntry, ServerSlots + 1> servers = App.ServerTable;
    workerRunning = true;
    worker = std::thread(UploadThread, std::move(servers));
    Upload.BackgroundThread.store(++workerCount);
}

void JoinUploadThread()
{
    if (worker.joinable())
        worker.join();
}

bool UploadThreadRunning()
{
    return workerRunning.load();
}

}  // namespace kestrova
