#include "cli/cli.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "page/page_history.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

using kestrova::test::ReadAll;

namespace {

namespace fs = std::filesystem;

const std::string EditPage = "<html>\r\n<head>\r\n<title>Voiliers &agrave; vendre</title>\r\n"
                             "<meta name=\"description\" content=\"old text\">\r\n"
                             "<meta name=\"keywords\" content=\"voilier, bateau\">\r\n"
                             "</head>\r\n<body><p>Un voilier.</p></body>\r\n</html>\r\n";

const std::string BarePage = "<html>\r\n<head>\r\n<title>T</title>\r\n</head>\r\n<body>x</body>\r\n</html>\r\n";

std::size_t Lines(const std::string& text)
{
    std::size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

class CliTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return kestrova::cli::RunCli(args, out, err);
    }

    std::string Journal() const { return ReadAll((dir.Path() / "Kestrova_log.txt").string()); }
    bool NoTrace(const std::string& page) const
    {
        return !fs::exists(fs::path(page).parent_path() / "Sauvegarde") &&
               !fs::exists(dir.Path() / "Kestrova_log.txt") && !fs::exists(page + "2");
    }
    // The page changed once: its backup holds `before` and the journal one line.
    void ExpectOneChange(const std::string& page, const std::string& before) const
    {
        EXPECT_EQ(ReadAll((fs::path(page).parent_path() / "Sauvegarde" / fs::path(page).filename()).string()), before);
        EXPECT_EQ(kestrova::test::FolderEntries(fs::path(page).parent_path() / "Sauvegarde"),
                  (std::vector<std::string>{".kestrova-historique", fs::path(page).filename().string()}));
        // and the newest version of its history holds it too.
        const std::vector<kestrova::HistoryVersion> history = kestrova::PageHistory(page);
        ASSERT_FALSE(history.empty());
        std::string newest;
        EXPECT_TRUE(kestrova::ReadHistoryVersion(history.front(), newest));
        EXPECT_EQ(newest, before);
        // A new journal begins with an empty line, which the next change drops.
        std::string journal = Journal();
        if (journal.rfind('\n', 0) == 0)
            journal.erase(0, 1);
        EXPECT_EQ(journal, page + "|1700000000\n");
        EXPECT_FALSE(fs::exists(page + "2"));
    }

    kestrova::test::TempDir dir;
    kestrova::test::ScopedCurrentDir cwd{dir.Path()};
    kestrova::test::FixedClock clock;
    std::ostringstream out, err;
};

// ---- reports ----

TEST_F(CliTest, ExportMatchesTheGoldenFilesInBothLanguages)
{
    for (const char* name : {"voiliers", "accents", "empty"}) {
        const std::string folder = std::string(KESTROVA_TEST_DATA) + "/export/" + name + "/";
        const std::string original = ReadAll(folder + "page.htm");
        const std::string page = dir.Write(std::string(name) + "/page.htm", original);
        for (const char* lang : {"en", "fr"}) {
            SCOPED_TRACE(std::string(name) + " " + lang);
            const std::string outFile = dir.File(std::string(name) + "-" + lang + ".txt");
            ASSERT_EQ(Run({"export", page, outFile, "--lang", lang}), 0) << err.str();
            EXPECT_EQ(ReadAll(outFile), ReadAll(folder + "expected-" + lang + ".txt"));
            EXPECT_EQ(out.str(), "");
            EXPECT_EQ(ReadAll(page), original);
        }
        EXPECT_TRUE(NoTrace(page));
    }
}

TEST_F(CliTest, ExportNamesAnAccentedFileInWindows1252)
{
    const std::string folder = std::string(KESTROVA_TEST_DATA) + "/export/voiliers/";
    const std::string page = dir.Write("r\xC3\xA9gates.htm", ReadAll(folder + "page.htm"));  // UTF-8 name
    ASSERT_EQ(Run({"export", page, dir.File("out.txt")}), 0) << err.str();
    EXPECT_NE(ReadAll(dir.File("out.txt")).find("\"r\xE9gates.htm\""), std::string::npos);
}

