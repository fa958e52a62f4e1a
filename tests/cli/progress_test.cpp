// Progress of long kestrova-cli work on the error stream: shown on a
// terminal only, never with --quiet, never when the stream is a file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "cli/progress_line.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

using test::ReadAll;

TEST(ProgressLineTest, RewritesOneLineAndClearsIt)
{
    std::ostringstream err;
    {
        cli::ProgressLine progress(err, true);
        progress.Show(cli::ProgressText(2, 5, "b.htm", 40));
        EXPECT_EQ(err.str(), "\r[2/5] b.htm 40%\x1b[K");
        progress.Show("a\r\nb\tc");
        EXPECT_EQ(err.str().substr(err.str().rfind('\r')), "\ra  b c\x1b[K");
    }
    // Erased when the work ends.
    EXPECT_EQ(err.str().substr(err.str().size() - 4), "\r\x1b[K");

    // A long line keeps its end and never cuts a character in two.
    std::string name;
    for (int i = 0; i < 100; ++i)
        name += "\xC3\xA9";  // é
    err.str({});
    {
        cli::ProgressLine progress(err, true);
        progress.Show(name + "/z.htm");
        const std::string line = err.str().substr(1, err.str().find("\x1b[K") - 1);
        EXPECT_EQ(line.rfind("...\xC3\xA9", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.size() - 6), "/z.htm");
        EXPECT_EQ((line.size() - 3 - 6) % 2, 0u);
        EXPECT_EQ(3 + (line.size() - 3 - 6) / 2 + 6, 79u);
        progress.Clear();
        const std::size_t size = err.str().size();
        progress.Clear();  // nothing more to erase
        EXPECT_EQ(err.str().size(), size);
    }

    err.str({});
    {
        cli::ProgressLine progress(err, false);
        progress.Show("x");
        progress.Clear();
    }
    EXPECT_EQ(err.str(), "");
}

// Runs the built tool with its error stream on a terminal (a pseudo-terminal
// of script(1)), its output in a file; returns what the terminal showed.
std::string OnTerminal(const std::string& args, const test::TempDir& dir)
{
    const std::string typescript = dir.File("terminal.txt");
    const std::string command = "script -qec \"'" + std::string(KESTROVA_CLI_PATH) + "' " + args + " >'" +
                                dir.File("out.txt") + "'\" '" + typescript + "' </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadAll(typescript);
    return ReadAll(typescript);
}

TEST(ProgressLineTest, SiteShowsProgressOnATerminalOnly)
{
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "script(1) is not installed";
    test::TempDir dir;
    dir.Write("site/first.htm", "<html><head><title>Un</title></head><body>voilier</body></html>");
    dir.Write("site/second.htm", "<html><head><title>Deux</title></head><body>bateau</body></html>");
    const std::string folder = "'" + dir.File("site") + "'";

    const std::string shown = OnTerminal("site " + folder, dir);
    EXPECT_NE(shown.find("site/first.htm "), std::string::npos) << shown;
    EXPECT_NE(shown.find("site/second.htm 100%"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\x1b[K"), std::string::npos);
    EXPECT_NE(ReadAll(dir.File("out.txt")).find("voilier\t1\tfirst.htm (1)"), std::string::npos);

    const std::string quiet = OnTerminal("--quiet site " + folder, dir);
    EXPECT_EQ(quiet.find("%"), std::string::npos) << quiet;
    EXPECT_EQ(OnTerminal("site " + folder + " --quiet", dir).find("%"), std::string::npos);

    // The error stream in a file: nothing.
    const std::string command =
        "'" + std::string(KESTROVA_CLI_PATH) + "' site " + folder + " >/dev/null 2>'" + dir.File("err.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadAll(dir.File("err.txt")), "");
}

}  // namespace
}  // namespace kestrova
