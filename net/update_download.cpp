#include "net/update_download.h"

#include <curl/curl.h>
#include <openssl/evp.h>

#include <mutex>

namespace kestrova {

namespace {

struct Transfer {
    std::string* body;
    const std::atomic<bool>* stop;
};

size_t Collect(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    transfer->body->append(data, size * count);
    return size * count;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<Transfer*>(user);
    return transfer->stop != nullptr && transfer->stop->load() ? 1 : 0;
}

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

HttpAnswer UpdateHttpGet(const std::string& url, const std::string& referer, const std::atomic<bool>* stop)
{
    InitCurlOnce();
    HttpAnswer answer;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        answer.Error = "the HTTP client could not be started";
        return answer;
    }
    Transfer transfer{&answer.Body, stop};
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Kestrova/1.37b");
    if (!referer.empty())
        curl_easy_setopt(curl, CURLOPT_REFERER, referer.c_str());

    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        answer.Received = true;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.Status);
        char* final = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &final) == CURLE_OK && final != nullptr)
            answer.FinalUrl = final;
    } else {
        answer.Body.clear();
        answer.Error = error[0] != '\0' ? error : curl_easy_strerror(code);
    }
    curl_easy_cleanup(curl);
    return answer;
}

std::string Sha256Hex(const std::string& data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr);
    static const char Hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += Hex[digest[i] >> 4];
        out += Hex[digest[i] & 15];
    }
    return out;
}

}  // namespace kestrova
