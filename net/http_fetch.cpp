#include "net/http_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>
#include <utility>

#include "base/address_text.h"
#include "base/file_io.h"
#include "base/program_folders.h"
#include "base/settings.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "net/net_errors.h"

namespace kestrova {

std::atomic<bool> PageFetchBusy{false};
std::atomic<bool> UpdateFetchBusy{false};

namespace {

std::mutex StateMutex;
std::string LastFinalUrlValue;
std::string LastFetchErrorValue;
std::string LastFetchNoticeValue;
bool LastAnswerFileFailed = false;
// The attempt running now, or the last one.
std::shared_ptr<FetchAttempt> CurrentAttempt;

std::int64_t NowTicks()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(MonotonicNow().time_since_epoch()).count();
}

bool StartsWithNoCase(const std::string& text, std::size_t at, const char* prefix)
{
    const std::size_t n = std::strlen(prefix);
    if (text.size() - at < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != prefix[i])
            return false;
    }
    return true;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Every run of "/" becomes one "/" (ReplaceAll of "//" would leave "//" of
// a run of three).
void CollapseSlashes(std::string& text)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '/' && out > 0 && text[out - 1] == '/')
            continue;
        text[out++] = text[i];
    }
    text.resize(out);
}

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What the transfer callbacks need.
struct Transfer {
    FetchControl* Control = nullptr;
    std::string Body;
    bool GotResponse = false;
    bool TooLarge = false;   // the body passed the size limit
    std::string StatusLine;  // the last status line (one per redirection)
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t->Control->Cancel.load())
        return 0;  // ends the transfer
    t->GotResponse = true;
    const std::int64_t limit = t->Control->MaxBytes;
    if (limit > 0 && static_cast<std::int64_t>(t->Body.size() + n) > limit) {
        t->TooLarge = true;
        return 0;  // ends the transfer before the body grows past the limit
    }
    t->Body.append(data, n);
    t->Control->BytesReceived.store(static_cast<std::int64_t>(t->Body.size()));
    t->Control->LastActivity.store(NowTicks());
    return n;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t->Control->Cancel.load())
        return 0;
    t->GotResponse = true;
    t->Control->LastActivity.store(NowTicks());
    std::string line(data, n);
    if (line.compare(0, 5, "HTTP/") == 0) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        t->StatusLine = line;
    }
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    // libcurl calls this at least once a second, also while nothing arrives.
    return static_cast<Transfer*>(user)->Control->Cancel.load() ? 1 : 0;
}

// "HTTP 404 Not Found" from the status and the status line.
std::string StatusDetail(long status, const std::string& statusLine)
{
    std::string detail = "HTTP ";
    detail += std::to_string(status);
    // The reason phrase follows the version and the code.
    const std::size_t first = statusLine.find(' ');
    const std::size_t second = first == std::string::npos ? first : statusLine.find(' ', first + 1);
    if (second != std::string::npos && second + 1 < statusLine.size()) {
        detail += ' ';
        detail.append(statusLine, second + 1);
    }
    return detail;
}

// Pauses the caller for a while, letting window events run and watching the
// abort requests when asked to. Returns true when an abort was requested.
bool Pause(std::chrono::milliseconds length, const FetchOptions& options);

bool AbortRequested(const FetchOptions& options)
{
    if (options.AbortFlag != nullptr && options.AbortFlag->load())
        return true;
    if (options.UseAbortButton) {
        ui::Ui().PumpEvents();
        if (ui::Ui().AbortRequested())
            return true;
    }
    return false;
}

bool Pause(std::chrono::milliseconds length, const FetchOptions& options)
{
    for (auto left = length; left.count() > 0; left -= FetchPollInterval) {
        std::this_thread::sleep_for(std::min(left, FetchPollInterval));
        if (AbortRequested(options))
            return true;
    }
    return false;
}

// Waits for a worker that was told to stop. The transfer's progress
// callback ends it within about a second; one that does not end in ten is
// left to finish alone: it only holds its own attempt.
void EndWorker(std::thread& worker, const std::shared_ptr<FetchAttempt>& attempt, const FetchOptions& options)
{
    attempt->Control.Cancel.store(true);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!attempt->Done.load() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (options.UseAbortButton)
            ui::Ui().PumpEvents();
    }
    if (attempt->Done.load())
        worker.join();
    else
        worker.detach();
}

}  // namespace

bool TryTakeFetchTurn(std::atomic<bool>& mine, const std::atomic<bool>& other)
{
    mine.store(true);
    if (!other.load())
        return true;
    mine.store(false);
    return false;
}

std::string LastFinalUrl()
{
    std::lock_guard<std::mutex> lock(StateMutex);
    return LastFinalUrlValue;
}

void SetLastFinalUrl(const std::string& url)
{
    std::lock_guard<std::mutex> lock(StateMutex);
    LastFinalUrlValue = url;
}

std::string LastFetchError()
{
    std::lock_guard<std::mutex> lock(StateMutex);
    return LastFetchErrorValue;
}

