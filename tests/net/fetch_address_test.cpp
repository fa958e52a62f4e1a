// Cleaning a fetch address: runs of slashes, backslashes in web addresses
// and stray double quotes, and cleaning a cleaned URL again.
#include <gtest/gtest.h>

#include <string>

#include "net/http_fetch.h"

using namespace kestrova;

namespace {

// Cleaning a cleaned URL gives it back.
void ExpectStable(const FetchTarget& t)
{
    const FetchTarget again = ParseFetchAddress(t.Url);
    EXPECT_EQ(again.Url, t.Url);
    EXPECT_EQ(again.LocalFile, t.LocalFile);
    if (!t.LocalFile) {
        EXPECT_EQ(again.Host, t.Host);
        EXPECT_EQ(again.Path, t.Path);
    }
}

}  // namespace

TEST(FetchAddressCleaning, EveryRunOfSlashesBecomesOne)
{
    FetchTarget t = ParseFetchAddress("http://example.com///a////b.htm");
    EXPECT_EQ(t.Url, "http://example.com/a/b.htm");
    EXPECT_EQ(t.Path, "/a/b.htm");
    ExpectStable(t);
    t = ParseFetchAddress("C:\\\\site\\\\\\page.htm");
    EXPECT_TRUE(t.LocalFile);
    EXPECT_EQ(t.Url, "file://C:/site/page.htm");
    ExpectStable(t);
    // A local path whose backslashes made a scheme stays a local path.
    t = ParseFetchAddress("http:\\\\example.com\\x.htm");
    EXPECT_TRUE(t.LocalFile);
    EXPECT_EQ(t.Url, "file://http:/example.com/x.htm");
    ExpectStable(t);
}

TEST(FetchAddressCleaning, AWebAddressWithBackslashesStaysOnTheWeb)
{
    FetchTarget t = ParseFetchAddress("http://example.com\\dir\\page.htm");
    EXPECT_FALSE(t.LocalFile);
    EXPECT_EQ(t.Host, "example.com");
    EXPECT_EQ(t.Url, "http://example.com/dir/page.htm");
    ExpectStable(t);
    t = ParseFetchAddress("HTTPS://\\etc\\passwd");
    EXPECT_FALSE(t.LocalFile);
    EXPECT_EQ(t.Url, "https:///etc/passwd");
    EXPECT_TRUE(t.Host.empty());
}

TEST(FetchAddressCleaning, DoubleQuotesInsideAreEncoded)
{
    // One quote at each end goes; the others are sent as %22, so that a
    // second cleaning does not take off the last one.
    FetchTarget t = ParseFetchAddress("\"http://example.com/a\"\"");
    EXPECT_EQ(t.Url, "http://example.com/a%22");
    ExpectStable(t);
    t = ParseFetchAddress("http://example.com/?q=\"mot clé\"x");
    EXPECT_EQ(t.Url, "http://example.com/?q=%22mot%20clé%22x");
    ExpectStable(t);
}
