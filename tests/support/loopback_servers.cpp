#include "tests/support/loopback_servers.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace kestrova::test {

namespace {

namespace fs = std::filesystem;

fs::path MakeWorkFolder(const char* prefix)
{
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        return {};
    return fs::path(buffer.data());
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts a program whose standard output and error go to one pipe; the child
// may drop to another user first. Returns the pid and the pipe's read end.
pid_t Spawn(const std::vector<std::string>& args, int& readEnd, const passwd* runAs = nullptr)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::setpgid(0, 0);
        if (runAs != nullptr && (::setgid(runAs->pw_gid) != 0 || ::setuid(runAs->pw_uid) != 0))
            ::_exit(126);
        // A test that is killed takes its server with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    readEnd = pipeFds[0];
    return pid;
}

// Reads the child's output until a line satisfies `found` (true) or the
// child ends or says nothing for 30 seconds (false). `seen` gets the output.
template <typename Found>
bool WaitForLine(int fd, std::string& seen, Found found)
{
    std::string line;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 30000) <= 0)
            return false;
        char c;
        if (::read(fd, &c, 1) != 1)
            return false;
        seen += c;
        if (c != '\n') {
            line += c;
            continue;
        }
        if (found(line))
            return true;
        line.clear();
    }
}

// Keeps the child's further output from filling the pipe and blocking it;
// the reader ends when the child does.
void DrainInBackground(int fd)
{
    std::thread([fd] {
        char buffer[4096];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    }).detach();
}

void Stop(pid_t& pid)
{
    if (pid > 0) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

int Run(const std::vector<std::string>& args)
{
    int fd = -1;
    pid_t pid = Spawn(args, fd);
    if (pid < 0)
        return -1;
    char buffer[4096];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int FreePort()
{
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

const char FtpServerScript[] = R"(import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer
from pyftpdlib.filesystems import AbstractedFS
user, password, home, cert, login = sys.argv[1:6]
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, home, perm="elradfmwMT")
handler = TLS_FTPHandler if cert else FTPHandler
if login:
    # The user starts in a folder below the visible top.
    class LoginFolder(AbstractedFS):
        def __init__(self, root, cmd_channel):
            super().__init__(root, cmd_channel)
            self.cwd = login

    handler.abstracted_fs = LoginFolder
if cert:
    from pyftpdlib.handlers import TLS_DTPHandler

    # The stock data channel closes itself when the client starts its TLS
    # handshake before the transfer command has arrived, as libcurl does.
    class DataChannel(TLS_DTPHandler):
        def readable(self):
            if self._ssl_requested and not self._initialized and not getattr(self, "_ssl_established", False):
                return True
            return super().readable()

    handler.dtp_handler = DataChannel
    handler.certfile = cert
    handler.tls_control_required = True
    handler.tls_data_required = True
handler.authorizer = authorizer
server = FTPServer(("127.0.0.1", 0), handler)
print("PORT", server.address[1], flush=True)
server.serve_forever()
)";

const char CertificateScript[] = R"(import sys
from OpenSSL import crypto
key = crypto.PKey()
key.generate_key(crypto.TYPE_RSA, 2048)
cert = crypto.X509()
cert.get_subject().CN = "127.0.0.1"
cert.set_serial_number(1)
cert.gmtime_adj_notBefore(-3600)
cert.gmtime_adj_notAfter(86400)
cert.set_issuer(cert.get_subject())
cert.set_pubkey(key)
cert.add_extensions([crypto.X509Extension(b"subjectAltName", False, b"IP:127.0.0.1"),
                     crypto.X509Extension(b"basicConstraints", True, b"CA:TRUE")])
cert.sign(key, "sha256")
with open(sys.argv[1], "wb") as out:
    out.write(crypto.dump_privatekey(crypto.FILETYPE_PEM, key))
    out.write(crypto.dump_certificate(crypto.FILETYPE_PEM, cert))
)";

}  // namespace

// --- FTP ------------------------------------------------------------------------

FtpTestServer::FtpTestServer(const std::filesystem::path& home, bool tls, const std::string& loginFolder) : tls_(tls)
{
    work_ = MakeWorkFolder("kestrova-ftpd-");
    if (work_.empty()) {
        problem_ = "no temporary folder";
        return;
    }
    WriteText(work_ / "server.py", FtpServerScript);
    std::string cert;
    if (tls) {
        WriteText(work_ / "cert.py", CertificateScript);
        if (Run({"/usr/bin/python3", (work_ / "cert.py").string(), CertificateFile()}) != 0) {
            problem_ = "the certificate could not be made (python3-openssl missing?)";
            return;
        }
        cert = CertificateFile();
    }
    int fd = -1;
    pid_ = Spawn({"/usr/bin/python3", (work_ / "server.py").string(), User, Password, home.string(), cert, loginFolder},
                 fd);
    if (pid_ < 0) {
        problem_ = "python3 could not be started";
        return;
    }
    std::string seen;
    int port = 0;
    bool found = WaitForLine(fd, seen, [&](const std::string& line) {
        if (line.rfind("PORT ", 0) != 0)
            return false;
        port = std::atoi(line.c_str() + 5);
        return true;
    });
    if (!found || port == 0) {
        problem_ = "pyftpdlib did not start: " + seen;
        ::close(fd);
        Stop(pid_);
        return;
    }
    DrainInBackground(fd);
    port_ = port;
}

