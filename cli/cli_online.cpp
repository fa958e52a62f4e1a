#include "cli/cli_online.h"

#include <signal.h>

#include <atomic>

#include "analysis/online_page.h"
#include "base/codec.h"
#include "net/http_fetch.h"
#include "page/page_state.h"

namespace kestrova::cli {

namespace {

std::atomic<bool> Interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterrupt(int)
{
    Interrupted.store(true);
}

// Ctrl+C aborts the fetch instead of ending the process, while it runs.
class InterruptCatcher {
public:
    InterruptCatcher()
    {
        Interrupted.store(false);
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        installed_ = ::sigaction(SIGINT, &action, &previous_) == 0;
    }
    ~InterruptCatcher()
    {
        if (installed_)
            ::sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

}  // namespace

bool AnalyseOnlineAddress(Session& session, const std::string& address, AnalysisResult& result)
{
    InterruptCatcher catcher;
    Page.CurrentPagePath = address;
    result = AnalyseOnlinePage([&session](const std::string& page) {
        // The tool is the only user of the fetch service here; its errors are
        // printed once, not at every attempt.
        std::string text = FetchWithRetry(page, FetchOptions{.AbortFlag = &Interrupted, .ShowErrors = false});
        if (Interrupted.load())
            session.Error("interrupted");
        else if (text.empty() && !LastFetchError().empty())
            session.Error(Cp1252ToUtf8(LastFetchError()));
        else if (!LastFetchNotice().empty())
            session.Error(Cp1252ToUtf8(LastFetchNotice()));
        return text;
    });
    return result.Ok;
}

}  // namespace kestrova::cli
