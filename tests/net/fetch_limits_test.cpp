// The page fetch against servers that misbehave: answers too large or
// endless, transfers that trickle, redirections without end, zero bytes in a
// page, addresses with backslashes; and what the user is told, once, in the
// language of the interface.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "analysis/online_page.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "base/settings.h"
#include "base/translate.h"
#include "net/http_fetch.h"
#include "net/net_errors.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::ReadAll;
using namespace std::chrono_literals;

namespace {

const std::string PageOne = "<html><head><title>Un</title></head><body>premier</body></html>";

// A monotonic clock that moves only when told to and counts how often the
// fetch loop (the thread that made it) has read it, so that a server can
// wait until the loop has looked at the time before it sends more.
class LoopClock {
public:
    LoopClock() : shared_(std::make_shared<Shared>())
    {
        shared_->loop = std::this_thread::get_id();
        std::shared_ptr<Shared> s = shared_;
        SetMonotonicClock([s] {
            if (std::this_thread::get_id() == s->loop) {
                std::lock_guard<std::mutex> lock(s->mutex);
                ++s->reads;
                s->changed.notify_all();
            }
            return s->start + std::chrono::nanoseconds(s->elapsed.load());
        });
    }
    ~LoopClock() { SetMonotonicClock({}); }
    LoopClock(const LoopClock&) = delete;
    LoopClock& operator=(const LoopClock&) = delete;

    void Advance(std::chrono::nanoseconds step) { shared_->elapsed += step.count(); }
    long Reads() const
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        return shared_->reads;
    }
    // Waits (real time, generously) until the loop read the clock after
    // `seen` reads.
    bool WaitForReadAfter(long seen) const
    {
        std::unique_lock<std::mutex> lock(shared_->mutex);
        return shared_->changed.wait_for(lock, 20s, [&] { return shared_->reads > seen; });
    }

private:
    struct Shared {
        std::thread::id loop;
        std::atomic<std::int64_t> elapsed{0};
        MonotonicTime start = std::chrono::steady_clock::now();
        mutable std::mutex mutex;
        std::condition_variable changed;
        long reads = 0;
    };
    std::shared_ptr<Shared> shared_;
};

class FetchLimitsTest : public test::EngineStateTest {
protected:
    FetchLimitsTest() : EngineStateTest(LanguageEnglish) {}
    void SetUp() override
    {
        EngineStateTest::SetUp();
        SetLastFinalUrl("");
    }
    void TearDown() override
    {
        SetLastFinalUrl("");
        EngineStateTest::TearDown();
    }

