// The page fetch against real servers on 127.0.0.1: what is requested, what
// is kept, and how failures, stalls, slow servers and aborts are handled.
#include "net/http_fetch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/app_state.h"
#include "base/clock.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "net/net_errors.h"
#include "tests/support/engine_state.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::ReadAll;

namespace {

using namespace std::chrono_literals;

const std::string PageOne = "<html><head><title>Un</title></head><body>premier</body></html>";
const std::string PageTwo = "<html><head><title>Deux</title></head><body>second</body></html>";

// A headless interface whose abort request may be set from another thread.
class AbortableUi : public ui::HeadlessUi {
public:
    bool AbortRequested() override { return abort.load(); }
    std::atomic<bool> abort{false};
};

class HttpFetchTest : public test::EngineStateTest {
protected:
    HttpFetchTest() : EngineStateTest(LanguageEnglish) {}

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

    // Waits (real time, generously) until the attempt running now has
    // received this many body bytes.
    static bool WaitForBytes(std::int64_t count)
    {
        const auto limit = std::chrono::steady_clock::now() + 20s;
        while (LastFetchBytes() < count) {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    HttpTestServer server;
};

TEST(FetchAddressTest, TheQueryAndFragmentAreLeftAlone)
{
    // Doubled slashes go in the path only: a query may hold a whole address.
    FetchTarget t = ParseFetchAddress("http://example.com//stats//use.php?ref=http://a.example/b//c#x//y");
    EXPECT_EQ(t.Host, "example.com");
    EXPECT_EQ(t.Path, "/stats/use.php?ref=http://a.example/b//c#x//y");
    EXPECT_EQ(t.Url, "http://example.com/stats/use.php?ref=http://a.example/b//c#x//y");
    // A query right after the host does not make its slashes part of the host.
    t = ParseFetchAddress("example.com?ref=http://a.example/");
    EXPECT_EQ(t.Host, "example.com");
    EXPECT_EQ(t.Url, "http://example.com?ref=http://a.example/");
}

TEST(FetchAddressTest, CleansAndCutsAddresses)
{
    FetchTarget t = ParseFetchAddress("http://www.example.com/dir/page.htm");
    EXPECT_EQ(t.Host, "www.example.com");
    EXPECT_EQ(t.Path, "/dir/page.htm");
    EXPECT_FALSE(t.LocalFile);
    EXPECT_EQ(t.Url, "http://www.example.com/dir/page.htm");

    t = ParseFetchAddress("\"http://www.example.com/mon fichier.htm\"");
    EXPECT_EQ(t.Url, "http://www.example.com/mon%20fichier.htm");

    t = ParseFetchAddress("http://www.example.com");
    EXPECT_EQ(t.Host, "www.example.com");
    EXPECT_EQ(t.Path, "");
    EXPECT_EQ(t.Url, "http://www.example.com");

    // A doubled scheme counts once; "//" inside the path becomes "/".
    EXPECT_EQ(ParseFetchAddress("http://http://example.com//a//b.htm").Url, "http://example.com/a/b.htm");
    // No scheme: http. The port stays with the host.
    t = ParseFetchAddress("example.com:8080/page.htm");
    EXPECT_EQ(t.Host, "example.com:8080");
    EXPECT_EQ(t.Url, "http://example.com:8080/page.htm");
    // HTTPS stays HTTPS, whatever the case of the scheme.
    EXPECT_EQ(ParseFetchAddress("HTTPS://secure.example.com/x.htm").Url, "https://secure.example.com/x.htm");

    // Local files go through file:// with forward slashes.
    t = ParseFetchAddress("C:\\site\\page.htm");
    EXPECT_TRUE(t.LocalFile);
    EXPECT_EQ(t.Url, "file://C:/site/page.htm");
    t = ParseFetchAddress("file:///tmp/site/page.htm");
    EXPECT_TRUE(t.LocalFile);
    EXPECT_EQ(t.Url, "file:///tmp/site/page.htm");
}

TEST(NetErrorTextTest, DescribesTheLastErrorOfTheThread)
{
    SetLastNetError(0);
    EXPECT_EQ(LastNetErrorText(), "");
    SetLastNetError(7);
    EXPECT_EQ(LastNetErrorText(), "Erreur N\xB0 / Error N# 7 : Couldn't connect to server");
    SetLastNetError(22, "HTTP 404 Not Found");
    EXPECT_EQ(LastNetErrorText(), "Erreur N\xB0 / Error N# 22 : HTTP response code said error (HTTP 404 Not Found)");
    // Each thread has its own.
    std::string other = "unset";
    std::thread([&] { other = LastNetErrorText(); }).join();
    EXPECT_EQ(other, "");
    SetLastNetError(0);
}

TEST_F(HttpFetchTest, FetchesPagesAndSendsTheRefererFromTheSecondOn)
{
    server.Route("/one.htm", HttpTestResponse::Page(PageOne));
    // A zero byte ends the text; the file keeps every byte.
    server.Route("/two.htm", HttpTestResponse::Page(PageTwo + std::string("\0tail", 5)));

    EXPECT_EQ(FetchWithRetry(server.Url("/one.htm")), PageOne);
    EXPECT_EQ(ReadAll("temp.htm"), PageOne);
    EXPECT_EQ(LastFinalUrl(), server.Url("/one.htm"));

    // Typed without its scheme, on the same port.
    EXPECT_EQ(FetchWithRetry(server.HostPort() + "/two.htm"), PageTwo);
    EXPECT_EQ(ReadAll("temp.htm"), PageTwo + std::string("\0tail", 5));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Target, "/one.htm");
    EXPECT_EQ(requests[0].Header("user-agent"), "Mozilla/4.0");
    EXPECT_FALSE(requests[0].Has("referer"));
    EXPECT_FALSE(requests[0].Has("content-type"));
    EXPECT_EQ(requests[1].Target, "/two.htm");
    EXPECT_EQ(requests[1].Header("referer"), server.Url("/one.htm"));
    EXPECT_EQ(requests[1].Header("content-type"), "application/x-www-form-urlencoded");
    // The second page's zero byte is told, with where the text stops.
    const auto shown = ui.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "The page holds a zero byte at position " + std::to_string(PageTwo.size()) +
                                 ": the analysis stops there.");
}

TEST_F(HttpFetchTest, FollowsRedirectionsAndKeepsTheFinalUrl)
{
    server.Route("/old.htm", HttpTestResponse::Redirect(server.Url("/moved/new.htm"), 301));
    server.Route("/moved/new.htm", HttpTestResponse::Redirect("/final.htm"));
    server.Route("/final.htm", HttpTestResponse::Page(PageTwo));

    EXPECT_EQ(FetchWithRetry(server.Url("/old.htm")), PageTwo);
    EXPECT_EQ(LastFinalUrl(), server.Url("/final.htm"));
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(HttpFetchTest, EmptyAnswerIsTriedSixTimes)
{
    server.Route("/empty.htm", HttpTestResponse::Page(""));
    EXPECT_EQ(FetchWithRetry(server.Url("/empty.htm")), "");
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(LastFetchError(), "");
}

TEST_F(HttpFetchTest, ClientErrorsAreNotRetriedAndKeepTheOldAnswerFile)
{
    dir.Write("temp.htm", "old answer");
    EXPECT_EQ(FetchWithRetry(server.Url("/missing.htm")), "");
    EXPECT_EQ(server.Requests().size(), 1u);
    const std::string error = LastFetchError();
    EXPECT_EQ(error, "Unable to open " + server.HostPort() +
                         "/missing.htm : the server answered with the HTTP error 404. (Erreur N\xB0 / Error N# 22)");
    const auto shown = ui.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Title, "Error");
    EXPECT_EQ(shown[0].Text, error);
    EXPECT_EQ(ReadAll("temp.htm"), "old answer");
    EXPECT_EQ(LastFinalUrl(), "");
}

TEST_F(HttpFetchTest, ServerErrorsAndDroppedConnectionsAreRetried)
{
    HttpTestResponse dropped = HttpTestResponse::Page("<html><body>half of");
    dropped.AnnouncedLength = 500;
    server.Route("/busy.htm",
                 {HttpTestResponse::Error(503, "Service Unavailable"), dropped, HttpTestResponse::Page(PageOne)});
    EXPECT_EQ(FetchWithRetry(server.Url("/busy.htm"), {.ShowErrors = false}), PageOne);
    EXPECT_EQ(server.Requests().size(), 3u);
    // Nothing shown without the show-errors flag; half a page never reached the file.
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(ReadAll("temp.htm"), PageOne);
}

TEST_F(HttpFetchTest, RefusedConnectionIsReportedOnceAfterTheLastAttempt)
{
    test::RefusingPort refusing;
    const std::string host = "127.0.0.1:" + std::to_string(refusing.Port());
    EXPECT_EQ(FetchWithRetry("http://" + host + "/page.htm"), "");
    const auto shown = ui.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Title, "Error");
    EXPECT_EQ(shown[0].Text,
              "Unable to open " + host + " : the server refused the connection. (Erreur N\xB0 / Error N# 7)");
    EXPECT_EQ(LastFetchError(), shown.back().Text);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "temp.htm"));

    // In a French run, in French.
    App.Language = LanguageFrench;
    EXPECT_EQ(FetchWithRetry("http://" + host + "/page.htm"), "");
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1].Title, "Erreur");
    EXPECT_EQ(ui.Messages()[1].Text,
              "Impossible d'ouvrir " + host + " : le serveur a refus\xE9 la connexion. (Erreur N\xB0 / Error N# 7)");
}

