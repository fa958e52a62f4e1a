#include "tests/support/update_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zip.h>

namespace kestrova::test {

UpdateHttpServer::UpdateHttpServer()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 16);
    socklen_t length = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

UpdateHttpServer::~UpdateHttpServer()
{
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
}

std::string UpdateHttpServer::Address() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

void UpdateHttpServer::Set(const std::string& path, Answer answer)
{
    std::lock_guard lock(mutex_);
    answers_[path] = std::move(answer);
}

std::vector<UpdateHttpServer::Request> UpdateHttpServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void UpdateHttpServer::Serve()
{
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        // Woken by a connection or by the shutdown of the listener.
        if (::poll(&p, 1, -1) <= 0 || stopping_)
            break;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        Handle(client);
        ::close(client);
    }
}

void UpdateHttpServer::Handle(int client)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    Request request;
    const std::size_t first = head.find(' ');
    const std::size_t second = head.find(' ', first + 1);
    request.Target = head.substr(first + 1, second - first - 1);
    const std::size_t referer = head.find("\r\nReferer: ");
    if (referer != std::string::npos) {
        const std::size_t start = referer + 11;
        request.Referer = head.substr(start, head.find("\r\n", start) - start);
    }
    const std::string path = request.Target.substr(0, request.Target.find('?'));

    Answer answer{404, "<html><body>Not Found</body></html>"};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (auto it = answers_.find(path); it != answers_.end())
            answer = it->second;
    }
    const std::string reply = "HTTP/1.0 " + std::to_string(answer.Status) +
                              " X\r\nContent-Length: " + std::to_string(answer.Body.size()) +
                              "\r\nConnection: close\r\n\r\n" + answer.Body;
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    bool ok = true;
    for (const auto& [name, data] : entries) {
        zip_fileinfo info{};
        info.tmz_date = {0, 30, 12, 2, 4, 2021};  // 2 May 2021 12:30
        ok = ok && zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                         Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

}  // namespace kestrova::test
