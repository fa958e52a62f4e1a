// A small HTTP/1.0 server on 127.0.0.1 for the update tests: serves fixed
// answers by path (query ignored) and records the requests it got.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrova::test {

class UpdateHttpServer {
public:
    struct Answer {
        int Status = 200;
        std::string Body;
    };
    struct Request {
        std::string Target;   // path and query as sent
        std::string Referer;  // "" when none was sent
    };

    // Listens on a free port of 127.0.0.1 at once.
    UpdateHttpServer();
    ~UpdateHttpServer();
    UpdateHttpServer(const UpdateHttpServer&) = delete;
    UpdateHttpServer& operator=(const UpdateHttpServer&) = delete;

    // "http://127.0.0.1:PORT"
    std::string Address() const;
    // Paths not set answer 404 "Not Found".
    void Set(const std::string& path, Answer answer);
    std::vector<Request> Requests() const;

private:
    void Serve();
    void Handle(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::vector<Request> requests_;
    std::thread thread_;
};

// Writes a ZIP archive with the entries (name, data; stored names as given,
// "../x" included) to `path`. Returns false when it cannot be written.
bool WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace kestrova::test
