// kestrova-cli upload, run as a program against a loopback FTP server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

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
    // kestrova-cli with these arguments as they are (names with CR, LF or
    // "|" need no quoting), run in the work folder.
    int Cli(const std::vector<std::string>& args)
    {
        pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(work.Path().c_str()) != 0)
                ::_exit(126);
            int o = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            ::dup2(e, 2);
            std::vector<char*> argv{const_cast<char*>(KESTROVA_CLI_PATH)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KESTROVA_CLI_PATH, argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        out = ReadAll(outFile);
        err = ReadAll(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Prefs(const std::string& address)
    {
        std::ofstream(work.File("Kestrova.prefs"))
            << "Language = English\r\nServerName1 = site\r\nServerAdress1 = " << address
            << "\r\nServerLogin1 = " << FtpTestServer::User << "\r\nServerPassword1 = " << FtpTestServer::Password
            << "\r\n";
    }

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

    // With the site's folder as root, the page elsewhere has no place.
    EXPECT_EQ(Upload("--server site --root " + site.File("site")), 1);
    EXPECT_EQ(ReadAll((home.Path() / "www" / "sub" / "b.htm").string()), "bbb");
    EXPECT_EQ(ReadAll((home.Path() / "www" / "a.htm").string()), "aaa");
    EXPECT_EQ(Count(out, "sent "), 2u) << out;
    EXPECT_NE(out.find("sent " + a + " -> "), std::string::npos) << out;
    EXPECT_NE(err.find("not sent: " + empty + ": The file to upload has a size of zero!"), std::string::npos) << err;
    EXPECT_NE(err.find("not sent: " + outside + ": outside the upload root"), std::string::npos) << err;
    EXPECT_EQ(Count(err, "\n"), 2u) << err;
    EXPECT_EQ((out + err).find(FtpTestServer::Password), std::string::npos);
    EXPECT_EQ(Journal(), empty + "|10\r\n" + outside + "|10\r\n");

    // The default root is the deepest folder holding every page: here the
    // folder above both; with the empty page written, everything goes.
    std::ofstream(empty) << "now full";
    EXPECT_EQ(Upload("--server site"), 0) << err;
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

TEST_F(CliUploadTest, PagesOfSiblingFoldersAllGoBelowTheirCommonFolder)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    Prefs(server.Address() + "/www");
    std::ofstream journal(work.File("Kestrova_log.txt"));
    for (int i = 0; i < 50; ++i) {
        const std::string name = "d" + std::to_string(i % 10) + "/p" + std::to_string(i) + ".htm";
        journal << site.Write(name, name) << "|10\n";
    }
    journal.close();
    EXPECT_EQ(Cli({"upload", "--server", "site"}), 0) << err;
    EXPECT_EQ(Count(out, "sent "), 50u);
    EXPECT_EQ(err, "");
    for (int i = 0; i < 50; ++i) {
        const std::string name = "d" + std::to_string(i % 10) + "/p" + std::to_string(i) + ".htm";
        EXPECT_EQ(ReadAll((home.Path() / "www" / name).string()), name);
    }
    EXPECT_EQ(Journal(), "");
}

TEST_F(CliUploadTest, LinesThatNameAnotherFileOrClimbOutOfTheSiteAreReportedAndKept)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    Prefs(server.Address() + "/www");
    const std::string good = site.Write("site/good.htm", "good");
    site.Write("site/cr.htm", "another file");
    const std::string crName = site.Write("site/cr.htm\rx.htm", "the page");
    site.Write("secret.txt", "secret");
    const std::string climbing = site.File("site/../secret.txt");
    std::ofstream(work.File("Kestrova_log.txt")) << good << "|10\n" << crName << "|10\n" << climbing << "|10\n";

    EXPECT_EQ(Cli({"upload", "--server", "site"}), 1);
    // Only the good page went, into the server's folder.
    EXPECT_EQ(out, "sent " + good + " -> 127.0.0.1:" + std::to_string(server.Port()) + ":/www/good.htm\n");
    std::set<std::string> onServer;
    for (const auto& entry : fs::recursive_directory_iterator(home.Path()))
        onServer.insert(fs::relative(entry.path(), home.Path()).string());
    EXPECT_EQ(onServer, (std::set<std::string>{"www", "www/good.htm"}));
    // Each refused line is named (a CR shown as \r) and kept.
    EXPECT_NE(err.find("not sent: " + site.File("site/cr.htm\\rx.htm") + ": a CR, LF, TAB"), std::string::npos) << err;
    EXPECT_NE(err.find("not sent: " + climbing + ": outside the upload root"), std::string::npos) << err;
    EXPECT_EQ(Journal(), crName + "|10\r\n" + climbing + "|10\r\n");
}

TEST_F(CliUploadTest, EditsOfPagesTheJournalCannotNameAreRefusedBeforeAnythingChanges)
{
    Prefs("127.0.0.1:1");
    const std::string page = "<html><head><title>T</title></head><body>x</body></html>";
    for (const std::string name : {"cr\rx.htm", "lf\nx.htm", "tab\tx.htm", "bar|x.htm"}) {
        const std::string path = site.Write("f/" + name, page);
        EXPECT_EQ(Cli({"title", path, "--set", "New"}), 1) << name;
        EXPECT_NE(err.find("journal cannot record"), std::string::npos) << err;
        EXPECT_EQ(ReadAll(path), page);
    }
    EXPECT_FALSE(fs::exists(site.File("f/Sauvegarde")));
    EXPECT_FALSE(fs::exists(work.File("Kestrova_log.txt")));
    // The program's own online page in the current folder is not edited.
    std::ofstream(work.File("temp.htm")) << page;
    EXPECT_EQ(Cli({"title", "temp.htm", "--set", "New"}), 1);
    EXPECT_EQ(ReadAll(work.File("temp.htm")), page);
    EXPECT_FALSE(fs::exists(work.File("Sauvegarde")));
    EXPECT_FALSE(fs::exists(work.File("Kestrova_log.txt")));
}

TEST_F(CliUploadTest, PrintsTheRealFolderBelowALoginFolderThatIsNotTheServersTop)
{
    fs::create_directories(home.Path() / "home" / "ftpk");
    FtpTestServer server(home.Path(), false, "/home/ftpk");
    ASSERT_TRUE(server.Running()) << server.Problem();
    Prefs(server.Address() + "/home/ftpk/www/");
    const std::string index = site.Write("index.html", "index");
    const std::string sub = site.Write("sub/page.html", "sub");
    std::ofstream(work.File("Kestrova_log.txt")) << index << "|10\n" << sub << "|10\n";
    EXPECT_EQ(Cli({"upload", "--server", "site"}), 0) << err;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(out, "sent " + index + " -> " + host + ":/home/ftpk/home/ftpk/www/index.html\n" + "sent " + sub + " -> " +
                       host + ":/home/ftpk/home/ftpk/www/sub/page.html\n");
    EXPECT_EQ(out.find("//"), std::string::npos);
    EXPECT_EQ(ReadAll((home.Path() / "home/ftpk/home/ftpk/www/sub/page.html").string()), "sub");
}

}  // namespace
}  // namespace kestrova
