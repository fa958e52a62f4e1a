// Words of UTF-8 pages: counted, lower-cased and shown as the words of a
// Windows-1252 page are, in every script.
#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "base/codec.h"
#include "base/unicode_text.h"
#include "cli/cli.h"
#include "tests/support/temp_site.h"

namespace fs = std::filesystem;
using namespace kestrova;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;

namespace {

struct CliRun {
    int Status = -1;
    std::string Out, Err;
};

CliRun RunTool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    CliRun run;
    run.Status = cli::RunCli(args, out, err);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

std::vector<std::string> WordLines(const std::string& report)
{
    std::vector<std::string> lines;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("word\t", 0) == 0)
            lines.push_back(line);
    return lines;
}

// UTF-8 to Windows-1252 with the C library's converter; false when a
// character has no Windows-1252 form.
bool ToWindows1252(const std::string& utf8, std::string& out)
{
    iconv_t cd = iconv_open("WINDOWS-1252", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.assign(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0)
        return false;
    out.resize(out.size() - outLeft);
    return true;
}

// The page without its charset declarations, so that only its bytes tell
// its encoding.
std::string WithoutCharset(std::string page)
{
    for (const std::string declared : {"; charset=utf-8", "; charset=UTF-8", " charset=\"utf-8\""}) {
        for (std::size_t at = page.find(declared); at != std::string::npos; at = page.find(declared))
            page.erase(at, declared.size());
    }
    return page;
}

// "analyse" gives the same lines for both pages of the twin, each in a folder
// of its own under the same name.
void ExpectSameAnalysis(const TempDir& dir, const std::string& name, const std::string& utf8Page,
                        const std::string& cp1252Page)
{
    const std::string a = dir.Write("utf8/" + name, utf8Page);
    const std::string b = dir.Write("cp1252/" + name, cp1252Page);
    for (const char* lang : {"fr", "en"}) {
        const CliRun fromUtf8 = RunTool({"analyse", a, "--lang", lang});
        const CliRun fromCp1252 = RunTool({"analyse", b, "--lang", lang});
        ASSERT_EQ(fromUtf8.Status, 0) << name << fromUtf8.Err;
        ASSERT_EQ(fromCp1252.Status, 0) << name << fromCp1252.Err;
        EXPECT_EQ(fromUtf8.Out, fromCp1252.Out) << name;
        EXPECT_EQ(fromUtf8.Err, fromCp1252.Err) << name;
        EXPECT_FALSE(WordLines(fromUtf8.Out).empty()) << name;
    }
}

TEST(UnicodeWordsTest, FrenchTwinsGiveTheSameAnalysis)
{
    const std::string utf8 = ReadAll(KESTROVA_TEST_DATA "/utf8/french-utf8.htm");
    const std::string cp1252 = ReadAll(KESTROVA_TEST_DATA "/utf8/french-cp1252.htm");
    ASSERT_FALSE(utf8.empty());
    ASSERT_NE(utf8, cp1252);
    std::string converted;
    ASSERT_TRUE(ToWindows1252(utf8, converted));
    ASSERT_EQ(converted, cp1252) << "the committed twins differ";
    TempDir dir;
    ExpectSameAnalysis(dir, "gite.htm", utf8, cp1252);
    // The accented words are there, as words of the Windows-1252 page are.
    const CliRun run = RunTool({"analyse", dir.File("utf8/gite.htm")});
    EXPECT_NE(run.Out.find("word\tg\xC3\xAEte\t"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("word\t\xC3\xA9glantiers\t"), std::string::npos) << run.Out;
}

// The French pages of a documentation package, made twins by iconv, their
// charset declarations taken out.
TEST(UnicodeWordsTest, FrenchDocumentationTwinsGiveTheSameAnalysis)
{
    const fs::path folder = "/usr/share/doc/aptitude/html/fr";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << folder << " is missing: install the Debian package aptitude-doc-fr (scripts/deps.sh)";
    TempDir dir;
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".html")
            continue;
        const std::string utf8 = WithoutCharset(ReadAll(entry.path().string()));
        std::string cp1252;
        if (!ToWindows1252(utf8, cp1252))
            continue;  // a character Windows-1252 cannot write: no twin
        ASSERT_TRUE(IsValidUtf8(utf8));
        if (utf8 == cp1252)
            continue;  // ASCII only: nothing to compare
        ExpectSameAnalysis(dir, entry.path().filename().string(), utf8, cp1252);
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST(UnicodeWordsTest, WordsOfEveryScriptAreListedOnceInLowerCase)
{
    TempDir dir;
    // Σ at the end of a word lower-cases to the final ς, so ΟΔΟΣ and οδος
    // are the same word; Ά keeps its accent (only the Windows-1252 letters
    // lose theirs in the key).
    const std::string page =
        "<html><head><title>\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 "                        // Ωμέγα
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</title></head><body>"               // Привет
        "<p>\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3 \xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82 "               // ΟΔΟΣ οδος
        "\xD0\xA1\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE \xD0\xA1\xD0\x9B\xD0\x9E\xD0\x92\xD0\x9E "  // Слово СЛОВО
        "\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE&amp;\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82#"  // слово&привет#
        "\xCF\x89\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 Caf\xC3\xA9 CAF\xC3\x89 "  // ωμέγα Café CAFÉ
        "\xCE\xB1 \xD1\x8F x</p>"                                            // single letters
        "<img src=\"x.gif\" alt=\"\xE2\x84\xA6hm\"></body></html>";          // Ω (ohm sign) in an alt text
    const std::string path = dir.Write("mix.htm", page);
    const CliRun run = RunTool({"analyse", path});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> words = WordLines(run.Out);
    auto line = [&](const std::string& spellings) {
        for (const auto& w : words)
            if (w.rfind("word\t" + spellings + "\t", 0) == 0)
                return w;
        return std::string();
    };
    EXPECT_EQ(line("\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE"),
              "word\t\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE\t3\tother\tText (3)");
    EXPECT_EQ(line("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
              "word\t\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\t2\tother\tTitle (1) / Text (1)");
    EXPECT_EQ(line("\xCF\x89\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1"),
              "word\t\xCF\x89\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1\t2\tother\tTitle (1) / Text (1)");
    EXPECT_EQ(line("\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82"), "word\t\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82\t2\tother\tText (2)");
    EXPECT_EQ(line("caf\xC3\xA9"), "word\tcaf\xC3\xA9\t2\tother\tText (2)");
    EXPECT_EQ(line("\xCF\x89hm"), "word\t\xCF\x89hm\t1\tother\tImage comment (1)");
    EXPECT_EQ(words.size(), 6u) << run.Out;  // the single letters are no words
}

TEST(UnicodeWordsTest, ExportOfAUtf8PageIsUtf8)
{
    TempDir dir;
    const std::string utf8 = ReadAll(KESTROVA_TEST_DATA "/utf8/french-utf8.htm");
    const std::string cp1252 = ReadAll(KESTROVA_TEST_DATA "/utf8/french-cp1252.htm");
    const std::string a = dir.Write("utf8/gite.htm", utf8);
    const std::string b = dir.Write("cp1252/gite.htm", cp1252);
    ASSERT_EQ(RunTool({"export", a, dir.File("utf8.txt"), "--lang", "fr"}).Status, 0);
    ASSERT_EQ(RunTool({"export", b, dir.File("cp1252.txt"), "--lang", "fr"}).Status, 0);
    const std::string fromUtf8 = ReadAll(dir.File("utf8.txt"));
    const std::string fromCp1252 = ReadAll(dir.File("cp1252.txt"));
    EXPECT_TRUE(IsValidUtf8(fromUtf8));
    EXPECT_FALSE(IsValidUtf8(fromCp1252));  // Windows-1252 as before
    EXPECT_EQ(fromUtf8, Cp1252ToUtf8(fromCp1252));
}

// Typed text: any character for a UTF-8 page, only Windows-1252 ones for
// a Windows-1252 page.
TEST(UnicodeWordsTest, ToolTakesTypedTextInThePageEncoding)
{
    TempDir dir;
    const std::string omega = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";
    const std::string utf8Page = "<html><head><title>\xC3\xA9t\xC3\xA9</title>"
                                 "<meta name=\"keywords\" content=\"mer\"></head><body>x</body></html>";
    const std::string cp1252Page = "<html><head><title>\xE9t\xE9</title>"
                                   "<meta name=\"keywords\" content=\"mer\"></head><body>x</body></html>";
    const std::string a = dir.Write("a/p.htm", utf8Page);
    const std::string b = dir.Write("b/p.htm", cp1252Page);
    {
        test::ScopedCurrentDir cwd(dir.Path() / "a");
        const CliRun added = RunTool({"keyword", a, "--add", omega});
        EXPECT_EQ(added.Status, 0) << added.Err;
        EXPECT_EQ(ReadAll(a), "<html><head><title>\xC3\xA9t\xC3\xA9</title><meta name=\"keywords\" content=\"" + omega +
                                  ", mer\"></head><body>x</body></html>");
        const CliRun shown = RunTool({"meta", a, "keywords"});
        EXPECT_EQ(shown.Out, omega + ", mer\n");
        EXPECT_EQ(RunTool({"title", a, "--set", "\xE9t\xE9"}).Status, 1);  // not UTF-8
    }
    {
        test::ScopedCurrentDir cwd(dir.Path() / "b");
        const CliRun refused = RunTool({"keyword", b, "--add", omega});
        EXPECT_EQ(refused.Status, 1);
        EXPECT_NE(refused.Err.find("Windows-1252 cannot write"), std::string::npos);
        EXPECT_EQ(ReadAll(b), cp1252Page);
    }
}

}  // namespace
