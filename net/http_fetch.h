// The HTTP page fetch: pages and small files read from the web (the online
// page to analyse, the files of the update check), one download attempt at a
// time in a worker thread, with retries, an inactivity limit and an abort
// request. The answer of every fetch is kept in "temp.htm" in the working
// folder.
//
// Only one fetch runs at a time: the online page fetch and the update check
// take turns through PageFetchBusy and UpdateFetchBusy.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "base/clock.h"
#include "net/net_errors.h"

namespace kestrova {

// Number of attempts, and the pauses after an empty answer and after an
// attempt that failed or was given up.
constexpr int FetchAttempts = 6;
constexpr std::chrono::milliseconds EmptyAnswerPause{100};
constexpr std::chrono::milliseconds FailedAttemptPause{500};
// How often the waiting caller looks at the worker and the abort request.
constexpr std::chrono::milliseconds FetchPollInterval{50};
// An attempt that received nothing for longer than this is given up
// (measured with MonotonicNow, from the attempt's start or its last block).
constexpr std::chrono::seconds FetchInactivityLimit{30};
// An attempt is given up this long after it started, however the data come
// (measured with MonotonicNow).
constexpr std::chrono::seconds FetchAttemptLimit{60};
// A connection not made within this time fails the attempt.
constexpr std::chrono::seconds FetchConnectLimit{15};
// Size of the blocks the answer is read in.
constexpr long FetchBlockSize = 5000;
// Redirections followed at most.
constexpr long FetchMaxRedirections = 10;
// The file that receives the answer, in the working folder.
constexpr char FetchAnswerFile[] = "temp.htm";

// The online page fetch and the update check use the fetch service in turn:
// each waits while the other's flag is set.
extern std::atomic<bool> PageFetchBusy;
extern std::atomic<bool> UpdateFetchBusy;

// Takes the fetch service for one user: sets its own flag, and clears it
// again and returns false when the other's flag is set (try again 100 ms
// later). Both users taking their turn this way never fetch together.
bool TryTakeFetchTurn(std::atomic<bool>& mine, const std::atomic<bool>& other);

// The URL at which the previous successful request ended (after its
// redirections). While it is not empty, each request sends it as Referer,
// with the header "Content-Type: application/x-www-form-urlencoded". Empty
// at start; the update check may set or empty it.
std::string LastFinalUrl();
void SetLastFinalUrl(const std::string& url);

// What a request goes to, from an address as the user typed it.
struct FetchTarget {
    std::string Host;  // the host with its port, if any ("host:8080")
    std::string Path;  // from the first "/" or "\" on; may be empty
    bool LocalFile = false;
    std::string Url;  // what is requested: scheme + host + path, or "file://" + path
};

// Cleans an address: one leading and one trailing double quote removed,
// spaces sent as "%20" and other double quotes as "%22", the scheme
// ("http://", "https://", repeated ones dropped) taken off the front and
// every run of "/" in the rest made one "/" up to the query or fragment ("?"
// or "#"), which is left as it is, then cut into host and path at the first
// "/", "\", "?" or "#". An address without a web scheme that holds a
// backslash, or one that begins with "file://", is a local file, requested
// through "file://" with forward slashes; in an http(s) address a backslash
// is a "/". Without a scheme, "http://" is used. Cleaning a cleaned URL gives
// it back unchanged.
FetchTarget ParseFetchAddress(const std::string& address);

// State shared by one attempt's worker and the caller waiting for it.
struct FetchControl {
    // Set by the caller to make the worker stop its transfer.
    std::atomic<bool> Cancel{false};
    // When the worker last received data (MonotonicNow, nanoseconds since
    // the clock's epoch); set by the caller when the attempt starts.
    std::atomic<std::int64_t> LastActivity{0};
    // Body bytes received so far.
    std::atomic<std::int64_t> BytesReceived{0};
    // The body is refused (the transfer ends) when it would grow past this
    // many bytes; 0 means no limit.
    std::int64_t MaxBytes = 0;
};

// The outcome of one request.
struct HttpAnswer {
    // The request got its whole answer with a success status.
    bool Complete = false;
    // The received body (all of it when Complete).
    std::string Bytes;
    // The URL at which the request ended (when Complete).
    std::string FinalUrl;
    // HTTP status (0 for local files, or when none came).
    long Status = 0;
    // The failure message ("" when Complete or when the transfer was
    // cancelled): "Unable to open " + host (+ path) + ". : " + the error text.
    std::string ErrorText;
    // Whether another attempt may do better: false for a 4xx status, a
    // refused certificate, an answer over the size limit, too many
    // redirections and an address the client cannot use.
    bool WorthRetrying = true;
    // What the failure was, for the user (None when Complete or cancelled).
    NetFailure Failure = NetFailure::None;
};

// One request and its answer, on the calling thread (the fetch worker's):
// GET of the target with agent "Mozilla/4.0" and no proxy, the referer and
// its header when referer is not empty, redirections followed (at most 10,
// HTTP and HTTPS only), certificates checked against the system's store,
// the body read in 5000-byte blocks, each block moving
// control.LastActivity forward. A status of 400 or more is an error. Stops
// soon after control.Cancel is set. Touches no shared state of the program.
HttpAnswer HttpRead(const FetchTarget& target, const std::string& referer, FetchControl& control);

// One attempt as the worker thread runs it: the request, and its answer
// published for the caller.
struct FetchAttempt {
    FetchTarget Target;
    std::string Referer;
    FetchControl Control;