std::int64_t LastFetchBytes()
{
    std::lock_guard<std::mutex> lock(StateMutex);
    return CurrentAttempt ? CurrentAttempt->Control.BytesReceived.load() : 0;
}

FetchTarget ParseFetchAddress(const std::string& address)
{
    std::string text = address;
    if (!text.empty() && text.front() == '"')
        text.erase(0, 1);
    if (!text.empty() && text.back() == '"')
        text.pop_back();
    ReplaceAll(text, " ", "%20");
    // Double quotes left inside are sent encoded, like spaces: a quote left
    // at the end would otherwise be taken off when the URL is cleaned again.
    ReplaceAll(text, "\"", "%22");

    // The scheme, given once or more than once.
    std::string scheme = "http://";
    bool schemeSeen = false;
    bool file = false;
    for (;;) {
        const char* found = nullptr;
        for (const char* s : {"http://", "https://", "file://"}) {
            if (StartsWithNoCase(text, 0, s))
                found = s;
        }
        if (found == nullptr)
            break;
        if (!schemeSeen) {
            scheme = found;
            file = scheme == "file://";
        }
        schemeSeen = true;
        text.erase(0, std::strlen(found));
    }
    // In an http(s) address a backslash separates folders like "/": it
    // never makes the address a local file. Runs of slashes in the path are
    // made single; the query and the fragment are left as they are (they may
    // hold a whole address).
    const std::size_t query = text.find_first_of("?#");
    std::string rest = query == std::string::npos ? std::string() : text.substr(query);
    text.resize(std::min(query, text.size()));
    if (schemeSeen && !file)
        ReplaceAll(text, "\\", "/");
    CollapseSlashes(text);
    text += rest;

    FetchTarget target;
    const std::size_t cut = text.find_first_of("/\\?#");
    target.Host = cut == std::string::npos ? text : text.substr(0, cut);
    target.Path = cut == std::string::npos ? std::string() : text.substr(cut);
    // A backslash names a local path only in an address without a web
    // scheme ("C:\\site\\page.htm"); in an http(s) address it separates
    // folders like "/", so "http://\\etc\\x" never reads a local file.
    const bool webScheme = schemeSeen && !file;
    target.LocalFile = file || (!webScheme && text.find('\\') != std::string::npos);
    if (webScheme) {
        for (char& c : target.Path)
            if (c == '\\')
                c = '/';
        for (char& c : target.Host)
            if (c == '\\')
                c = '/';
    }
    if (target.LocalFile) {
        std::string local = text;
        for (char& c : local) {
            if (c == '\\')
                c = '/';
        }
        CollapseSlashes(local);
        target.Url = "file://" + local;
    } else {
        target.Url = scheme + target.Host + target.Path;
    }
    return target;
}

HttpAnswer HttpRead(const FetchTarget& target, const std::string& referer, FetchControl& control)
{
    InitCurlOnce();
    SetLastNetError(0);
    HttpAnswer answer;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        SetLastNetError(CURLE_FAILED_INIT);
        answer.ErrorText = "Unable to use the web connection. : " + LastNetErrorText();
        return answer;
    }

    Transfer transfer;
    transfer.Control = &control;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;

    curl_easy_setopt(curl, CURLOPT_URL, target.Url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/4.0");
    // Direct access: no proxy, whatever the environment says.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, target.LocalFile ? "file" : "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, FetchMaxRedirections);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, FetchBlockSize);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FetchConnectLimit.count() * 1000));
    if (control.MaxBytes > 0)
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(control.MaxBytes));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    if (!referer.empty()) {
        curl_easy_setopt(curl, CURLOPT_REFERER, referer.c_str());
        headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    }

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    answer.Status = status;
    answer.Bytes = std::move(transfer.Body);

    if (code == CURLE_OK) {
        answer.Complete = true;
        char* finalUrl = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl != nullptr)
            answer.FinalUrl = finalUrl;
    } else if (!control.Cancel.load()) {
        // The body callback's refusal reads as a write error.
        const CURLcode reported = transfer.TooLarge ? CURLE_FILESIZE_EXCEEDED : code;
        if (reported == CURLE_HTTP_RETURNED_ERROR)
            SetLastNetError(reported, StatusDetail(status, transfer.StatusLine));
        else
            SetLastNetError(reported, errorBuffer);
        // A failure before any answer came is the host's; later ones are
        // the page's.
        const std::string where = transfer.GotResponse ? target.Host + target.Path : target.Host;
        answer.Failure = ClassifyNetError(reported);
        // (A password written in the address is never shown.)
        answer.ErrorText = HidePasswordOf(
            target.Url, NetFailureMessage(where, answer.Failure, reported, status, control.MaxBytes, errorBuffer));
        const bool clientError = reported == CURLE_HTTP_RETURNED_ERROR && status >= 400 && status < 500;
        answer.WorthRetrying = !(clientError || reported == CURLE_PEER_FAILED_VERIFICATION ||
                                 reported == CURLE_URL_MALFORMAT || reported == CURLE_UNSUPPORTED_PROTOCOL ||
                                 reported == CURLE_FILESIZE_EXCEEDED || reported == CURLE_TOO_MANY_REDIRECTS);
    }

    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return answer;
}

