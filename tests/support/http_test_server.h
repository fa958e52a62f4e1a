// Web servers on 127.0.0.1 for the network tests, started and stopped by
// the test itself.
//
// HttpTestServer: plain HTTP/1.1 in the test process, one thread per
// connection, one request per connection ("Connection: close"). Each path
// has a scripted list of answers; the n-th request of a path gets the n-th
// answer (later requests the last one), an unknown path gets 404. Answers
// can be sent whole, in pieces with a call before each piece (for tests that
// move a manual clock between blocks), cut short (a dropped connection), or
// followed by a stall that keeps the connection open until the client
// leaves. Every request is recorded with its headers.
//
// HttpsTestServer: an HTTPS server with a self-signed certificate made for
// the test (openssl and Python's http.server in a child process), answering
// every GET with a small page.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrova::test {

struct HttpTestRequest {
    std::string Method;  // "GET"
    std::string Target;  // "/dir/page.htm?x=1", as sent
    // Header values by lower-cased name.
    std::map<std::string, std::string> Headers;

    // The value of a header ("" when it was not sent); name in lower case.
    std::string Header(const std::string& lowerName) const;
    bool Has(const std::string& lowerName) const { return Headers.count(lowerName) != 0; }
};

struct HttpTestResponse {
    int Status = 200;
    std::string Reason = "OK";
    // Headers besides Content-Length and Connection.
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
    // When not empty, the body is sent in these pieces instead of Body, and
    // BeforePiece (when set) is called with the piece's index before each.
    std::vector<std::string> Pieces;
    std::function<void(std::size_t piece)> BeforePiece;
    // Content-Length announced when more than the body sent: the connection
    // is closed short of it (a dropped connection).
    std::size_t AnnouncedLength = 0;
    // After the body, the connection stays open with nothing sent until the
    // client closes it (or the server stops).
    bool Stall = false;
    // No Content-Length: the body ends when the connection closes (an
    // answer whose size the client cannot know in advance).
    bool CloseDelimited = false;

    static HttpTestResponse Page(std::string body);
    static HttpTestResponse Redirect(std::string location, int status = 302);
    static HttpTestResponse Error(int status, std::string reason);
};

class HttpTestServer {
public:
    // Listens on 127.0.0.1 on a free port.
    HttpTestServer();
    // Ends stalls, closes every connection and joins every thread.
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int Port() const { return port_; }
    // "127.0.0.1:PORT"
    std::string HostPort() const;
    // "http://127.0.0.1:PORT" + path
    std::string Url(const std::string& path) const;

    // The answers of a path (matched against the request target).
    void Route(const std::string& path, std::vector<HttpTestResponse> answers);
    void Route(const std::string& path, HttpTestResponse answer);

    // Requests received so far, in order.
    std::vector<HttpTestRequest> Requests() const;
    // Waits (up to the real-time limit) until this many requests came.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20)) const;
    // Stalled connections that the client closed.
    int StallsEndedByClient() const;
    bool WaitForStallsEndedByClient(int count, std::chrono::milliseconds limit = std::chrono::seconds(20)) const;

private:
    void AcceptLoop();
    void Serve(int fd);
    HttpTestResponse AnswerFor(const HttpTestRequest& request);
    // Waits until the client closes the connection or the server stops.
    void WaitForClose(int fd);

    int listenFd_ = -1;
    int stopFd_ = -1;  // eventfd, readable once the server stops
    int port_ = 0;
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::thread> connections_;
    std::vector<int> openFds_;
    std::map<std::string, std::vector<HttpTestResponse>> routes_;
    std::map<std::string, std::size_t> served_;
    std::vector<HttpTestRequest> requests_;
    int stallsEnded_ = 0;
};

// A loopback port on which nothing listens, so that a connection is
// refused. The port stays bound (without listening) for the life of the
// object: no server of another test can take it meanwhile.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

class HttpsTestServer {
public:
    // Makes a self-signed certificate for 127.0.0.1 in a temporary folder and
    // starts the server. Started() is false when openssl or Python could not
    // do it.
    HttpsTestServer();
    ~HttpsTestServer();
    HttpsTestServer(const HttpsTestServer&) = delete;
    HttpsTestServer& operator=(const HttpsTestServer&) = delete;

    bool Started() const { return port_ > 0; }
    int Port() const { return port_; }
    // "https://127.0.0.1:PORT" + path
    std::string Url(const std::string& path) const;
    // The page every GET gets.
    static const char* PageText();

private:
    std::string folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace kestrova::test
