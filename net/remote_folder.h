// Server addresses and remote folders of the upload.
//
// A server address is "[scheme://]host[:port][/folder/...]". Without a
// scheme (or with "ftp://") it is plain FTP in passive mode; "ftp+active://"
// asks for active mode, "ftps://" for FTP over explicit TLS, and "sftp://"
// for SFTP. For FTP the folder is relative to the login folder; for SFTP it
// is a path from the server's root ("sftp://host/~/www" for a folder of the
// home folder). No credentials ever appear in an address or a URL built
// here: they are handed to the connection separately.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrova {

enum class RemoteProtocol { Ftp, Ftps, Sftp };

struct RemoteAddress {
    RemoteProtocol Protocol = RemoteProtocol::Ftp;
    bool ActiveMode = false;  // FTP only
    std::string Host;         // without port; IPv6 literals keep their brackets
    int Port = 0;             // 0: the protocol's default
    // Folder segments from the address, in order, none empty.
    std::vector<std::string> Folders;
};

// Splits an address. False for an empty host, an unknown scheme or a port
// that is not a number from 1 to 65535.
bool ParseRemoteAddress(const std::string& address, RemoteAddress& out);

// The address as the server dialog keeps it: an "ftp://" prefix (any case)
// is removed, as is any other unknown scheme; "ftps://", "sftp://" and
// "ftp+active://" are kept since they choose how to connect. Nothing changes
// unless at least one character follows the "//".
std::string StripFtpScheme(const std::string& address);

// The URL of a folder (trailing "/") or of a file in it, built from the
// address's scheme, host and port and the given segments, each
// percent-encoded. Never holds a login or password.
std::string RemoteUrl(const RemoteAddress& address, const std::vector<std::string>& folders,
                      const std::string& fileName = "");

// The same folder and file as a path for commands sent on the connection:
// for FTP relative to the login folder ("a/b/name"), for SFTP from the root
// (as in the URL, "/~/" standing for the home folder).
std::string RemoteCommandPath(const RemoteAddress& address, const std::vector<std::string>& folders,
                              const std::string& fileName);

// The default upload root of a set of pages: the deepest folder that holds
// every one of them (compared folder by folder, as the paths are written),
// ending with the separator; "" for no pages.
std::string DeepestCommonFolder(const std::vector<std::string>& pagePaths);

// The folder of a page below the upload root, with the platform's separator
// before and after ("/sub/", or "/" for the root itself); nothing when the
// page does not lie below the root. Compares the paths as written.
std::optional<std::string> RemoteFolderOf(const std::string& uploadRoot, const std::string& pagePath);

// The same for a page about to be sent: the page's path must be one the
// journal names faithfully (no CR, LF, TAB or "|"), and the file it resolves
// to (symbolic links and "..") must lie below the resolved root; the remote
// folder is taken from the resolved paths, so it never climbs above the
// server's folder. Nothing when a check fails.
std::optional<std::string> UploadFolderOf(const std::string& uploadRoot, const std::string& pagePath);

// True when a remote folder ("/a/b/") holds a "." or ".." segment.
bool ClimbsRemoteFolder(const std::string& remoteFolder);

// The folder a "257" reply to PWD names (the last such reply of the text,
// with doubled quotes read as one); nothing when there is none.
std::optional<std::string> PwdReplyFolder(const std::string& replies);

// Where a file went, as the upload prints it: "host[:port]:" then the
// absolute folder and the file name, with no doubled slashes.
std::string RemotePlaceText(const RemoteAddress& address, const std::string& absoluteFolder,
                            const std::string& fileName);

// The destination of a queued file: the server's address without a
// trailing "/", then "/" and the remote folder with its separators turned
// into "/" when the remote folder is not empty; never with doubled slashes
// after the host.
std::string UploadDestination(const std::string& serverAddress, const std::string& remoteFolder);

}  // namespace kestrova
