// Servers on 127.0.0.1 that the network tests start and stop themselves:
// an FTP server (with or without explicit TLS) run by Debian's pyftpdlib, and
// an SSH server with SFTP run from a configuration of its own. Each listens
// on a free port and lives in a temporary folder; nothing of the machine's
// own configuration is used or changed.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace kestrova::test {

class FtpTestServer {
public:
    // The server's user "tester" with password "s3cret-pw" sees `home`.
    // With tls, the control and data connections must use TLS, with a
    // certificate for 127.0.0.1 made here (CertificateFile()). A login
    // folder ("/home/ftpk") starts the user there instead of at the top of
    // `home`, which stays visible (as on a server that does not lock users
    // into their home folder).
    FtpTestServer(const std::filesystem::path& home, bool tls = false, const std::string& loginFolder = "");
    ~FtpTestServer();
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    // False (with Problem()) when the server could not be started.
    bool Running() const { return port_ != 0; }
    const std::string& Problem() const { return problem_; }
    int Port() const { return port_; }
    // "127.0.0.1:PORT" (or "ftps://127.0.0.1:PORT" with TLS).
    std::string Address() const;
    std::string CertificateFile() const { return (work_ / "cert.pem").string(); }
    // Ends the server at once (connections are cut).
    void Kill();

    static constexpr const char* User = "tester";
    static constexpr const char* Password = "s3cret-pw";

private:
    std::filesystem::path work_;
    pid_t pid_ = -1;
    int port_ = 0;
    bool tls_ = false;
    std::string problem_;
};

class SshTestServer {
public:
    // An SSH server with host and user keys made here; it accepts the user
    // key for Login(). Files land where the SFTP paths say (the tests give
    // paths in their own temporary folders).
    SshTestServer();
    ~SshTestServer();
    SshTestServer(const SshTestServer&) = delete;
    SshTestServer& operator=(const SshTestServer&) = delete;

    bool Running() const { return port_ != 0; }
    const std::string& Problem() const { return problem_; }
    int Port() const { return port_; }
    const std::string& Login() const { return login_; }
    std::string KnownHostsFile() const { return (work_ / "known_hosts").string(); }
    std::string PrivateKeyFile() const { return (work_ / "user_key").string(); }
    std::string PublicKeyFile() const { return (work_ / "user_key.pub").string(); }
    // A folder the server's user may write into.
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path work_;
    std::filesystem::path folder_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::string login_;
    std::string problem_;
};

}  // namespace kestrova::test
