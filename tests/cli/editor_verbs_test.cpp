// kestrova-cli images, alt, rename-image and sentences.
#include "cli/editor_verbs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace {

namespace fs = std::filesystem;
using kestrova::test::ReadAll;

class EditorVerbsTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return kestrova::cli::RunCli(args, out, err);
    }
    // Non-empty lines of the journal.
    std::size_t JournalLines() const
    {
        std::size_t n = 0;
        char previous = '\n';
        for (char c : ReadAll((dir.Path() / "Kestrova_log.txt").string())) {
            n += c == '\n' && previous != '\n';
            previous = c;
        }
        return n;
    }

    kestrova::test::TempDir dir;
    kestrova::test::ScopedCurrentDir cwd{dir.Path()};
    kestrova::test::FixedClock clock;
    std::ostringstream out, err;
};

const std::string Page =
    "<html><head><title>T</title></head><body>"
    "<img src=\"x.gif\"><img alt=\"Avant\" src=\"a.gif\"><img src=\"logo.gif\" alt=\"Caf&eacute;\">"
    "<img src=\"logo.gif\"></body></html>";

TEST_F(EditorVerbsTest, ImagesAndAlt)
{
    const std::string page = dir.Write("site/p.htm", Page);
    EXPECT_EQ(Run({"images", page}), 0) << err.str();
    // a.gif's src comes after its alt: it is an image all the same, and the
    // alt is its own.
    EXPECT_EQ(out.str(), "x.gif\t\na.gif\tAvant\nlogo.gif\tCaf\xC3\xA9\nlogo.gif\t\n");

    EXPECT_EQ(Run({"alt", page, "4", "--set", "Th\xC3\xA9 \"vert\""}), 0) << err.str();
    EXPECT_EQ(ReadAll(page),
              "<html><head><title>T</title></head><body>"
              "<img src=\"x.gif\"><img alt=\"Avant\" src=\"a.gif\"><img src=\"logo.gif\" alt=\"Caf&eacute;\">"
              "<img src=\"logo.gif\" alt=\"Th\xE9 &quot;vert&quot;\" ></body></html>");
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/p.htm")), Page);
    EXPECT_EQ(JournalLines(), 1u);

    EXPECT_EQ(Run({"alt", page, "5", "--set", "x"}), 1);
    EXPECT_NE(err.str().find("no row 5"), std::string::npos);
    EXPECT_EQ(Run({"alt", page, "12345", "--set", "x"}), 1);  // a row past 9999 is a row
    EXPECT_NE(err.str().find("no row 12345"), std::string::npos);
    EXPECT_EQ(Run({"alt", page, "0", "--set", "x"}), 2);
    EXPECT_EQ(Run({"alt", page, "1"}), 2);
    EXPECT_EQ(Run({"images", page, "--site", "x"}), 2);
}

TEST_F(EditorVerbsTest, RenameImageAlongTheSite)
{
    dir.Write("site/img/logo.gif", "GIF89a");
    const std::string home = dir.Write("site/index.htm", "<html><body><img src=\"img/logo.gif\"></body></html>");
    const std::string sub = dir.Write(
        "site/sub/p.htm", "<html><body><img src=\"../img/logo.gif\"><img src=\"img/logo.gif\"></body></html>");
    // From the backup folder this names the same file: it must stay as it is.
    const std::string backup = "<html><body><img src=\"../img/logo.gif\"></body></html>";
    dir.Write("site/Sauvegarde/old.htm", backup);

    // Without --site: the page only, and the reminder.
    EXPECT_EQ(Run({"rename-image", sub, "../img/logo.gif", "../img/logo1.gif"}), 0) << err.str();
    EXPECT_NE(err.str().find("Rename your picture"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.File("site/img/logo.gif")));

    EXPECT_EQ(Run({"rename-image", home, "img/logo.gif", "img/logo2.gif", "--site", dir.File("site")}), 0) << err.str();
    EXPECT_EQ(ReadAll(home), "<html><body><img src=\"img/logo2.gif\"></body></html>");
    EXPECT_EQ(ReadAll(sub), "<html><body><img src=\"../img/logo1.gif\"><img src=\"img/logo.gif\"></body></html>");
    EXPECT_EQ(ReadAll(dir.File("site/img/logo2.gif")), "GIF89a");
    // Backups are not pages of the site.
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/old.htm")), backup);

    // An existing file is never overwritten: the pages point at it, both
    // files stay, and the message says the image was not renamed.
    dir.Write("site/img/taken.gif", "taken");
    EXPECT_EQ(Run({"rename-image", home, "img/logo2.gif", "img/taken.gif", "--site", dir.File("site")}), 0);
    EXPECT_NE(err.str().find("already exists"), std::string::npos);
    EXPECT_EQ(ReadAll(home), "<html><body><img src=\"img/taken.gif\"></body></html>");
    EXPECT_EQ(ReadAll(dir.File("site/img/taken.gif")), "taken");
    EXPECT_EQ(ReadAll(dir.File("site/img/logo2.gif")), "GIF89a");

    EXPECT_EQ(Run({"rename-image", home, "img/none.gif", "img/x.gif"}), 1);
    EXPECT_EQ(Run({"rename-image", home, "img/logo2.gif"}), 2);
}