void FetchWorker(std::shared_ptr<FetchAttempt> attempt)
{
    HttpAnswer answer = HttpRead(attempt->Target, attempt->Referer, attempt->Control);
    attempt->Answer = std::move(answer);
    attempt->Done.store(true);  // publishes Answer to the waiting caller
}

std::string FetchWithRetry(const std::string& address, const FetchOptions& options)
{
    {
        std::lock_guard<std::mutex> lock(StateMutex);
        LastFetchErrorValue.clear();
        LastFetchNoticeValue.clear();
        LastAnswerFileFailed = false;
    }
    if (address.empty())
        return {};
    const FetchTarget target = ParseFetchAddress(address);
    if (target.Host.empty() && !target.LocalFile)
        return {};
    std::string result;
    std::string failure;  // the message of the last failed attempt
    bool aborted = false;
    const std::int64_t maxBytes = options.MaxBytes > 0 ? options.MaxBytes : MaxPageSizeBytes();

    for (int attempts = 0; attempts < FetchAttempts && !aborted && result.empty(); ++attempts) {
        auto attempt = std::make_shared<FetchAttempt>();
        attempt->Target = target;
        attempt->Referer = target.LocalFile ? std::string() : LastFinalUrl();
        attempt->Control.MaxBytes = maxBytes;
        const std::int64_t started = NowTicks();
        attempt->Control.LastActivity.store(started);
        {
            std::lock_guard<std::mutex> lock(StateMutex);
            CurrentAttempt = attempt;
        }
        std::thread worker(FetchWorker, attempt);

        bool timedOut = false;
        while (!attempt->Done.load()) {
            std::this_thread::sleep_for(FetchPollInterval);
            if (attempt->Done.load())
                break;
            if (AbortRequested(options)) {
                aborted = true;
                break;
            }
            const std::int64_t now = NowTicks();
            const auto idle = std::chrono::nanoseconds(now - attempt->Control.LastActivity.load());
            const auto running = std::chrono::nanoseconds(now - started);
            if (idle > FetchInactivityLimit || running > FetchAttemptLimit) {
                timedOut = true;
                break;
            }
        }

        if (aborted || timedOut) {
            EndWorker(worker, attempt, options);
            if (timedOut) {
                const bool answered = attempt->Control.BytesReceived.load() > 0;
                failure = NetFailureMessage(answered ? target.Host + target.Path : target.Host, NetFailure::TimedOut,
                                            CURLE_OPERATION_TIMEDOUT);
            }
            if (!aborted)
                aborted = Pause(FailedAttemptPause, options);
            continue;
        }

        worker.join();
        const HttpAnswer& answer = attempt->Answer;
        if (answer.Complete) {
            failure.clear();
            // The answer file gets every byte; the caller gets the text up
            // to the first zero byte.
            if (!ReplaceFileContent(TempPageFilePath(), answer.Bytes, 0644)) {
                std::lock_guard<std::mutex> lock(StateMutex);
                LastAnswerFileFailed = true;
            }
            if (!target.LocalFile)
                SetLastFinalUrl(answer.FinalUrl);
            const std::size_t zero = answer.Bytes.find('\0');
            result = answer.Bytes.substr(0, zero);
            if (zero != std::string::npos && !result.empty()) {
                std::lock_guard<std::mutex> lock(StateMutex);
                LastFetchNoticeValue = TranslateFrenchKey("La page contient un octet nul \xE0 la position ") +
                                       std::to_string(zero) + TranslateFrenchKey(" : l'analyse s'arr\xEAte l\xE0.");
            }
            if (result.empty())
                aborted = Pause(EmptyAnswerPause, options);
            continue;
        }
        failure = answer.ErrorText;
        if (!answer.WorthRetrying)
            break;
        aborted = Pause(FailedAttemptPause, options);
    }

    // One message for the whole fetch, after its last attempt.
    if (aborted || !result.empty())
        failure.clear();
    {
        std::lock_guard<std::mutex> lock(StateMutex);
        LastFetchErrorValue = failure;
    }
    if (options.ShowErrors && !failure.empty())
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateEnglishKey("Error"), failure);
    const std::string notice = LastFetchNotice();
    if (options.ShowErrors && !notice.empty())
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Attention !"), notice);
    return result;
}

std::string LastFetchNotice()
{
    std::lock_guard<std::mutex> lock(StateMutex);
    return LastFetchNoticeValue;
}

bool LastFetchAnswerFileFailed()
{
    std::lock_guard<std::mutex> lock(StateMutex);
    return LastAnswerFileFailed;
}

}  // namespace kestrova