TEST_F(HttpFetchTest, StalledAttemptIsGivenUpAfterTheInactivityLimit)
{
    ManualMonotonicClock clock;
    HttpTestResponse stalled = HttpTestResponse::Page("<html><body>");
    stalled.AnnouncedLength = 100;
    stalled.Stall = true;
    server.Route("/slow.htm", {stalled, HttpTestResponse::Page(PageOne)});

    std::size_t requestsWithinLimit = 0;
    std::thread mover([&] {
        // Once the first block is in, 29 s pass: the attempt is still
        // waited for. Two more, and it is given up.
        if (server.WaitForRequests(1) && WaitForBytes(12))
            clock.Advance(29s);
        std::this_thread::sleep_for(200ms);
        requestsWithinLimit = server.Requests().size();
        clock.Advance(2s);
    });
    const std::string text = FetchWithRetry(server.Url("/slow.htm"));
    mover.join();

    EXPECT_EQ(requestsWithinLimit, 1u);
    EXPECT_EQ(text, PageOne);
    EXPECT_EQ(server.Requests().size(), 2u);
    // The stalled transfer was ended, not left running.
    EXPECT_TRUE(server.WaitForStallsEndedByClient(1));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(HttpFetchTest, SlowServerIsReadToTheEndWhileBlocksKeepComing)
{
    ManualMonotonicClock clock;
    HttpTestResponse trickle;
    trickle.Pieces = {"<html><body>", "un ", "deux ", "trois ", "quatre</body></html>"};
    std::string whole;
    for (const auto& piece : trickle.Pieces)
        whole += piece;
    std::int64_t sent = 0;
    trickle.BeforePiece = [&](std::size_t i) {
        // 20 s pass before each block, 100 s in all: the fetch must wait for
        // every block that comes within the limit.
        if (i > 0) {
            sent += static_cast<std::int64_t>(trickle.Pieces[i - 1].size());
            WaitForBytes(sent);
        }
        clock.Advance(20s);
    };
    server.Route("/trickle.htm", trickle);

    EXPECT_EQ(FetchWithRetry(server.Url("/trickle.htm")), whole);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(ReadAll("temp.htm"), whole);
}

TEST_F(HttpFetchTest, AbortEndsTheTransferAndTheFetch)
{
    HttpTestResponse stalled = HttpTestResponse::Page("<html>");
    stalled.AnnouncedLength = 100;
    stalled.Stall = true;
    server.Route("/stall.htm", stalled);

    // The abort button of the wait window, seen through the interface port.
    AbortableUi abortable;
    ui::SetUi(&abortable);
    std::thread clicker([&] {
        if (server.WaitForRequests(1))
            abortable.abort = true;
    });
    EXPECT_EQ(FetchWithRetry(server.Url("/stall.htm"), {.UseAbortButton = true}), "");
    clicker.join();
    ui::SetUi(&ui);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.WaitForStallsEndedByClient(1));
    EXPECT_GT(abortable.PumpCount, 0);
    EXPECT_TRUE(abortable.Messages().empty());

    // Any other abort request (the command line's Ctrl+C).
    std::atomic<bool> interrupted{false};
    std::thread interrupter([&] {
        if (server.WaitForRequests(2))
            interrupted = true;
    });
    EXPECT_EQ(FetchWithRetry(server.Url("/stall.htm"), {.AbortFlag = &interrupted}), "");
    interrupter.join();
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(server.WaitForStallsEndedByClient(2));
}

TEST_F(HttpFetchTest, SelfSignedCertificateIsRefused)
{
    test::HttpsTestServer secure;
    ASSERT_TRUE(secure.Started()) << "openssl and /usr/bin/python3 make the test server";
    EXPECT_EQ(FetchWithRetry(secure.Url("/page.htm")), "");
    const auto shown = ui.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Unable to open 127.0.0.1:" + std::to_string(secure.Port()) +
                                 " : the server's certificate was refused. (Erreur N\xB0 / Error N# 60)");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "temp.htm"));
}

TEST_F(HttpFetchTest, LocalFilesAndEmptyAddresses)
{
    const std::string path = dir.Write("site/page.htm", PageTwo);
    EXPECT_EQ(FetchWithRetry("file://" + path), PageTwo);
    EXPECT_EQ(ReadAll("temp.htm"), PageTwo);
    // A local file never becomes the referer of a web page.
    EXPECT_EQ(LastFinalUrl(), "");
    EXPECT_EQ(FetchWithRetry(""), "");
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
