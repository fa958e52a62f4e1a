// kestrova-cli upload, run as a program against a loopback FTP server.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/loopback_servers.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::FtpTestServer;
using test::ReadAll;

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++n;
    return n;
}

class CliUploadTest : public ::testing::Test {
protected:
    int Upload(const std::string& args)
    {
        const std::string command = "cd '" + work.Path().string() + "' && '" + KESTROVA_CLI_PATH + "' upload " + args +
                                    " >'" + outFile + "' 2>'" + errFile + "'";
        const int status = std::system(command.c_str());
        out = ReadAll(outFile);
        err = ReadAll(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Journal() const { return ReadAll(work.File("Kestrova_log.txt")); }

    test::TempDir work, site, home, logs;
    const std::string outFile = logs.File("out.txt"), errFile = logs.File("err.txt");
    std::string out, err;
};

TEST_F(CliUploadTest, SendsTheJournalsPagesAndKeepsTheOthers)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    std::ofstream(work.File("Kestrova.prefs"))
        << "Language = English\r\nServerName1 = other\r\nServerAdress1 = 127.0.0.1:1\r\nServerLogin1 = x\r\n"
        << "ServerPassword1 = y\r\nServerName2 = site\r\nServerAdress2 = " << server.Address() << "/www\r\n"
        << "ServerLogin2 = " << FtpTestServer::User << "\r\nServerPassword2 = " << FtpTestServer::Password << "\r\n";
    const std::string b = site.Write("site/sub/b.htm", "bbb");
    const std::string a = site.Write("site/a.htm", "aaa");
    const std::string empty = site.Write("site/empty.htm", "");
    const std::string outside = site.Write("elsewhere/c.htm", "ccc");
    std::ofstream(work.File("Kestrova_log.txt")) << b << "|10\n"
                                                 << a << "|10\n"
                                                 << empty << "|10\n"
                                                 << outside << "|10\n";

    EXPECT_EQ(Upload(""), 2);
    EXPECT_EQ(Upload("--server nosuch"), 2);
    EXPECT_NE(err.find("no server named \"nosuch\""), std::string::npos) << err;
    EXPECT_EQ(Upload("--server site extra"), 2);
    EXPECT_TRUE(fs::is_empty(home.Path()));

    // The root climbs from b's folder to a's: b goes to /www/sub/.
    EXPECT_EQ(Upload("--server site"), 1);
    EXPECT_EQ(ReadAll((home.Path() / "www" / "sub" / "b.htm").string()), "bbb");
    EXPECT_EQ(ReadAll((home.Path() / "www" / "a.htm").string()), "aaa");
    EXPECT_EQ(Count(out, "sent "), 2u) << out;
    EXPECT_NE(out.find("sent " + a + " -> "), std::string::npos) << out;
    EXPECT_NE(err.find("not sent: " + empty + ": The file to upload has a size of zero!"), std::string::npos) << err;
    EXPECT_NE(err.find("not sent: " + outside + ": outside the upload root"), std::string::npos) << err;
    EXPECT_EQ(Count(err, "\n"), 2u) << err;
    EXPECT_EQ((out + err).find(FtpTestServer::Password), std::string::npos);
    EXPECT_EQ(Journal(), empty + "|10\r\n" + outside + "|10\r\n");

    // With a root above both, and the empty page written, everything goes.
    std::ofstream(empty) << "now full";
    EXPECT_EQ(Upload("--server site --root " + site.Path().string()), 0) << err;
    EXPECT_EQ(ReadAll((home.Path() / "www" / "site" / "empty.htm").string()), "now full");
    EXPECT_EQ(ReadAll((home.Path() / "www" / "elsewhere" / "c.htm").string()), "ccc");
    EXPECT_EQ(err, "");
    EXPECT_EQ(Journal(), "");
}

TEST_F(CliUploadTest, AWrongPasswordIsReportedWithTheServersAnswer)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    std::ofstream(work.File("Kestrova.prefs")) << "ServerName1 = site\r\nServerAdress1 = " << server.Address()
                                               << "\r\nServerLogin1 = tester\r\nServerPassword1 = Not-The-One\r\n";
    const std::string a = site.Write("a.htm", "aaa");
    std::ofstream(work.File("Kestrova_log.txt")) << a << "|10\n";
    EXPECT_EQ(Upload("--server site --lang fr"), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("not sent: " + a +
                       ": Impossible d'ouvrir 127.0.0.1 : le serveur refuse l'identifiant ou le mot "
                       "de passe (530)."),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("530"), std::string::npos) << err;
    EXPECT_EQ(err.find("Not-The-One"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(home.Path()));
    EXPECT_EQ(Journal(), a + "|10\r\n");
}

}  // namespace
}  // namespace kestrova