    // Waits (real time) until the attempt running now received this many
    // body bytes, or a later request came (the attempt was given up).
    bool WaitForBytes(std::int64_t count, std::size_t request) const
    {
        const auto limit = std::chrono::steady_clock::now() + 20s;
        while (LastFetchBytes() < count) {
            if (std::chrono::steady_clock::now() > limit || server.Requests().size() > request)
                return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    // An answer in `blocks` blocks, one every `gap` of the clock: each block
    // is sent only once the previous one arrived and the fetch loop has
    // looked at the clock since. Stops pacing when a later request comes.
    HttpTestResponse Trickle(LoopClock& clock, int blocks, std::chrono::seconds gap, std::string& whole)
    {
        HttpTestResponse answer;
        answer.Pieces.push_back("<html><body>");
        for (int i = 1; i < blocks; ++i)
            answer.Pieces.push_back("bloc " + std::to_string(i) + " ");
        answer.Pieces.back() += "</body></html>";
        whole.clear();
        for (const auto& piece : answer.Pieces)
            whole += piece;
        auto sent = std::make_shared<std::int64_t>(0);
        const std::vector<std::string> pieces = answer.Pieces;
        const std::size_t request = server.Requests().size() + 1;
        answer.BeforePiece = [this, &clock, gap, sent, pieces, request](std::size_t i) {
            if (i == 0)
                return;
            *sent += static_cast<std::int64_t>(pieces[i - 1].size());
            if (!WaitForBytes(*sent, request))
                return;
            if (!clock.WaitForReadAfter(clock.Reads()))
                return;
            clock.Advance(gap);
        };
        return answer;
    }

    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    HttpTestServer server;
};

TEST_F(FetchLimitsTest, BodyBlocksKeepAnAttemptAliveBeyondTheInactivityLimit)
{
    // A block every 2 s for 36 s: more than the 30 s inactivity limit in
    // all, never 30 s without data.
    LoopClock clock;
    std::string whole;
    server.Route("/slow.htm", {Trickle(clock, 19, 2s, whole), HttpTestResponse::Error(404, "Not Found")});
    EXPECT_EQ(FetchWithRetry(server.Url("/slow.htm")), whole);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FetchLimitsTest, AnAttemptEndsSixtySecondsAfterItsStart)
{
    // Blocks every 2 s for 80 s: the first attempt is given up at 60 s, the
    // second gets the page.
    LoopClock clock;
    std::string whole;
    server.Route("/endless.htm", {Trickle(clock, 41, 2s, whole), HttpTestResponse::Page(PageOne)});
    EXPECT_EQ(FetchWithRetry(server.Url("/endless.htm")), PageOne);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FetchLimitsTest, TimeOutsAreReportedOnceAfterTheLastAttempt)
{
    LoopClock clock;
    HttpTestResponse stalled = HttpTestResponse::Page("<html>");
    stalled.AnnouncedLength = 100;
    stalled.Stall = true;
    server.Route("/stall.htm", stalled);
    std::atomic<bool> done{false};
    std::thread mover([&] {
        // Each attempt: once its request came and the loop looked at the
        // clock, 31 s pass.
        for (std::size_t n = 1; n <= FetchAttempts && !done; ++n) {
            if (!server.WaitForRequests(n))
                return;
            clock.WaitForReadAfter(clock.Reads());
            clock.Advance(31s);
        }
    });
    EXPECT_EQ(FetchWithRetry(server.Url("/stall.htm")), "");
    done = true;
    mover.join();
    EXPECT_EQ(server.Requests().size(), static_cast<std::size_t>(FetchAttempts));
    const auto shown = ui.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Title, "Error");
    EXPECT_EQ(shown[0].Text, "Unable to open 127.0.0.1:" + std::to_string(server.Port()) +
                                 "/stall.htm : the server does not answer (time-out). (Erreur N\xB0 / Error N# 28)");
    EXPECT_EQ(LastFetchError(), shown[0].Text);
}

TEST_F(FetchLimitsTest, RedirectionsStopAfterTen)
{
    // /a0 -> /a1 -> ... -> /a10 is ten redirections: followed.
    for (int i = 0; i < 10; ++i)
        server.Route("/a" + std::to_string(i), HttpTestResponse::Redirect(server.Url("/a" + std::to_string(i + 1))));
    server.Route("/a10", HttpTestResponse::Page(PageOne));
    EXPECT_EQ(FetchWithRetry(server.Url("/a0")), PageOne);
    EXPECT_EQ(server.Requests().size(), 11u);
    EXPECT_EQ(LastFinalUrl(), server.Url("/a10"));

    // Eleven: refused, and not tried again.
    for (int i = 0; i < 11; ++i)
        server.Route("/b" + std::to_string(i), HttpTestResponse::Redirect(server.Url("/b" + std::to_string(i + 1))));
    server.Route("/b11", HttpTestResponse::Page(PageOne));
    EXPECT_EQ(FetchWithRetry(server.Url("/b0")), "");
    EXPECT_EQ(server.Requests().size(), 11u + 11u);
    EXPECT_EQ(server.Requests().back().Target, "/b10");
    EXPECT_EQ(ui.Messages().size(), 1u);

    // A loop costs at most 11 requests per attempt (the watchdog ends a
    // fetch that would go on for ever).
    server.Route("/loop", HttpTestResponse::Redirect(server.Url("/loop")));
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::thread watchdog([&] {
        const auto limit = std::chrono::steady_clock::now() + 20s;
        while (!finished && std::chrono::steady_clock::now() < limit && server.Requests().size() < 22u + 100u)
            std::this_thread::sleep_for(5ms);
        stop = true;
    });
    FetchWithRetry(server.Url("/loop"), {.AbortFlag = &stop});
    finished = true;
    watchdog.join();
    const std::size_t loopRequests = server.Requests().size() - 22u;
    EXPECT_LE(loopRequests, 11u * FetchAttempts);
    EXPECT_EQ(loopRequests, 11u);
}

TEST_F(FetchLimitsTest, AnswersOverTheSizeLimitAreRefusedEarly)
{
    // With and without a Content-Length: the known size is refused before
    // the body, the endless one when it passes the limit.
    App.MaxPageSize = 50000;
    EXPECT_EQ(MaxPageSizeBytes(), 50000);
    HttpTestResponse big = HttpTestResponse::Page(std::string(200000, 'x'));
    HttpTestResponse endless;
    endless.CloseDelimited = true;
    for (int i = 0; i < 400; ++i)
        endless.Pieces.push_back(std::string(10000, 'y'));
    std::atomic<std::int64_t> mostReceived{0};
    endless.BeforePiece = [&](std::size_t) {
        mostReceived = std::max<std::int64_t>(mostReceived.load(), LastFetchBytes());
    };
    server.Route("/big.htm", big);
    server.Route("/endless.htm", endless);
    for (const char* path : {"/big.htm", "/endless.htm"}) {
        ui.Clear();
        const std::size_t before = server.Requests().size();
        EXPECT_EQ(FetchWithRetry(server.Url(path)), "") << path;
        EXPECT_EQ(server.Requests().size(), before + 1) << path;
        const auto shown = ui.Messages();
        ASSERT_EQ(shown.size(), 1u) << path;
        EXPECT_EQ(shown[0].Text, "Unable to open 127.0.0.1:" + std::to_string(server.Port()) + path +
                                     " : the page is larger than the limit of 50000 bytes (setting MaxPageSize of "
                                     "Kestrova.prefs). (Erreur N\xB0 / Error N# 63)");
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "temp.htm"));
    }
    EXPECT_LE(LastFetchBytes(), 50000);
    EXPECT_LE(mostReceived.load(), 50000);
    // A caller's own limit wins over the setting.
    EXPECT_EQ(FetchWithRetry(server.Url("/big.htm"), {.MaxBytes = 300000}).size(), 200000u);
    App.MaxPageSize = 0;
    EXPECT_EQ(MaxPageSizeBytes(), 20LL * 1024 * 1024);
}