FtpTestServer::~FtpTestServer()
{
    Kill();
    std::error_code ignored;
    if (!work_.empty())
        fs::remove_all(work_, ignored);
}

std::string FtpTestServer::Address() const
{
    return std::string(tls_ ? "ftps://" : "") + "127.0.0.1:" + std::to_string(port_);
}

void FtpTestServer::Kill()
{
    Stop(pid_);
}

// --- SSH --------------------------------------------------------------------------

SshTestServer::SshTestServer()
{
    if (::access("/usr/sbin/sshd", X_OK) != 0 || ::access("/usr/bin/ssh-keygen", X_OK) != 0) {
        problem_ = "openssh-server is not installed";
        return;
    }
    work_ = MakeWorkFolder("kestrova-sshd-");
    if (work_.empty()) {
        problem_ = "no temporary folder";
        return;
    }
    folder_ = work_ / "files";
    fs::create_directory(folder_);
    // Run as root, sshd wants its privilege separation folder, which only
    // the system's own service creates; so it runs as "nobody" instead, with
    // everything it reads handed over to that user. PAM decides about the
    // account, whose password field is locked.
    const passwd* runAs = nullptr;
    passwd* self = ::getpwuid(::getuid());
    login_ = self != nullptr ? self->pw_name : "";
    if (::getuid() == 0) {
        runAs = ::getpwnam("nobody");
        if (runAs == nullptr) {
            problem_ = "no user \"nobody\" to run sshd as";
            return;
        }
        login_ = runAs->pw_name;
    }
    for (const char* key : {"host_key", "user_key"}) {
        if (Run({"/usr/bin/ssh-keygen", "-q", "-t", "ecdsa", "-b", "256", "-m", "PEM", "-N", "", "-f",
                 (work_ / key).string()}) != 0) {
            problem_ = "ssh-keygen failed";
            return;
        }
    }
    WriteText(work_ / "authorized_keys", ReadText(work_ / "user_key.pub"));
    for (int attempt = 0; attempt < 5 && port_ == 0; ++attempt) {
        int port = FreePort();
        WriteText(work_ / "sshd_config", "Port " + std::to_string(port) +
                                             "\nListenAddress 127.0.0.1\n"
                                             "HostKey " +
                                             (work_ / "host_key").string() + "\nPidFile " +
                                             (work_ / "sshd.pid").string() + "\nAuthorizedKeysFile " +
                                             (work_ / "authorized_keys").string() +
                                             "\nStrictModes no\nPubkeyAuthentication yes\n"
                                             "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                                             "UsePAM yes\nPermitRootLogin prohibit-password\n"
                                             "Subsystem sftp internal-sftp\n");
        if (runAs != nullptr) {
            ::chmod(work_.c_str(), 0755);
            ::chmod(folder_.c_str(), 0777);
            for (const char* name : {"host_key", "host_key.pub", "authorized_keys", "sshd_config"})
                if (::chown((work_ / name).c_str(), runAs->pw_uid, runAs->pw_gid) != 0) {
                    problem_ = "the keys could not be handed to nobody";
                    return;
                }
            ::chown(work_.c_str(), runAs->pw_uid, runAs->pw_gid);
        }
        int fd = -1;
        pid_ = Spawn({"/usr/sbin/sshd", "-D", "-e", "-f", (work_ / "sshd_config").string()}, fd, runAs);
        std::string seen;
        bool listening = pid_ > 0 && WaitForLine(fd, seen, [](const std::string& line) {
                             return line.find("Server listening on") != std::string::npos;
                         });
        if (listening) {
            DrainInBackground(fd);
            port_ = port;
        } else {
            problem_ = "sshd did not start: " + seen;
            ::close(fd);
            Stop(pid_);
        }
    }
    if (port_ == 0)
        return;
    problem_.clear();
    std::string hostKey = ReadText(work_ / "host_key.pub");
    hostKey = hostKey.substr(0, hostKey.find_last_of(' '));  // without the comment
    WriteText(work_ / "known_hosts", "[127.0.0.1]:" + std::to_string(port_) + " " + hostKey + "\n");
}

SshTestServer::~SshTestServer()
{
    Stop(pid_);
    std::error_code ignored;
    if (!work_.empty())
        fs::remove_all(work_, ignored);
}

}  // namespace kestrova::test
