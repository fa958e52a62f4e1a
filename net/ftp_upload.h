// The upload of changed pages to a web server over FTP, FTPS or SFTP.
//
// The journal window (or kestrova-cli) fills the upload queue of
// page/journal.h with "path|server name|remote folder" entries, sets
// UploadState to 0 and starts UploadThread on a thread of its own. The
// worker sends each file into the server's folder plus the remote folder,
// creating missing folders, and removes each sent file from the queue;
// files that fail stay queued. A file is written under a temporary name in
// its folder and renamed into place once complete, so the live page is never
// a truncated one. Login and password go to the connection only: they never
// appear in a URL, a message or the log.
//
// The worker shows its progress through an UploadWindowPort, which the
// program implements with a small window near the bottom right of the screen
// (updated on the main thread) and which tests and the command-line tool
// implement without windows.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "net/net_errors.h"
#include "page/journal.h"

namespace kestrova {

// The worker's view of its progress window. Every call comes from the
// upload worker.
class UploadWindowPort {
public:
    virtual ~UploadWindowPort() = default;
    // Opens the progress window of one file ("UpLoad") with its first text.
    virtual void OpenUploadWindow(const std::string& title, const std::string& text) = 0;
    // The text (Windows-1252, CR line breaks) and the progress (0 to 100).
    virtual void SetUploadText(const std::string& text) = 0;
    virtual void SetUploadPercent(int percent) = 0;
    virtual void CloseUploadWindow() = 0;
    // Whether a message stays on screen for a while before the worker goes
    // on (true for a window the user reads).
    virtual bool HoldsMessages() const { return false; }
    // Waits up to `period` for the user (closing the window sets UploadState
    // to 1 and wakes the wait, see WakeUploadWorker).
    virtual void WaitForEvents(std::chrono::milliseconds period);
    // A message of ShowUploadMessage about the file being sent.
    virtual void MessageShown(const std::string& localPath, const std::string& message);
    // A file was sent whole and left the queue.
    virtual void FileSent(const std::string& localPath, const std::string& destination);
};

// The port in use (a windowless one until the program installs its own).
UploadWindowPort& UploadWindow();
// Installs a port (not owned); nullptr restores the windowless default.
void SetUploadWindow(UploadWindowPort* port);

// Wakes a worker waiting in WaitForEvents (after UploadState changed).
void WakeUploadWorker();

// Where the certificate and host key checks look. Empty texts mean the
// defaults: the system's certificate store, "~/.ssh/known_hosts", and the
// SSH library's default key files.
struct UploadSecurity {
    std::string CaFile;
    std::string KnownHostsFile;
    std::string SshPrivateKeyFile;
    std::string SshPublicKeyFile;
};
extern UploadSecurity UploadSecurityOptions;

// The names found in the folder the address designates (files and folders,
// in the server's order), each followed by CR; the translated "Error" when
// the connection fails.
std::string ListRemoteFolder(const std::string& address, const std::string& login, const std::string& password);

// Where an address leads on its server, as the server itself says once the
// folders are entered (PWD for FTP and FTPS, the path with "~" resolved for
// SFTP): the absolute folder of the deepest folder that exists, and the
// segments below it that do not exist yet (an upload creates them).
struct RemoteFolderPlace {
    bool Connected = false;
    std::string ExistingFolder;
    std::vector<std::string> Missing;
    // The folder the address leads to: ExistingFolder and Missing joined.
    std::string Folder() const;
};
// Connects and walks the address's folders without changing anything.
RemoteFolderPlace LocateRemoteFolder(const std::string& address, const std::string& login, const std::string& password);
// Why a listing failed, for the user.
struct RemoteListFailure {
    NetFailure Kind = NetFailure::None;  // None when the listing worked
    bool Cancelled = false;              // ended by the cancel request
    // The message to show: host not found, refused, time-out, login refused
    // (530), certificate refused, or the client's own text; translated.
    std::string Message;
};

// ListRemoteFolder that tells why it failed (in `failure`, may be null) and
// stops soon after `cancel` (may be null) is set; for a worker thread.
std::string ListRemoteFolder(const std::string& address, const std::string& login, const std::string& password,
                             RemoteListFailure* failure, const std::atomic<bool>* cancel);

// Connects to the destination's server and enters its folder, creating the
// folders that are missing (UploadProgress then tells where it stands and
// which segments it created). When the destination's last segment holds a ".",
// it is the remote file name. Returns 1 when connected (the connection stays
// open for UploadFile), 0 after a message.
int FtpConnectToFolder(const std::string& destination, const std::string& login, const std::string& password);

// Sends one local file to the destination (a folder, or a file name). Returns
// 1 when the whole file arrived under its final name, 0 after a message.
int UploadFile(const std::string& destination, const std::string& login, const std::string& password,
               const std::string& localPath);

// Appends a message to the progress window's log, then keeps it readable for
// 8 seconds (when the port holds messages) unless the user closes the window,
// which aborts the run.
void ShowUploadMessage(const std::string& message);

// The worker: processes the upload queue with the given server records
// (entries 1 to 20, stopping at the first empty name) until its end or an
// abort, then sets UploadState to 2 unless it was aborted.
void UploadThread(std::array<ServerEntry, ServerSlots + 1> servers);

// Starts UploadThread on a thread of its own with a copy of App.ServerTable
// and records it in BackgroundThread. A worker of an earlier run that is
// still ending is waited for first.
void StartUploadThread();
// Waits for the worker of the last run to end (at exit, and in tests).
void JoinUploadThread();
// True from StartUploadThread until the worker has ended.
bool UploadThreadRunning();

// Per-file progress of the worker (for messages and tests).
struct UploadProgressState {
    std::int64_t BytesSent = 0;
    std::int64_t FileSize = 0;
    std::string RemoteFileName;
    std::string MessageLog;
    std::string LocalPath;
    // The absolute folder the connection stands in (from the server), the
    // segments FtpConnectToFolder had to create, and where the file goes
    // ("host[:port]:/folder/name").
    std::string RemoteFolder;
    std::vector<std::string> CreatedFolders;
    std::string RemotePlace;
    // The local file as it was read for a whole transfer (UploadFile 1).
    std::optional<FileIdentity> SentIdentity;
};
// Only the worker (or the thread running an upload) uses it.
extern UploadProgressState UploadProgress;

// Bytes handed to the connection per step of a transfer.
constexpr std::size_t UploadChunkSize = 200;
// How long a message stays readable before the worker goes on.
constexpr std::chrono::seconds UploadMessageHold{8};

}  // namespace kestrova