TEST_F(CliTest, ExportDefaultsToEnglishAndReportsTheDeclinedKeywordFix)
{
    const std::string folder = std::string(KESTROVA_TEST_DATA) + "/export/accents/";
    const std::string page = dir.Write("accents.htm", ReadAll(folder + "page.htm"));
    ASSERT_EQ(Run({"export", page, dir.File("e.txt")}), 0);
    // The file name differs from the golden case only in the caption.
    std::string expected = ReadAll(folder + "expected-en.txt");
    expected.replace(expected.find("page.htm"), 8, "accents.htm");
    EXPECT_EQ(ReadAll(dir.File("e.txt")), expected);
    EXPECT_EQ(err.str(),
              "kestrova-cli: Caution!: Some keywords have accents wich are incorrectly HTML coded. Do you want to "
              "correct that ? [no]\n");
    EXPECT_TRUE(NoTrace(page));
}

TEST_F(CliTest, AnalysePrintsTheAnalysisAsTabSeparatedUtf8)
{
    const std::string page =
        dir.Write("page.htm", ReadAll(std::string(KESTROVA_TEST_DATA) + "/export/voiliers/page.htm"));
    ASSERT_EQ(Run({"analyse", page}), 0) << err.str();
    EXPECT_EQ(out.str(), "title\tVoiliers \xC3\xA0 vendre\n"
                         "description\tNos voiliers d'occasion\n"
                         "keyword\tbateau\tyes\n"
                         "keyword\tr\xC3\xA9gate\tno\n"
                         "keyword\tvoilier\tyes\n"
                         "word\tle\t1\tusual\tImage comment (1)\n"
                         "word\tbateau\t1\tother\tText (1)\n"
                         "word\tcourse\t1\tother\tText (1)\n"
                         "word\tgrand\t1\tother\tImage name (1)\n"
                         "word\tnos\t1\tother\tdescription tag (1)\n"
                         "word\toccasion\t1\tother\tdescription tag (1)\n"
                         "word\tvendre\t1\tother\tTitle (1)\n"
                         "word\tvoiles\t1\tother\tText (1)\n"
                         "word\tvoiliers/voilier\t5\tother\t"
                         "Title (1) / description tag (1) / Text (1) / Image comment (1) / Image name (1)\n");
    EXPECT_EQ(err.str(), "");

    ASSERT_EQ(Run({"analyse", page, "--lang", "fr"}), 0);
    EXPECT_NE(out.str().find("keyword\tbateau\tyes\n"), std::string::npos);
    EXPECT_NE(out.str().find("word\tvoiliers/voilier\t5\tother\tTitre (1) / Balise \"description\" (1) / Texte (1) / "
                             "Commentaire d'image (1) / Nom d'image (1)\n"),
              std::string::npos);
    EXPECT_TRUE(NoTrace(page));
}

TEST_F(CliTest, MetaReadsAContent)
{
    const std::string page = dir.Write("p.htm", EditPage);
    ASSERT_EQ(Run({"meta", page, "description"}), 0);
    EXPECT_EQ(out.str(), "old text\n");
    ASSERT_EQ(Run({"meta", page, "keywords"}), 0);
    EXPECT_EQ(out.str(), "voilier, bateau\n");

    EXPECT_EQ(Run({"meta", page, "robots"}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Lines(err.str()), 1u);
    EXPECT_NE(err.str().find("robots"), std::string::npos);

    const std::string empty =
        dir.Write("e.htm", "<html><head><meta name=\"description\" content=\"Caf&eacute; \"></head></html>");
    ASSERT_EQ(Run({"meta", empty, "description"}), 0);
    EXPECT_EQ(out.str(), "Caf\xC3\xA9\n");
    const std::string blank = dir.Write("b.htm", "<html><head><meta name=\"description\" content=\"\"></head></html>");
    ASSERT_EQ(Run({"meta", blank, "description"}), 0);
    EXPECT_EQ(out.str(), "\n");
    EXPECT_TRUE(NoTrace(page));
}

// ---- edits ----

TEST_F(CliTest, MetaSetReplacesOnlyTheContent)
{
    const std::string page = dir.Write("site/p.htm", EditPage);
    // "Été à la mer" in UTF-8.
    ASSERT_EQ(Run({"meta", page, "description", "--set", "\xC3\x89t\xC3\xA9 \xC3\xA0 la mer"}), 0) << err.str();
    std::string expected = EditPage;
    expected.replace(expected.find("old text"), 8, "&Eacute;t&eacute; &agrave; la mer");
    EXPECT_EQ(ReadAll(page), expected);
    ExpectOneChange(page, EditPage);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "");
}

