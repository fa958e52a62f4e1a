// kestrova-cli's verb table: the help of every verb, wrong calls, the common
// options, the JSON documents of the reports, and the manual page and bash
// completion generated from the table.
#include "cli/verb_table.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "base/app_state.h"
#include "cli/cli.h"
#include "net/update.h"
#include "net/update_signature.h"
#include "net/version_list.h"
#include "tests/support/http_test_server.h"
#include "tests/support/loopback_servers.h"
#include "tests/support/temp_site.h"
#include "tests/support/update_signing.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::ReadAll;

const std::string Page = "<html>\r\n<head>\r\n<title>Voiliers &agrave; vendre</title>\r\n"
                         "<meta name=\"description\" content=\"Des voiliers\">\r\n"
                         "<meta name=\"keywords\" content=\"voilier, catamaran\">\r\n"
                         "</head>\r\n<body><p>Un voilier, deux voiliers et le port.</p>\r\n"
                         "<img src=\"img/a.gif\" alt=\"Un voilier\"><img src=\"b.png\">\r\n</body>\r\n</html>\r\n";

class VerbTableTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return cli::RunCli(args, out, err);
    }
    json Document() const { return json::parse(out.str()); }
    void TearDown() override { ResetAppState(); }

    test::TempDir dir;
    test::ScopedCurrentDir cwd{dir.Path()};
    std::ostringstream out;
    std::ostringstream err;
};

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++n;
    return n;
}

TEST_F(VerbTableTest, EveryVerbHasItsOwnHelpBothWays)
{
    ASSERT_GE(cli::Verbs().size(), 12u);
    for (const cli::Verb& verb : cli::Verbs()) {
        SCOPED_TRACE(verb.Name);
        EXPECT_EQ(Run({"help", verb.Name}), 0);
        const std::string help = out.str();
        EXPECT_EQ(help.rfind("usage: kestrova-cli " + verb.Name, 0), 0u) << help;
        EXPECT_NE(help.find(verb.Summary.substr(1)), std::string::npos);
        for (const cli::VerbOption& option : verb.Options)
            EXPECT_NE(help.find(option.Name), std::string::npos) << option.Name;
        // Only this verb's usage lines.
        EXPECT_EQ(Count(help, "kestrova-cli "), verb.Synopses.size()) << help;
        EXPECT_EQ(err.str(), "");

        EXPECT_EQ(Run({verb.Name, "--help"}), 0);
        EXPECT_EQ(out.str(), help);
        for (const std::string& alias : verb.Aliases) {
            EXPECT_EQ(Run({alias, "-h"}), 0);
            EXPECT_EQ(out.str(), help);
        }
    }
    // A --help that is the value of an option is a value.
    const std::string page = dir.Write("p.htm", Page);
    EXPECT_EQ(Run({"title", page, "--set", "--help"}), 0) << err.str();
    EXPECT_NE(ReadAll(page).find("<title>--help</title>"), std::string::npos);
}

TEST_F(VerbTableTest, AWrongCallPrintsTheOneVerbsUsageAndExitsTwo)
{
    for (const cli::Verb& verb : cli::Verbs()) {
        SCOPED_TRACE(verb.Name);
        EXPECT_EQ(Run({verb.Name, "--no-such-option"}), 2);
        const std::string e = err.str();
        EXPECT_EQ(e.rfind("kestrova-cli: ", 0), 0u) << e;
        EXPECT_NE(e.find("--no-such-option"), std::string::npos) << e;
        EXPECT_NE(e.find(cli::VerbUsage(verb)), std::string::npos) << e;
        EXPECT_EQ(Count(e, "usage:"), 1u) << e;
        EXPECT_EQ(Count(e, "kestrova-cli "), verb.Synopses.size()) << e;
        EXPECT_EQ(out.str(), "");
    }
    // Without a verb, or with an unknown one: the short usage, not every
    // verb's long help.
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"frobnicate"}, {"--bogus", "site"}}) {
        EXPECT_EQ(Run(args), 2);
        EXPECT_NE(err.str().find("usage: kestrova-cli"), std::string::npos);
        EXPECT_NE(err.str().find("  sentences  "), std::string::npos);
        EXPECT_EQ(err.str().find("SPELLINGS<TAB>"), std::string::npos);
    }
    EXPECT_EQ(Run({"help", "frobnicate"}), 2);
    EXPECT_EQ(Run({"analyse", "p.htm", "--format", "xml"}), 2);
    EXPECT_NE(err.str().find("--format takes text or json"), std::string::npos);
    EXPECT_EQ(Run({"analyse", "p.htm", "--format", "json", "--format", "json"}), 2);
    // The edit verbs write no report.
    EXPECT_EQ(Run({"title", "p.htm", "--set", "x", "--format", "json"}), 2);
    EXPECT_EQ(Run({"meta", "p.htm", "description", "--set", "x", "--format", "json"}), 2);
    EXPECT_FALSE(fs::exists(dir.Path() / "Kestrova_log.txt"));
}