TEST_F(EditorVerbsTest, SentencesOfAWord)
{
    const std::string page = dir.Write(
        "p.htm", "<html><head><title>Le village</title><meta name=\"keywords\" content=\"village, caf&eacute;\">"
                 "</head><body><p>Le caf&eacute; du <b>village</b></p><img src=\"village.gif\"></body></html>");
    EXPECT_EQ(Run({"sentences", page, "village"}), 0) << err.str();
    EXPECT_EQ(out.str(), "text\tVILLAGE\nimage\tvillage.gif\nmeta\tVILLAGE, caf\xC3\xA9\n");
    EXPECT_EQ(Run({"sentences", page, "caf\xC3\xA9"}), 0);
    EXPECT_EQ(out.str(), "text\tle CAF\xC3\x89 du \nmeta\tvillage, CAF\xC3\x89\n");
    EXPECT_EQ(Run({"sentences", page, "\xE2\x82\xAC\xE2\x80\xA8x"}), 1);  // U+2028 has no Windows-1252 byte
    EXPECT_FALSE(fs::exists(dir.File("Kestrova_log.txt")));
}

// A UTF-8 page: its texts print as UTF-8 and a typed text that Windows-1252
// cannot hold is written there as UTF-8, the rest of the page untouched.
const std::string Utf8Page = "<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
                             "<p>Le caf\xC3\xA9 du \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82</p>"
                             "<img src=\"x.gif\" alt=\"\xC3\x89t\xC3\xA9\"><img src=\"\xCF\x89.gif\"></body></html>";

TEST_F(EditorVerbsTest, Utf8PageImagesAltAndSentences)
{
    const std::string page = dir.Write("u.htm", Utf8Page);
    EXPECT_EQ(Run({"images", page}), 0) << err.str();
    EXPECT_EQ(out.str(), "x.gif\t\xC3\x89t\xC3\xA9\n\xCF\x89.gif\t\n");

    EXPECT_EQ(Run({"sentences", page, "caf\xC3\xA9"}), 0) << err.str();
    EXPECT_EQ(out.str(), "text\tle CAF\xC3\x89 du \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82\n");

    // Greek alt text: only the attribute added, in UTF-8.
    const std::string greek = "\xCE\x9B\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 \xCE\xBA\xCE\xB1\xCE\xBB\xCF\x8C\xCF\x82";
    EXPECT_EQ(Run({"alt", page, "2", "--set", greek}), 0) << err.str();
    std::string expected = Utf8Page;
    expected.replace(expected.find(".gif\"></body>") + 5, 0, " alt=\"" + greek + "\" ");
    EXPECT_EQ(ReadAll(page), expected);
    EXPECT_EQ(ReadAll(dir.File("Sauvegarde/u.htm")), Utf8Page);
    EXPECT_EQ(Run({"images", page}), 0);
    EXPECT_EQ(out.str(), "x.gif\t\xC3\x89t\xC3\xA9\n\xCF\x89.gif\t" + greek + "\n");
    // Setting the same text again changes nothing.
    EXPECT_EQ(Run({"alt", page, "2", "--set", greek}), 0);
    EXPECT_EQ(JournalLines(), 1u);

    // On a Windows-1252 page the Greek text is refused and nothing written.
    const std::string old = dir.Write("w.htm", Page);
    EXPECT_EQ(Run({"alt", old, "1", "--set", greek}), 1);
    EXPECT_NE(err.str().find("Windows-1252"), std::string::npos);
    EXPECT_EQ(ReadAll(old), Page);
    // Bytes that are not UTF-8 are refused on a UTF-8 page.
    EXPECT_EQ(Run({"alt", page, "1", "--set", "caf\xE9"}), 1);
    EXPECT_EQ(ReadAll(page), expected);
}

TEST(SitePagesList, PagesBelowTheFolderWithoutBackups)
{
    kestrova::test::TempDir dir;
    dir.Write("a.htm", "x");
    dir.Write("B.PHP", "x");
    dir.Write("img/a.gif", "x");
    dir.Write("sub/c.html", "x");
    dir.Write("Sauvegarde/a.htm", "x");
    const std::string root = fs::absolute(dir.Path()).lexically_normal().string();
    EXPECT_EQ(kestrova::cli::SitePages(dir.Path().string()),
              root + "/B.PHP\r" + root + "/a.htm\r" + root + "/sub/c.html\r");
}

}  // namespace
