// kestrova-cli on pages on the web, against a server on 127.0.0.1.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/cli.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"

extern char** environ;

using kestrova::test::HttpTestResponse;
using kestrova::test::ReadAll;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string WebPage = "<html>\n<head>\n<title>Le port</title>\n"
                            "<meta name=\"keywords\" content=\"port, barque\">\n</head>\n"
                            "<body><p>Une barque au port.</p></body>\n</html>\n";

class CliOnlineTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return kestrova::cli::RunCli(args, out, err);
    }

    kestrova::test::TempDir dir;
    kestrova::test::ScopedCurrentDir cwd{dir.Path()};
    kestrova::test::HttpTestServer server;
    std::ostringstream out, err;
};

TEST_F(CliOnlineTest, AddressesAreFetchedAndAnalysed)
{
    server.Route("/port.htm", HttpTestResponse::Page(WebPage));
    const std::string address = server.Url("/port.htm");

    ASSERT_EQ(Run({"analyse", address}), 0) << err.str();
    EXPECT_EQ(out.str().rfind("title\tLe port\n", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("keyword\tbarque\tyes\n"), std::string::npos);
    // The page was kept in the current folder with CR LF line ends; the
    // not-editable message goes to the error stream.
    EXPECT_NE(ReadAll("temp.htm").find("<title>Le port</title>\r\n"), std::string::npos);
    EXPECT_NE(err.str().find("This file is not editable"), std::string::npos);

    const std::string exported = dir.File("export.txt");
    ASSERT_EQ(Run({"export", address, exported}), 0) << err.str();
    EXPECT_EQ(ReadAll(exported).rfind(" \r\nKestrova - Page \"" + address + "\"\r\r", 0), 0u);
    EXPECT_NE(ReadAll(exported).find("barque\tYes\t"), std::string::npos);
}

TEST_F(CliOnlineTest, APasswordInTheAddressIsNeverShownOrWritten)
{
    server.Route("/port.htm", HttpTestResponse::Page(WebPage));
    const std::string address = "http://visitor:Secr3t-pw@" + server.HostPort() + "/port.htm";
    const std::string exported = dir.File("export.txt");
    ASSERT_EQ(Run({"export", address, exported}), 0) << err.str();
    const std::string written = ReadAll(exported);
    EXPECT_EQ(written.rfind(" \r\nKestrova - Page \"http://visitor:***@" + server.HostPort() + "/port.htm\"\r\r", 0),
              0u)
        << written.substr(0, 120);
    EXPECT_EQ(written.find("Secr3t-pw"), std::string::npos);

    EXPECT_EQ(Run({"analyse", "http://visitor:Secr3t-pw@" + server.HostPort() + "/missing.htm"}), 1);
    EXPECT_NE(err.str().find("visitor:***@"), std::string::npos) << err.str();
    EXPECT_EQ((out.str() + err.str()).find("Secr3t-pw"), std::string::npos) << err.str();
}

TEST_F(CliOnlineTest, AnExportNeverReplacesThePageItDescribes)
{
    const std::string page = dir.Write("page.htm", WebPage);
    EXPECT_EQ(Run({"export", page, page}), 2);
    EXPECT_NE(err.str().find("is the page itself"), std::string::npos) << err.str();
    EXPECT_EQ(ReadAll(page), WebPage);
    // The same file under another name is the page too.
    fs::create_symlink(page, dir.File("alias.htm"));
    EXPECT_EQ(Run({"export", page, dir.File("alias.htm")}), 2);
    EXPECT_EQ(ReadAll(page), WebPage);
    EXPECT_EQ(Run({"export", page, dir.File("out.txt")}), 0) << err.str();
}

TEST_F(CliOnlineTest, FailuresWriteNothing)
{
    const std::string exported = dir.File("export.txt");
    EXPECT_EQ(Run({"export", server.Url("/missing.htm"), exported}), 1);
    EXPECT_FALSE(fs::exists(exported));
    EXPECT_FALSE(fs::exists(dir.Path() / "temp.htm"));
    // The fetch's error, once, then the unreadable address.
    const std::string error = "kestrova-cli: Unable to open " + server.HostPort() +
                              "/missing.htm : the server answered with the HTTP error 404. (Erreur N\xC2\xB0 / Error "
                              "N# 22)\n";
    EXPECT_EQ(err.str(), error + "kestrova-cli: Caution!: Impossible to read the given URL!\n");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(CliOnlineTest, InterruptAbortsTheFetch)
{
    HttpTestResponse stalled = HttpTestResponse::Page("<html>");
    stalled.AnnouncedLength = 100;
    stalled.Stall = true;
    server.Route("/stall.htm", stalled);

    const std::string exported = dir.File("export.txt");
    const std::string errFile = dir.File("err.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = {KESTROVA_CLI_PATH, "export", server.Url("/stall.htm"), exported};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, KESTROVA_CLI_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    const bool asked = server.WaitForRequests(1);
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(asked);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of aborting the fetch";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadAll(errFile).find("kestrova-cli: interrupted\n"), std::string::npos) << ReadAll(errFile);
    EXPECT_FALSE(fs::exists(exported));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.WaitForStallsEndedByClient(1));
}

}  // namespace