TEST_F(VerbTableTest, VersionAndTheWholeHelp)
{
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str(), std::string("kestrova-cli ") + CurrentVersion + "\n");
    EXPECT_EQ(Run({"--help"}), 0);
    const std::string whole = out.str();
    for (const cli::Verb& verb : cli::Verbs())
        EXPECT_NE(whole.find("kestrova-cli " + verb.Name + " " + verb.Synopses[0]), std::string::npos) << verb.Name;
    EXPECT_NE(whole.find("--work-folder DIR"), std::string::npos);
    EXPECT_EQ(Run({"help"}), 0);
    EXPECT_EQ(out.str(), whole);
}

TEST_F(VerbTableTest, WorkFolderHoldsTheJournalAndPathsStayRelativeToHere)
{
    const std::string page = dir.Write("site/p.htm", Page);
    fs::create_directory(dir.Path() / "work");
    // The page named from the current folder, the journal in the work folder.
    EXPECT_EQ(Run({"--work-folder", "work", "keyword", "site/p.htm", "--add", "port"}), 0) << err.str();
    EXPECT_NE(ReadAll(page).find("content=\"port, voilier, catamaran\""), std::string::npos);
    EXPECT_NE(ReadAll(dir.File("work/Kestrova_log.txt")).find(page + "|"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.Path() / "Kestrova_log.txt"));
    EXPECT_EQ(fs::current_path(), dir.Path());

    // After the verb too, and for folders given to options.
    EXPECT_EQ(Run({"rename-image", "site/p.htm", "b.png", "c.png", "--site", "site", "--work-folder", "work"}), 0)
        << err.str();
    EXPECT_NE(ReadAll(page).find("src=\"c.png\""), std::string::npos);
    EXPECT_EQ(fs::current_path(), dir.Path());

    EXPECT_EQ(Run({"--work-folder", "missing", "analyse", "site/p.htm"}), 2);
    EXPECT_NE(err.str().find("missing"), std::string::npos);
    EXPECT_EQ(Run({"--work-folder"}), 2);
}

