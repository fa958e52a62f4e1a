#include "tests/support/http_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace kestrova::test {

namespace {

bool SendAll(int fd, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Reads the request head (up to the empty line). False when the client
// left, the server stops, or the head is too long.
bool ReadHead(int fd, int stopFd, std::string& head)
{
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > 65536)
            return false;
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (fds[1].revents != 0)
            return false;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

HttpTestRequest ParseHead(const std::string& head)
{
    HttpTestRequest request;
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < head.size()) {
        std::size_t lineEnd = head.find("\r\n", lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = head.size();
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (line.empty())
            break;
        if (first) {
            const auto s1 = line.find(' ');
            const auto s2 = line.find(' ', s1 + 1);
            request.Method = line.substr(0, s1);
            request.Target = line.substr(s1 + 1, s2 == std::string::npos ? std::string::npos : s2 - s1 - 1);
            first = false;
            continue;
        }
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            request.Headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
    }
    return request;
}

}  // namespace

std::string HttpTestRequest::Header(const std::string& lowerName) const
{
    auto it = Headers.find(lowerName);
    return it == Headers.end() ? std::string() : it->second;
}

HttpTestResponse HttpTestResponse::Page(std::string body)
{
    HttpTestResponse r;
    r.Headers.emplace_back("Content-Type", "text/html");
    r.Body = std::move(body);
    return r;
}

HttpTestResponse HttpTestResponse::Redirect(std::string location, int status)
{
    HttpTestResponse r;
    r.Status = status;
    r.Reason = status == 301 ? "Moved Permanently" : "Found";
    r.Headers.emplace_back("Location", std::move(location));
    return r;
}

HttpTestResponse HttpTestResponse::Error(int status, std::string reason)
{
    HttpTestResponse r;
    r.Status = status;
    r.Reason = std::move(reason);
    r.Headers.emplace_back("Content-Type", "text/html");
    r.Body = "<html><body>" + std::to_string(status) + "</body></html>";
    return r;
}

HttpTestServer::HttpTestServer()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (listenFd_ < 0 || stopFd_ < 0)
        throw std::runtime_error("test server: no socket");
    int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 64) != 0)
        throw std::runtime_error("test server: cannot listen");
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(stopFd_, &one, sizeof one);
    acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : openFds_)
            ::shutdown(fd, SHUT_RDWR);
        threads.swap(connections_);
    }
    for (std::thread& t : threads)
        t.join();
    ::close(listenFd_);
    ::close(stopFd_);
}

std::string HttpTestServer::HostPort() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::string HttpTestServer::Url(const std::string& path) const
{
    return "http://" + HostPort() + path;
}

void HttpTestServer::Route(const std::string& path, std::vector<HttpTestResponse> answers)
{
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = std::move(answers);
    served_[path] = 0;
}

void HttpTestServer::Route(const std::string& path, HttpTestResponse answer)
{
    Route(path, std::vector<HttpTestResponse>{std::move(answer)});
}

std::vector<HttpTestRequest> HttpTestServer::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool HttpTestServer::WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

int HttpTestServer::StallsEndedByClient() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stallsEnded_;
}

bool HttpTestServer::WaitForStallsEndedByClient(int count, std::chrono::milliseconds limit) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return stallsEnded_ >= count; });
}

void HttpTestServer::AcceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.push_back(fd);
        connections_.emplace_back([this, fd] { Serve(fd); });
    }
}

HttpTestResponse HttpTestServer::AnswerFor(const HttpTestRequest& request)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = routes_.find(request.Target);
    if (it == routes_.end() || it->second.empty())
        return HttpTestResponse::Error(404, "Not Found");
    std::size_t& n = served_[request.Target];
    const std::size_t index = std::min(n, it->second.size() - 1);
    ++n;
    return it->second[index];
}

void HttpTestServer::WaitForClose(int fd)
{
    char buffer[256];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0 || (n < 0 && errno == EINTR))
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        ++stallsEnded_;
        changed_.notify_all();
        return;
    }
}

void HttpTestServer::Serve(int fd)
{
    std::string head;
    if (ReadHead(fd, stopFd_, head)) {
        HttpTestRequest request = ParseHead(head);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
            changed_.notify_all();
        }
        const HttpTestResponse answer = AnswerFor(request);
        std::size_t bodyLength = answer.Body.size();
        if (!answer.Pieces.empty()) {
            bodyLength = 0;
            for (const std::string& piece : answer.Pieces)
                bodyLength += piece.size();
        }
        std::string out = "HTTP/1.1 " + std::to_string(answer.Status) + " " + answer.Reason + "\r\n";
        for (const auto& [name, value] : answer.Headers)
            out += name + ": " + value + "\r\n";
        if (!answer.CloseDelimited)
            out += "Content-Length: " + std::to_string(std::max(bodyLength, answer.AnnouncedLength)) + "\r\n";
        out += "Connection: close\r\n\r\n";
        bool ok = SendAll(fd, out);
        if (answer.Pieces.empty()) {
            ok = ok && SendAll(fd, answer.Body);
        } else {
            for (std::size_t i = 0; ok && i < answer.Pieces.size(); ++i) {
                if (answer.BeforePiece)
                    answer.BeforePiece(i);
                ok = SendAll(fd, answer.Pieces[i]);
            }
        }
        if (ok && answer.Stall)
            WaitForClose(fd);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

RefusingPort::RefusingPort()
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("test server: no port to refuse");
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

RefusingPort::~RefusingPort()
{
    ::close(fd_);
}

const char* HttpsTestServer::PageText()
{
    return "<html><head><title>Secret</title></head><body>secret page</body></html>";
}

HttpsTestServer::HttpsTestServer()
{
    char pattern[] = "/tmp/kestrova-https-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return;
    folder_ = pattern;
    const std::string cert = folder_ + "/cert.pem";
    const std::string key = folder_ + "/key.pem";
    const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
                             " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                             key + "' -out '" + cert + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        return;
    const std::string script = folder_ + "/server.py";
    std::ofstream(script) << "import http.server, ssl, sys\n"
                             "class H(http.server.BaseHTTPRequestHandler):\n"
                             "    def do_GET(self):\n"
                             "        b = sys.argv[3].encode()\n"
                             "        self.send_response(200)\n"
                             "        self.send_header('Content-Length', str(len(b)))\n"
                             "        self.end_headers()\n"
                             "        self.wfile.write(b)\n"
                             "    def log_message(self, *a):\n"
                             "        pass\n"
                             "s = http.server.HTTPServer(('127.0.0.1', 0), H)\n"
                             "c = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)\n"
                             "c.load_cert_chain(sys.argv[1], sys.argv[2])\n"
                             "s.socket = c.wrap_socket(s.socket, server_side=True)\n"
                             "print(s.server_address[1], flush=True)\n"
                             "s.serve_forever()\n";
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string python = "/usr/bin/python3";
    std::vector<std::string> args = {python, script, cert, key, PageText()};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, python.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(out[0]);
        return;
    }
    // The first line is the port.
    std::string line;
    char c;
    for (;;) {
        pollfd fd{out[0], POLLIN, 0};
        if (::poll(&fd, 1, 20000) <= 0 || ::read(out[0], &c, 1) != 1 || c == '\n')
            break;
        line += c;
    }
    ::close(out[0]);
    port_ = std::atoi(line.c_str());
}

HttpsTestServer::~HttpsTestServer()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

std::string HttpsTestServer::Url(const std::string& path) const
{
    return "https://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace kestrova::test
