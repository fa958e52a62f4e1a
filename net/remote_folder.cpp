#include "net/remote_folder.h"

#include <cctype>
#include <filesystem>

#include "base/paths.h"
#include "page/journal.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The scheme before "://", lower-cased; "" when the address has none.
std::string SchemeOf(const std::string& address, std::size_t& rest)
{
    std::size_t mark = address.find("://");
    rest = 0;
    if (mark == std::string::npos)
        return "";
    for (std::size_t i = 0; i < mark; ++i) {
        unsigned char c = static_cast<unsigned char>(address[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return "";
    }
    rest = mark + 3;
    return Lower(address.substr(0, mark));
}

std::string PercentEncode(const std::string& segment)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : segment) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

bool ParseRemoteAddress(const std::string& address, RemoteAddress& out)
{
    out = RemoteAddress{};
    std::size_t start = 0;
    std::string scheme = SchemeOf(address, start);
    if (scheme.empty() || scheme == "ftp") {
        out.Protocol = RemoteProtocol::Ftp;
    } else if (scheme == "ftp+active") {
        out.Protocol = RemoteProtocol::Ftp;
        out.ActiveMode = true;
    } else if (scheme == "ftps") {
        out.Protocol = RemoteProtocol::Ftps;
    } else if (scheme == "sftp") {
        out.Protocol = RemoteProtocol::Sftp;
    } else {
        return false;
    }
    std::size_t slash = address.find('/', start);
    std::string hostPort = address.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    // "[::1]:21" keeps its brackets; a colon after them (or the only colon
    // of a name) starts the port.
    std::size_t colon = std::string::npos;
    if (!hostPort.empty() && hostPort[0] == '[') {
        std::size_t close = hostPort.find(']');
        if (close == std::string::npos)
            return false;
        if (close + 1 < hostPort.size()) {
            if (hostPort[close + 1] != ':')
                return false;
            colon = close + 1;
        }
    } else {
        colon = hostPort.find(':');
    }
    out.Host = hostPort.substr(0, colon);
    if (out.Host.empty())
        return false;
    if (colon != std::string::npos) {
        std::string port = hostPort.substr(colon + 1);
        if (port.empty() || port.size() > 5)
            return false;
        int value = 0;
        for (char c : port) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535)
            return false;
        out.Port = value;
    }
    if (slash != std::string::npos) {
        std::size_t pos = slash + 1;
        while (pos <= address.size()) {
            std::size_t next = address.find('/', pos);
            if (next == std::string::npos)
                next = address.size();
            if (next > pos)
                out.Folders.push_back(address.substr(pos, next - pos));
            pos = next + 1;
        }
    }
    return true;
}

std::string StripFtpScheme(const std::string& address)
{
    std::size_t mark = address.find("//");
    if (mark == std::string::npos || mark + 2 >= address.size())
        return address;
    std::size_t rest = 0;
    std::string scheme = SchemeOf(address, rest);
    if (scheme == "ftps" || scheme == "sftp" || scheme == "ftp+active")
        return address;
    return address.substr(mark + 2);
}

std::string RemoteUrl(const RemoteAddress& address, const std::vector<std::string>& folders,
                      const std::string& fileName)
{
    std::string url = address.Protocol == RemoteProtocol::Sftp ? "sftp://" : "ftp://";
    url += address.Host;
    if (address.Port != 0)
        url.append(1, ':').append(std::to_string(address.Port));
    url += "/";
    for (const std::string& folder : folders) {
        // "~" stays readable so that "/~/" keeps meaning the home folder.
        url += folder == "~" ? folder : PercentEncode(folder);
        url += "/";
    }
    url += PercentEncode(fileName);
    return url;
}

std::string RemoteCommandPath(const RemoteAddress& address, const std::vector<std::string>& folders,
                              const std::string& fileName)
{
    std::string path = address.Protocol == RemoteProtocol::Sftp ? "/" : "";
    for (const std::string& folder : folders)
        path += folder + "/";
    return path + fileName;
}

std::string DeepestCommonFolder(const std::vector<std::string>& pagePaths)
{
    if (pagePaths.empty())
        return "";
    std::string common = FolderOf(pagePaths.front());
    for (const std::string& path : pagePaths) {
        const std::string folder = FolderOf(path);
        std::size_t same = 0;
        while (same < common.size() && same < folder.size() && common[same] == folder[same])
            ++same;
        // Back to the end of the last whole folder both share.
        while (same > 0 && common[same - 1] != '/')
            --same;
        common.resize(same);
    }
    return common;
}