TEST_F(CliTest, KeywordAddAndRemove)
{
    const std::string page = dir.Write("site/p.htm", EditPage);
    ASSERT_EQ(Run({"keyword", page, "--add", "voile"}), 0) << err.str();
    std::string added = EditPage;
    added.replace(added.find("voilier, bateau"), 15, "voile, voilier, bateau");
    EXPECT_EQ(ReadAll(page), added);
    ExpectOneChange(page, EditPage);

    ASSERT_EQ(Run({"keyword", page, "--remove", "bateau"}), 0) << err.str();
    std::string removed = EditPage;
    removed.replace(removed.find("voilier, bateau"), 15, "voile, voilier");
    EXPECT_EQ(ReadAll(page), removed);
    ExpectOneChange(page, added);  // still one journal line, backup of the step before
}

TEST_F(CliTest, TitleSet)
{
    const std::string page = dir.Write("site/p.htm", EditPage);
    ASSERT_EQ(Run({"title", page, "--set", "Bateaux d'\xC3\xA9t\xC3\xA9"}), 0) << err.str();
    std::string expected = EditPage;
    expected.replace(expected.find("Voiliers &agrave; vendre"), 24, "Bateaux d&rsquo;&eacute;t&eacute;");
    EXPECT_EQ(ReadAll(page), expected);
    ExpectOneChange(page, EditPage);
    EXPECT_EQ(err.str(), "");
}

TEST_F(CliTest, JournalRecordsTheFullPathOfARelativePage)
{
    const std::string page = dir.Write("site/p.htm", EditPage);
    // The current folder is the temporary folder: "site/p.htm" is relative.
    ASSERT_EQ(Run({"title", "site/p.htm", "--set", "Autre titre"}), 0) << err.str();
    ExpectOneChange(page, EditPage);
    ASSERT_EQ(Run({"title", "./site/../site/p.htm", "--set", "Encore un titre"}), 0) << err.str();
    EXPECT_EQ(Journal(), page + "|1700000000\n");
}

TEST_F(CliTest, NoOpEditsLeaveNoTrace)
{
    const std::string page = dir.Write("site/p.htm", EditPage);
    EXPECT_EQ(Run({"meta", page, "description", "--set", "old text"}), 0) << err.str();
    EXPECT_EQ(Run({"title", page, "--set", "Voiliers \xC3\xA0 vendre"}), 0) << err.str();
    EXPECT_EQ(Run({"keyword", page, "--remove", "absent"}), 1);
    EXPECT_EQ(Lines(err.str()), 1u);
    EXPECT_NE(err.str().find("absent"), std::string::npos);
    EXPECT_EQ(ReadAll(page), EditPage);
    EXPECT_TRUE(NoTrace(page));

    // A page without a title element: nothing to replace, said so.
    const std::string bare = dir.Write("site/b.htm", "<html><body>x</body></html>");
    EXPECT_EQ(Run({"title", bare, "--set", "New"}), 1);
    EXPECT_EQ(Lines(err.str()), 1u);
    EXPECT_EQ(ReadAll(bare), "<html><body>x</body></html>");
    EXPECT_TRUE(NoTrace(bare));
}