TEST_F(VerbTableTest, PageReportsAsJsonDocuments)
{
    const std::string page = dir.Write("p.htm", Page);

    ASSERT_EQ(Run({"analyse", page, "--format", "json"}), 0) << err.str();
    json analysis = Document();
    EXPECT_EQ(analysis["page"], page);
    EXPECT_EQ(analysis["title"], "Voiliers \xC3\xA0 vendre");
    EXPECT_EQ(analysis["description"], "Des voiliers");
    ASSERT_EQ(analysis["keywords"].size(), 2u);
    // Sorted as the program sorts them.
    EXPECT_EQ(analysis["keywords"][0], json({{"keyword", "catamaran"}, {"used", false}}));
    EXPECT_EQ(analysis["keywords"][1], json({{"keyword", "voilier"}, {"used", true}}));
    bool found = false;
    for (const json& word : analysis["words"]) {
        if (word["spellings"] == "voiliers/voilier") {
            found = true;
            EXPECT_EQ(word["count"], 5);
            EXPECT_EQ(word["kind"], "other");
            EXPECT_NE(word["origins"].get<std::string>().find("Title (1)"), std::string::npos);
        }
        if (word["spellings"] == "des") {
            EXPECT_EQ(word["kind"], "usual");
        }
    }
    EXPECT_TRUE(found) << analysis.dump();
    // The same words as the text report, in the same order.
    ASSERT_EQ(Run({"analyse", page}), 0);
    EXPECT_EQ(Count(out.str(), "\nword\t"), analysis["words"].size());

    ASSERT_EQ(Run({"meta", page, "description", "--format", "json"}), 0);
    EXPECT_EQ(Document(), json({{"page", page}, {"name", "description"}, {"content", "Des voiliers"}}));

    ASSERT_EQ(Run({"images", "--format", "json", page}), 0);
    EXPECT_EQ(Document()["images"], json::parse(R"([{"number":1,"reference":"img/a.gif","alt":"Un voilier"},
                              {"number":2,"reference":"b.png","alt":""}])"));

    ASSERT_EQ(Run({"sentences", page, "voilier", "--format", "json"}), 0);
    json places = Document();
    EXPECT_EQ(places["word"], "voilier");
    ASSERT_FALSE(places["places"].empty());
    EXPECT_EQ(places["places"], json::parse(R"([{"kind":"text","extract":"un VOILIER, deux voiliers et le port."},
                                                {"kind":"image","extract":"Un voilier"},
                                                {"kind":"meta","extract":"VOILIER, catamaran"}])"));

    // A failed report prints no document; --format text is the text report.
    EXPECT_EQ(Run({"analyse", dir.File("missing.htm"), "--format", "json"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("no such file"), std::string::npos);
    EXPECT_EQ(Run({"meta", page, "robots", "--format", "json"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Run({"meta", page, "description", "--format", "text"}), 0);
    EXPECT_EQ(out.str(), "Des voiliers\n");
}

TEST_F(VerbTableTest, SiteReportAsJson)
{
    dir.Write("site/a.htm", Page);
    dir.Write("site/sub/b.htm", "<html><head><title>Port</title></head><body>voilier port</body></html>");
    ASSERT_EQ(Run({"site", dir.File("site"), "--format", "json"}), 0) << err.str();
    const json site = Document();
    EXPECT_EQ(site["folder"], dir.File("site"));
    ASSERT_FALSE(site["words"].empty());
    std::size_t total = 0;
    for (const json& word : site["words"]) {
        ASSERT_TRUE(word["count"].is_number_integer()) << word;
        total += word["count"].get<int>();
        if (word["spellings"] == "port") {
            EXPECT_EQ(word["count"], 3);
            EXPECT_NE(word["pages"].get<std::string>().find("b.htm"), std::string::npos);
        }
    }
    EXPECT_GT(total, site["words"].size());
    ASSERT_EQ(Run({"site", dir.File("site")}), 0);
    EXPECT_EQ(Count(out.str(), "\n"), site["words"].size());
}

TEST_F(VerbTableTest, UploadReportAsJson)
{
    test::TempDir home;
    test::FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    fs::create_directory(dir.Path() / "work");
    std::ofstream(dir.File("work/Kestrova.prefs"))
        << "ServerName1 = site\r\nServerAdress1 = " << server.Address()
        << "/www\r\nServerLogin1 = " << test::FtpTestServer::User
        << "\r\nServerPassword1 = " << test::FtpTestServer::Password << "\r\n";
    const std::string a = dir.Write("site/a.htm", "aaa");
    const std::string outside = dir.Write("elsewhere/c.htm", "ccc");
    std::ofstream(dir.File("work/Kestrova_log.txt")) << a << "|10\n" << outside << "|10\n";

    EXPECT_EQ(
        Run({"upload", "--server", "site", "--root", dir.File("site"), "--format", "json", "--work-folder", "work"}),
        1);
    const json upload = Document();
    EXPECT_EQ(upload["complete"], false);
    ASSERT_EQ(upload["sent"].size(), 1u) << upload.dump();
    EXPECT_EQ(upload["sent"][0]["file"], a);
    EXPECT_NE(upload["sent"][0]["destination"].get<std::string>().find("/www/"), std::string::npos) << upload.dump();
    ASSERT_EQ(upload["unsent"].size(), 1u);
    EXPECT_EQ(upload["unsent"][0]["file"], outside);
    EXPECT_NE(upload["unsent"][0]["reason"].get<std::string>().find("outside the upload root"), std::string::npos);
    EXPECT_EQ(ReadAll((home.Path() / "www" / "a.htm").string()), "aaa");
    // The messages are on the error stream all the same.
    EXPECT_NE(err.str().find("not sent: " + outside), std::string::npos);

    EXPECT_EQ(Run({"upload", "--server", "nosuch", "--format", "json", "--work-folder", "work"}), 2);
    EXPECT_EQ(out.str(), "");
}

TEST_F(VerbTableTest, UpdateCheckReportAsJson)
{
    test::HttpTestServer server;
    // The lists are signed with a key of the test's own.
    test::SigningKey key;
    ReplaceBuiltInUpdateKeyForTests(key.PublicHex());
    auto serve = [&](const std::string& list) {
        server.Route("/downloads/versions.txt", test::HttpTestResponse::Page(list));
        server.Route("/downloads/versions.txt.sig", test::HttpTestResponse::Page(key.Sign(list)));
    };
    dir.Write("Kestrova.prefs", "Language = English\r\nUpdateServer = " + server.Url("") + "/\r\n");
    serve("Kestrova|1.37b|http://x/a.zip|a|End\r\n");
    ASSERT_EQ(Run({"update-check", "--format", "json"}), 0) << err.str();
    json check = Document();
    EXPECT_EQ(check["installed"], CurrentVersion);
    EXPECT_EQ(check["status"], "up-to-date");
    EXPECT_TRUE(check["version"].is_null());

    serve("Kestrova|1.38|" + server.Url("") + "/downloads/k.zip#sha256=" + std::string(64, '0') + "|kestrova|End\r\n");
    ASSERT_EQ(Run({"update-check", "--format", "json"}), 0) << err.str();
    check = Document();
    EXPECT_EQ(check["status"], "available");
    EXPECT_EQ(check["version"], "1.38");
    EXPECT_EQ(check["install"], false);
    ASSERT_FALSE(check["messages"].empty());

    server.Route("/downloads/k.zip", test::HttpTestResponse::Page("not the archive"));
    EXPECT_EQ(Run({"update-check", "--install", "--format", "json"}), 1);
    check = Document();
    EXPECT_EQ(check["status"], "failed");
    EXPECT_NE(check["reason"].get<std::string>().find("checksum"), std::string::npos) << check.dump();
    ReplaceBuiltInUpdateKeyForTests("");
}

// Runs a bash script; its standard output.
std::string Bash(const std::string& script, const test::TempDir& dir)
{
    const std::string file = dir.Write("script.sh", script);
    const std::string outFile = dir.File("bash.out");
    const int status = std::system(("bash --norc --noprofile '" + file + "' >'" + outFile + "' 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadAll(outFile);
    return ReadAll(outFile);
}

TEST_F(VerbTableTest, CompletionOffersVerbsOptionsAndValues)
{
    dir.Write("completion.bash", cli::BashCompletion());
    dir.Write("pages/a.htm", "x");
    auto complete = [&](const std::string& line) {
        return Bash("cd '" + dir.Path().string() + "'\nsource ./completion.bash\nCOMP_LINE='" + line +
                        "'\nread -ra COMP_WORDS <<< \"$COMP_LINE\"\n" +
                        (line.back() == ' ' ? "COMP_WORDS+=('')\n" : "") +
                        "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_kestrova_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\" "
                        "| sort\n",
                    dir);
    };
    EXPECT_EQ(complete("kestrova-cli an"), "analyse\nanalyze\n");
    EXPECT_EQ(complete("kestrova-cli --quiet up"), "update-check\nupload\n");
    EXPECT_EQ(complete("kestrova-cli site x --f"), "--format\n");
    EXPECT_EQ(complete("kestrova-cli meta p.htm description --format "), "json\ntext\n");
    EXPECT_EQ(complete("kestrova-cli analyse pages/"), "pages/a.htm\n");
    EXPECT_EQ(complete("kestrova-cli --work-folder pa"), "pages\n");
    EXPECT_EQ(complete("kestrova-cli rename-image a.htm b c --site pa"), "pages\n");
    EXPECT_EQ(complete("kestrova-cli analyse a.htm --lang "), "en\nfr\n");
    // Free text: nothing offered, not even file names.
    EXPECT_EQ(complete("kestrova-cli title a.htm --set pa"), "\n");
    EXPECT_EQ(complete("kestrova-cli help sen"), "sentences\n");
    EXPECT_EQ(complete("kestrova-cli keyword p.htm --"), "--add\n--create\n--dry-run\n--help\n--lang\n--remove\n");
}

TEST_F(VerbTableTest, ManualPageDocumentsEveryVerbAndDocument)
{
    const std::string manual = cli::ManualPage();
    EXPECT_EQ(manual.rfind(".TH KESTROVA\\-CLI 1", 0), 0u);
    for (const cli::Verb& verb : cli::Verbs()) {
        SCOPED_TRACE(verb.Name);
        std::string name;
        for (char c : verb.Name)
            name += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(".SS " + name + "\n"), std::string::npos);
        if (!verb.JsonShape.empty()) {
            EXPECT_NE(manual.find(".TP\n.B " + name + "\n.nf\n{"), std::string::npos);
        }
    }
    // No line of text starts as a request would.
    std::istringstream lines(manual);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] != '.')
            continue;
        const std::string request = line.substr(0, line.find(' '));
        EXPECT_TRUE(request == ".TH" || request == ".SH" || request == ".SS" || request == ".B" || request == ".TP" ||
                    request == ".PP" || request == ".nf" || request == ".fi" || request == ".br" || request == ".I")
            << line;
    }
}

}  // namespace
}  // namespace kestrova