std::optional<std::string> RemoteFolderOf(const std::string& uploadRoot, const std::string& pagePath)
{
    if (uploadRoot.empty() || pagePath.size() <= uploadRoot.size() ||
        pagePath.compare(0, uploadRoot.size(), uploadRoot) != 0)
        return std::nullopt;
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (uploadRoot.back() != separator)
        return std::nullopt;
    // The root's last character (its separator) starts the remote folder.
    return FolderOf(pagePath).substr(uploadRoot.size() - 1);
}

std::optional<std::string> UploadFolderOf(const std::string& uploadRoot, const std::string& pagePath)
{
    if (!IsJournalSafePath(pagePath) || !RemoteFolderOf(uploadRoot, pagePath))
        return std::nullopt;
    std::error_code error;
    const fs::path root = fs::canonical(uploadRoot, error);
    if (error)
        return std::nullopt;
    // A page that is gone resolves through its folder (the upload then says
    // that it cannot be opened).
    fs::path page = fs::canonical(pagePath, error);
    if (error) {
        const fs::path folder = fs::canonical(FolderOf(pagePath).empty() ? "." : FolderOf(pagePath), error);
        if (error)
            return std::nullopt;
        page = folder / FileNameOf(pagePath);
    }
    std::string rootText = root.string();
    if (rootText.empty() || rootText.back() != '/')
        rootText += '/';
    std::optional<std::string> folder = RemoteFolderOf(rootText, page.string());
    if (!folder || ClimbsRemoteFolder(*folder))
        return std::nullopt;
    return folder;
}

bool ClimbsRemoteFolder(const std::string& remoteFolder)
{
    std::size_t pos = 0;
    while (pos <= remoteFolder.size()) {
        std::size_t end = remoteFolder.find_first_of("/\\", pos);
        if (end == std::string::npos)
            end = remoteFolder.size();
        const std::string segment = remoteFolder.substr(pos, end - pos);
        if (segment == "." || segment == "..")
            return true;
        pos = end + 1;
    }
    return false;
}

std::optional<std::string> PwdReplyFolder(const std::string& replies)
{
    std::optional<std::string> found;
    std::size_t pos = 0;
    while (pos < replies.size()) {
        std::size_t end = replies.find('\n', pos);
        if (end == std::string::npos)
            end = replies.size();
        const std::string line = replies.substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind("257 ", 0) != 0)
            continue;
        std::size_t open = line.find('"');
        if (open == std::string::npos)
            continue;
        std::string folder;
        bool closed = false;
        for (std::size_t i = open + 1; i < line.size(); ++i) {
            if (line[i] != '"') {
                folder += line[i];
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                folder += '"';
                ++i;
            } else {
                closed = true;
                break;
            }
        }
        // "/a/b/" (as SFTP says a folder) is "/a/b".
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        if (closed && !folder.empty())
            found = folder;
    }
    return found;
}

namespace {

// Slashes in a row become one.
std::string WithoutDoubledSlashes(const std::string& path)
{
    std::string out;
    for (char c : path)
        if (c != '/' || out.empty() || out.back() != '/')
            out += c;
    return out;
}

}  // namespace

std::string RemotePlaceText(const RemoteAddress& address, const std::string& absoluteFolder,
                            const std::string& fileName)
{
    std::string place = address.Host;
    if (address.Port != 0)
        place.append(1, ':').append(std::to_string(address.Port));
    std::string path = "/" + absoluteFolder + "/" + fileName;
    return place + ":" + WithoutDoubledSlashes(path);
}

std::string UploadDestination(const std::string& serverAddress, const std::string& remoteFolder)
{
    std::string destination = serverAddress;
    if (!remoteFolder.empty()) {
        const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
        std::string folder = remoteFolder;
        for (char& c : folder)
            if (c == separator || c == '\\')
                c = '/';
        destination += "/" + folder;
    }
    // The slashes of a scheme ("sftp://") stay; any run of them after it is
    // one slash.
    const std::size_t mark = destination.find("://");
    const std::size_t from = mark == std::string::npos ? 0 : mark + 3;
    return destination.substr(0, from) + WithoutDoubledSlashes(destination.substr(from));
}

}  // namespace kestrova