TEST_F(FetchLimitsTest, AZeroByteIsReportedWhereTheTextStops)
{
    server.Route("/nul.htm", HttpTestResponse::Page(std::string("<html>abc\0def</html>", 20)));
    EXPECT_EQ(FetchWithRetry(server.Url("/nul.htm")), "<html>abc");
    EXPECT_EQ(LastFetchNotice(), "The page holds a zero byte at position 9: the analysis stops there.");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Caution!");
    EXPECT_EQ(ui.Messages()[0].Text, LastFetchNotice());
    // The answer file keeps every byte.
    EXPECT_EQ(ReadAll("temp.htm").size(), 20u);
    // The next fetch starts without it.
    server.Route("/one.htm", HttpTestResponse::Page(PageOne));
    EXPECT_EQ(FetchWithRetry(server.Url("/one.htm")), PageOne);
    EXPECT_EQ(LastFetchNotice(), "");
}

TEST_F(FetchLimitsTest, BackslashesInAWebAddressAreNoLocalPath)
{
    FetchTarget t = ParseFetchAddress("http://\\etc\\hostname");
    EXPECT_FALSE(t.LocalFile);
    EXPECT_EQ(t.Url.rfind("http://", 0), 0u) << t.Url;
    EXPECT_EQ(FetchWithRetry("http://\\etc\\hostname"), "");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "temp.htm"));

    // On a server, a backslash separates folders.
    server.Route("/dir/page.htm", HttpTestResponse::Page(PageOne));
    EXPECT_EQ(FetchWithRetry("http://" + server.HostPort() + "\\dir\\page.htm"), PageOne);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Target, "/dir/page.htm");
    // Without a scheme a Windows path stays a local file.
    EXPECT_TRUE(ParseFetchAddress("C:\\site\\page.htm").LocalFile);
}

