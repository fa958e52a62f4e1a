// The HTTP GET that the update check uses for the usage report, the version
// list and the archive (libcurl).
#pragma once

#include <atomic>
#include <string>

namespace kestrova {

struct HttpAnswer {
    bool Received = false;  // the server answered (any status)
    long Status = 0;        // HTTP status of the last answer
    std::string Body;
    std::string FinalUrl;  // address of the last answer, after redirections
    std::string Error;     // why nothing was received
};

// Fetches the address. HTTPS certificates are verified against the system's
// authorities (a certificate that fails is an error). `referer` is sent when
// not empty. The transfer gives up after 20 s without connection or 60 s
// without data, and at once when *stop becomes true.
HttpAnswer UpdateHttpGet(const std::string& url, const std::string& referer, const std::atomic<bool>* stop = nullptr);

// SHA-256 of the data as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const std::string& data);

}  // namespace kestrova
