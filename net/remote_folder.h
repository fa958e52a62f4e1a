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

// The upload root of a set of pages: it starts as rootFolder and becomes the
// folder of a page whenever that folder is a shorter leading part of it.
std::string UploadRootFor(const std::string& rootFolder, const std::vector<std::string>& pagePaths);

// The folder of a page below the upload root, with the platform's separator
// before and after ("/sub/", or "/" for the root itself); nothing when the
// page does not lie below the root.
std::optional<std::string> RemoteFolderOf(const std::string& uploadRoot, const std::string& pagePath);

// The destination of a queued file: the server's address without a
// trailing "/", then "/" and the remote folder with its separators turned
// into "/" when the remote folder is not empty.
std::string UploadDestination(const std::string& serverAddress, const std::string& remoteFolder);

}  // namespace kestrova