TEST_F(CliTest, MissingMetaTagNeedsCreate)
{
    const std::string page = dir.Write("site/p.htm", BarePage);
    EXPECT_EQ(Run({"meta", page, "robots", "--set", "index"}), 1);
    EXPECT_EQ(ReadAll(page), BarePage);
    EXPECT_TRUE(NoTrace(page));
    // The engine's question, answered no, then the reason.
    EXPECT_EQ(Lines(err.str()), 2u);
    EXPECT_NE(err.str().find("[no]"), std::string::npos);
    EXPECT_NE(err.str().find("--create"), std::string::npos);

    ASSERT_EQ(Run({"meta", page, "robots", "--set", "index", "--create"}), 0) << err.str();
    const std::string created =
        "<html>\r\n<head>\r\n<meta name=\"robots\" content=\"\">\r\n<title>T</title>\r\n</head>\r\n<body>x</body>\r\n"
        "</html>\r\n";
    std::string expected = created;
    expected.replace(expected.find("content=\"\""), 10, "content=\"index\"");
    EXPECT_EQ(ReadAll(page), expected);
    // The new tag and its content are one change: one journal line, and the
    // backup holds the page as it was before the command.
    ExpectOneChange(page, BarePage);
    EXPECT_NE(err.str().find("[yes]"), std::string::npos);
}

TEST_F(CliTest, KeywordAddCreatesTheTagOnlyWhenAsked)
{
    const std::string page = dir.Write("p.htm", BarePage);
    EXPECT_EQ(Run({"keyword", page, "--add", "voile"}), 1);
    EXPECT_EQ(ReadAll(page), BarePage);
    EXPECT_TRUE(NoTrace(page));
    ASSERT_EQ(Run({"keyword", page, "--add", "voile", "--create"}), 0) << err.str();
    EXPECT_EQ(ReadAll(page),
              "<html>\r\n<head>\r\n<meta name=\"keywords\" content=\"voile\">\r\n<title>T</title>\r\n</head>\r\n"
              "<body>x</body>\r\n</html>\r\n");
}

TEST_F(CliTest, CreateWithoutHeadChangesNothing)
{
    const std::string page = dir.Write("p.htm", "<html><HEAD lang=\"fr\"><title>T</title></HEAD></html>");
    EXPECT_EQ(Run({"keyword", page, "--add", "voile", "--create"}), 1);
    EXPECT_EQ(ReadAll(page), "<html><HEAD lang=\"fr\"><title>T</title></HEAD></html>");
    EXPECT_TRUE(NoTrace(page));
    EXPECT_NE(err.str().find("<head>"), std::string::npos);
}

TEST_F(CliTest, TextOutsideWindows1252IsRefused)
{
    const std::string page = dir.Write("p.htm", EditPage);
    // A snowman (U+2603) has no Windows-1252 byte; the euro sign has one.
    EXPECT_EQ(Run({"title", page, "--set", "Voilier \xE2\x98\x83"}), 1);
    EXPECT_EQ(Lines(err.str()), 1u);
    EXPECT_NE(err.str().find("Windows-1252"), std::string::npos);
    EXPECT_EQ(Run({"keyword", page, "--add", "\xE6\x97\xA5"}), 1);
    EXPECT_EQ(Run({"meta", page, "description", "--set", "bad \xFF utf8"}), 1);
    EXPECT_EQ(ReadAll(page), EditPage);
    EXPECT_TRUE(NoTrace(page));

    ASSERT_EQ(Run({"meta", page, "description", "--set", "10 \xE2\x82\xAC"}), 0) << err.str();
    EXPECT_NE(ReadAll(page).find("content=\"10 &euro;\""), std::string::npos);
}

// ---- failures ----

TEST_F(CliTest, MissingOrNonHtmlPageIsOneLineAndStatusOne)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"analyse", dir.File("missing.htm")},
                                                 {"export", dir.File("missing.htm"), dir.File("o.txt")},
                                                 {"meta", dir.File("missing.htm"), "description"},
                                                 {"title", dir.File("missing.htm"), "--set", "x"},
                                                 {"analyse", dir.Path().string()}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(Run(args), 1);
        EXPECT_EQ(Lines(err.str()), 1u) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists(dir.File("o.txt")));

    const std::string text = dir.Write("notes.htm", "plain text\r\nno markup at all\r\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"analyse", text},
                                                 {"export", text, dir.File("o.txt")},
                                                 {"meta", text, "description"},
                                                 {"keyword", text, "--add", "x"},
                                                 {"title", text, "--set", "x"}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(Run(args), 1);
        EXPECT_EQ(Lines(err.str()), 1u) << err.str();
        EXPECT_NE(err.str().find("not an HTML document"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir.File("o.txt")));
    EXPECT_EQ(ReadAll(text), "plain text\r\nno markup at all\r\n");
    EXPECT_TRUE(NoTrace(text));
}

