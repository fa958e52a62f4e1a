// kestrova-cli update-check against a loopback server, with the settings of
// the current folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/app_state.h"
#include "cli/cli.h"
#include "net/update.h"
#include "net/update_signature.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"
#include "tests/support/update_signing.h"
#include "tests/support/zip_writer.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

class UpdateVerbTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return cli::RunCli(args, out, err);
    }

    void SetUp() override
    {
        dir.Write("Kestrova.prefs", "Language = English\r\nUpdateServer = " + server.Url("") + "/\r\n");
        ReplaceBuiltInUpdateKeyForTests(key.PublicHex());
    }
    void TearDown() override
    {
        ReplaceBuiltInUpdateKeyForTests("");
        ResetAppState();
    }

    // Serves a version list with its signature.
    void ServeList(const std::string& list)
    {
        server.Route("/downloads/versions.txt", test::HttpTestResponse::Page(list));
        server.Route("/downloads/versions.txt.sig", test::HttpTestResponse::Page(key.Sign(list)));
    }

    test::SigningKey key;
    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    test::HttpTestServer server;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(UpdateVerbTest, UpToDateOfferedStagedOrFailed)
{
    ServeList("Kestrova|1.37b|http://x/a.zip|a|End\r\n");
    EXPECT_EQ(Run({"update-check"}), 0);
    EXPECT_EQ(out.str(), "Kestrova 1.37b is up to date.\n");
    // The usage report went first, to the server of the settings.
    ASSERT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(server.Requests()[0].Target.rfind("/downloads/log.php?&hl=", 0), 0u);

    test::TempDir zips;
    ASSERT_TRUE(test::WriteZip(zips.File("k.zip"), {{"kestrova", "new program"}}));
    const std::string archive = test::ReadAll(zips.File("k.zip"));
    server.Route("/downloads/k.zip", test::HttpTestResponse::Page(archive));
    ServeList("Kestrova|1.38|" + server.Url("") + "/downloads/k.zip#sha256=" + Sha256Hex(archive) +
              "|kestrova|End\r\n");
    EXPECT_EQ(Run({"update-check"}), 0);
    EXPECT_NE(out.str().find("Do you want to update it? no\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Kestrova 1.38 is available"), std::string::npos) << out.str();
    EXPECT_FALSE(fs::exists(dir.Path() / "UpdateProg"));

    EXPECT_EQ(Run({"update-check", "--install"}), 0) << err.str();
    EXPECT_NE(out.str().find("Kestrova 1.38 is staged"), std::string::npos) << out.str();
    EXPECT_EQ(test::ReadAll(dir.File("UpdateProg/kestrova")), "new program");
    EXPECT_EQ(test::ReadAll(dir.File("UpdateProg/Paths.txt")), "kestrova|\r\n");

    server.Route("/downloads/k.zip", test::HttpTestResponse::Page(archive + "tampered"));
    EXPECT_EQ(Run({"update-check", "--install"}), 1);
    EXPECT_NE(err.str().find("does not match its checksum"), std::string::npos) << err.str();

    EXPECT_EQ(Run({"update-check", "--force"}), 2);
}

TEST_F(UpdateVerbTest, ListsThatAreNotSignedOrNotListsAreFailures)
{
    // Signed with another key: refused, nothing offered.
    test::SigningKey other;
    const std::string list = "Kestrova|1.38|http://x/a.zip|a|End\r\n";
    server.Route("/downloads/versions.txt", test::HttpTestResponse::Page(list));
    server.Route("/downloads/versions.txt.sig", test::HttpTestResponse::Page(other.Sign(list)));
    EXPECT_EQ(Run({"update-check"}), 1);
    EXPECT_EQ(err.str(), "kestrova-cli: update check failed: The version list is not signed: the update is refused.\n");
    EXPECT_EQ(out.str(), "");

    // A server's home page instead of the list.
    ServeList("<html><body>Welcome</body></html>");
    EXPECT_EQ(Run({"update-check"}), 1);
    EXPECT_EQ(err.str(), "kestrova-cli: update check failed: The version list received is not valid.\n");
}

TEST_F(UpdateVerbTest, UnreachableServerIsAFailure)
{
    test::RefusingPort refusing;
    const std::string address = "http://127.0.0.1:" + std::to_string(refusing.Port());
    dir.Write("Kestrova.prefs", "UpdateServer = " + address + "\r\n");
    EXPECT_EQ(Run({"update-check"}), 1);
    EXPECT_NE(err.str().find("version list could not be fetched"), std::string::npos) << err.str();
}

TEST_F(UpdateVerbTest, AFileNamedLikeTheAnswerThatWasThereBeforeIsKept)
{
    // A user's own temp.htm in the current folder: no server answers, then
    // a server answers; neither run removes or reads the file it did not
    // write.
    dir.Write("temp.htm", "<html>my own page</html>");
    test::RefusingPort refusing;
    dir.Write("Kestrova.prefs", "UpdateServer = http://127.0.0.1:" + std::to_string(refusing.Port()) + "\r\n");
    EXPECT_EQ(Run({"update-check"}), 1);
    EXPECT_EQ(test::ReadAll(dir.File("temp.htm")), "<html>my own page</html>");
}

}  // namespace