TEST_F(FetchLimitsTest, TheSizeLimitIsASettingKeptOnlyWhenSet)
{
    const std::string prefs = dir.Write("Kestrova.prefs", "Language = English\r\nMaxPageSize = 1000\r\n");
    SettingsHost host;
    host.ScreenWidth = 1024;
    host.ScreenHeight = 768;
    ASSERT_TRUE(LoadSettings(prefs, host));
    EXPECT_EQ(MaxPageSizeBytes(), 1000);
    ASSERT_TRUE(SaveSettings(prefs, WindowGeometry{712, 600, 0, 0}, ""));
    EXPECT_NE(ReadAll(prefs).find("MaxPageSize = 1000\r\n"), std::string::npos);

    // Not set, or not a size: the built-in 20 MB, and nothing written.
    for (const char* value : {"", "-5", "beaucoup"}) {
        dir.Write("Kestrova.prefs", std::string("Language = English\r\nMaxPageSize = ") + value + "\r\n");
        ResetAppState();
        ASSERT_TRUE(LoadSettings(prefs, host));
        EXPECT_EQ(MaxPageSizeBytes(), DefaultMaxPageSize) << value;
        ASSERT_TRUE(SaveSettings(prefs, WindowGeometry{712, 600, 0, 0}, ""));
        EXPECT_EQ(ReadAll(prefs).find("MaxPageSize"), std::string::npos) << value;
    }
}

TEST(NetFailureText, EachKindHasItsSentenceInBothLanguages)
{
    App.Language = LanguageFrench;
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(6)), "le serveur est introuvable (nom d'h\xF4te inconnu).");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(7)), "le serveur a refus\xE9 la connexion.");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(28)), "le serveur ne r\xE9pond pas (d\xE9lai d\xE9pass\xE9).");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(60)), "le certificat du serveur est refus\xE9.");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(22), 404), "le serveur a r\xE9pondu par l'erreur HTTP 404.");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(67)), "le serveur refuse l'identifiant ou le mot de passe (530).");
    EXPECT_EQ(NetFailureMessage("h", NetFailure::Refused, 7),
              "Impossible d'ouvrir h : le serveur a refus\xE9 la connexion. (Erreur N\xB0 / Error N# 7)");
    App.Language = LanguageEnglish;
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(6)), "the server cannot be found (unknown host name).");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(7)), "the server refused the connection.");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(28)), "the server does not answer (time-out).");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(60)), "the server's certificate was refused.");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(22), 503), "the server answered with the HTTP error 503.");
    EXPECT_EQ(NetFailureSentence(ClassifyNetError(67)), "the server refused the login or the password (530).");
    EXPECT_EQ(NetFailureSentence(NetFailure::Other, 0, 0, "boom"), "network error : boom.");
    EXPECT_EQ(ClassifyNetError(0), NetFailure::None);
}

TEST_F(FetchLimitsTest, AnAnswerFileThatCannotBeWrittenIsSaidSo)
{
    // "temp.htm" is taken by a folder: the page comes but cannot be kept.
    std::filesystem::create_directory(dir.Path() / "temp.htm");
    Page.CurrentPagePath = "http://example.invalid/page.htm";
    AnalyseOnlinePage([](const std::string&) { return PageOne; });
    const auto shown = ui.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text,
              "The page was fetched, but temp.htm cannot be written in " + std::filesystem::current_path().string());
    EXPECT_EQ(Page.CurrentPagePath, "");
}

}  // namespace