    // Set once by the worker when HttpRead returned; Answer is then final.
    std::atomic<bool> Done{false};
    HttpAnswer Answer;
};

// The worker's entry: runs HttpRead for the attempt and publishes the answer
// in it. Each attempt has its own object, so a worker that was given up can
// never write into a later attempt.
void FetchWorker(std::shared_ptr<FetchAttempt> attempt);

struct FetchOptions {
    // The caller is the user-interface thread with the abortable wait window
    // open: every 50 ms pending window events run and the port's abort
    // request (its "Interrompre" button) is checked.
    bool UseAbortButton = false;
    // Another abort request, checked every 50 ms (may be null).
    const std::atomic<bool>* AbortFlag = nullptr;
    // The largest answer accepted, in bytes; 0 means the online page limit
    // (MaxPageSizeBytes of the settings).
    long long MaxBytes = 0;
    // The show-errors flag: each failure message is shown in a message box
    // titled "Error" (translated) through the interface port, on the
    // caller's thread; a caller that is not the user-interface thread (the
    // update check) leaves it off and reads LastFetchError instead.
    bool ShowErrors = true;
};

// Fetches an address: up to 6 attempts, each in its own worker thread. An
// empty answer is tried again after 100 ms; an attempt that failed, that
// received nothing for more than 30 s or that still runs 60 s after its
// start is given up and the next one starts after 500 ms. A 4xx status, a
// refused certificate, too many redirections or an answer over the size
// limit end the fetch at once. An abort request ends it at the next 50 ms
// check. A failed fetch shows one message, after its last attempt (when
// ShowErrors is set). On success the answer is written whole to "temp.htm"
// in the working folder (safe replace) and the URL it ended at becomes
// LastFinalUrl (not for a local file). An address without a host asks for
// nothing. Returns the answer up to its first zero byte (LastFetchNotice
// then says where it was cut, and is shown as a message too when ShowErrors
// is set); "" when every attempt failed, on abort, or for an empty address.
std::string FetchWithRetry(const std::string& address, const FetchOptions& options = {});

// The failure message of the last fetch ("" when it succeeded or was
// aborted).
std::string LastFetchError();

// What the user should know about the answer of the last fetch that
// succeeded: that it holds a zero byte and where the text was cut; "" when
// nothing.
std::string LastFetchNotice();

// Whether the last fetch got an answer that could not be kept in "temp.htm".
bool LastFetchAnswerFileFailed();

// For tests and diagnostics: the body bytes received so far by the attempt
// running now (or by the last one).
std::int64_t LastFetchBytes();

}  // namespace kestrova