TEST_F(CliTest, EmptyPageIsNotEdited)
{
    const std::string page = dir.Write("empty.htm", "");
    EXPECT_EQ(Run({"keyword", page, "--add", "x", "--create"}), 1);
    EXPECT_EQ(Lines(err.str()), 1u);
    EXPECT_EQ(ReadAll(page), "");
    EXPECT_TRUE(NoTrace(page));
}

TEST_F(CliTest, BadArgumentsGiveUsageAndStatusTwo)
{
    const std::string page = dir.Write("p.htm", EditPage);
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"frobnicate"},
                                                 {"export", page},
                                                 {"export", page, "o", "extra"},
                                                 {"analyse"},
                                                 {"analyse", page, "--lang", "de"},
                                                 {"analyse", page, "--lang"},
                                                 {"analyse", page, "--bogus"},
                                                 {"analyse", page, "--set", "x"},
                                                 {"meta", page},
                                                 {"meta", page, "description", "--create"},
                                                 {"meta", page, "", "--set", "x"},
                                                 {"keyword", page},
                                                 {"keyword", page, "--add", "a", "--remove", "b"},
                                                 {"keyword", page, "--remove", "a", "--create"},
                                                 {"keyword", page, "--add", ""},
                                                 {"keyword", page, "--add", "a", "--add", "b"},
                                                 {"title", page},
                                                 {"title", page, "--set", "x", "--create"}}) {
        SCOPED_TRACE(args.empty() ? std::string("(none)") : args[0]);
        EXPECT_EQ(Run(args), 2);
        EXPECT_NE(err.str().find("usage:"), std::string::npos);
    }
    EXPECT_EQ(ReadAll(page), EditPage);
    EXPECT_TRUE(NoTrace(page));

    EXPECT_EQ(Run({"help"}), 0);
    EXPECT_NE(out.str().find("keyword<TAB>KEYWORD<TAB>yes|no"), std::string::npos);
}

// ---- the built program ----

int RunProgram(const std::string& args, const std::string& outFile, const std::string& errFile)
{
    const std::string command =
        std::string("'") + KESTROVA_CLI_PATH + "' " + args + " >'" + outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CliTest, ProgramExitStatuses)
{
    const std::string page = dir.Write("p.htm", EditPage);
    const std::string o = dir.File("out.txt"), e = dir.File("err.txt");
    EXPECT_EQ(RunProgram("analyse '" + page + "'", o, e), 0);
    EXPECT_NE(ReadAll(o).find("keyword\tvoilier\tyes\n"), std::string::npos);
    EXPECT_EQ(ReadAll(e), "");

    EXPECT_EQ(RunProgram("analyse '" + dir.File("missing.htm") + "'", o, e), 1);
    EXPECT_EQ(Lines(ReadAll(e)), 1u);
    EXPECT_EQ(RunProgram("", o, e), 2);
    EXPECT_NE(ReadAll(e).find("usage:"), std::string::npos);
    EXPECT_EQ(RunProgram("keyword '" + page + "' --add", o, e), 2);

    // An edit through the program journals in its current folder.
    EXPECT_EQ(RunProgram("keyword '" + page + "' --add voile", o, e), 0);
    EXPECT_NE(ReadAll(page).find("content=\"voile, voilier, bateau\""), std::string::npos);
    EXPECT_EQ(Journal().rfind("\n" + page + "|", 0), 0u);
    EXPECT_EQ(Lines(Journal()), 2u);
}

}  // namespace
