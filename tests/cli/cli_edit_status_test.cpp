// kestrova-cli edits run as real processes, the way scripts and the program
// run them side by side: the exit status tells whether the change is in the
// page, overlapping edits never mix, and an edit killed at any moment leaves
// the page as it was or as changed, with nothing of its own behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/file_io.h"
#include "tests/support/temp_site.h"

namespace {

namespace fs = std::filesystem;
using kestrova::test::FolderEntries;
using kestrova::test::ReadAll;

const std::string Head = "<html>\r\n<head>\r\n<title>T</title>\r\n<meta name=\"keywords\" content=\"voilier\">\r\n";
const std::string Rest = "</head>\r\n<body><p>Un voilier.</p></body>\r\n</html>\r\n";

// A page of about `size` bytes: the head above, then many paragraphs.
std::string BigPage(std::size_t size)
{
    std::string page = Head + "</head>\r\n<body>\r\n";
    const std::string paragraph = "<p class=\"t\">Un voilier de croisi\xE8re &agrave; vendre, bon \xE9tat.</p>\r\n";
    while (page.size() < size)
        page += paragraph;
    return page + "</body>\r\n</html>\r\n";
}

// The page with a keyword put in front of the list.
std::string WithKeywords(const std::string& page, const std::string& words)
{
    std::string out = page;
    const std::string list = "content=\"voilier\"";
    out.replace(out.find(list), list.size(), "content=\"" + words + "voilier\"");
    return out;
}

class Child {
public:
    // Starts kestrova-cli with args in folder, its output in files in logs.
    Child(const fs::path& folder, const fs::path& logs, const std::vector<std::string>& args, const std::string& tag)
        : errFile_((logs / (tag + ".err")).string())
    {
        const std::string outFile = (logs / (tag + ".out")).string();
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(folder.c_str()) != 0)
                ::_exit(127);
            int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = ::open(errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(KESTROVA_CLI_PATH));
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KESTROVA_CLI_PATH, argv.data());
            ::_exit(127);
        }
    }
    ~Child()
    {
        if (pid_ > 0 && !done_) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }
    pid_t Pid() const { return pid_; }
    // Exit status, or 128 + signal for a process that was killed. A process
    // still running after a minute is killed and fails the test.
    int Wait()
    {
        if (done_)
            return status_;
        int raw = 0;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (::waitpid(pid_, &raw, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > limit) {
                ADD_FAILURE() << "kestrova-cli did not end";
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &raw, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        done_ = true;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return status_;
    }
    bool Exited()
    {
        if (done_)
            return true;
        int raw = 0;
        if (::waitpid(pid_, &raw, WNOHANG) != pid_)
            return false;
        done_ = true;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return true;
    }
    std::string Err() const { return ReadAll(errFile_); }

private:
    pid_t pid_ = -1;
    std::string errFile_;
    bool done_ = false;
    int status_ = -1;
};

// True while some process holds the page's lock.
bool PageHeld(const std::string& page)
{
    int fd = ::open(page.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

std::vector<std::string> OwnTempFiles(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const std::string& name : FolderEntries(folder))
        if (kestrova::IsOwnTempName(name))
            found.push_back(name);
    return found;
}

class CliEditStatusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.Path() / "site");
        page = (dir.Path() / "site" / "page.htm").string();
    }
    void WritePage(const std::string& bytes) { dir.Write("site/page.htm", bytes); }
    std::string Journal() const { return ReadAll(dir.File("Kestrova_log.txt")); }
    // Starts an edit that adds word to the keywords.
    std::unique_ptr<Child> AddKeyword(const std::string& word)
    {
        return std::make_unique<Child>(dir.Path(), logs.Path(),
                                       std::vector<std::string>{"keyword", page, "--add", word}, word);
    }
    // Starts an edit and stops it once it holds the page's lock. Null when
    // the edit ended before it could be seen holding it.
    std::unique_ptr<Child> StoppedHolder(const std::string& word)
    {
        auto child = AddKeyword(word);
        while (!PageHeld(page)) {
            if (child->Exited())
                return nullptr;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ::kill(child->Pid(), SIGSTOP);
        return child;
    }

    kestrova::test::TempDir dir;
    kestrova::test::TempDir logs;
    std::string page;
};

TEST_F(CliEditStatusTest, EveryEditVerbExitsOneWithAMessageWhenItsChangeCannotBeCommitted)
{
    const std::string before = Head + Rest;
    const std::string journal = dir.File("Kestrova_log.txt");
    struct Setup {
        const char* name;
        std::function<void()> make;
        std::function<void()> undo;
    };
    // (Every way a journal or backup folder can fail is tried on the engine;
    // these are the ones a script meets most, and the FIFO that used to
    // hang the command.)
    const Setup setups[] = {
        {"backup folder is a file", [&] { dir.Write("site/Sauvegarde", "x"); },
         [&] { fs::remove(dir.File("site/Sauvegarde")); }},
        {"journal is a FIFO", [&] { ASSERT_EQ(::mkfifo(journal.c_str(), 0644), 0); }, [&] { fs::remove(journal); }},
    };
    const std::vector<std::vector<std::string>> verbs = {
        {"keyword", page, "--add", "ketch"},
        {"keyword", page, "--remove", "voilier"},
        {"meta", page, "keywords", "--set", "ketch"},
        {"title", page, "--set", "Ketch"},
        {"meta", page, "robots", "--set", "all", "--create"},
    };
    for (const Setup& setup : setups) {
        SCOPED_TRACE(setup.name);
        setup.make();
        for (const auto& verb : verbs) {
            SCOPED_TRACE(verb[0] + " " + verb[2]);
            WritePage(before);
            Child edit(dir.Path(), logs.Path(), verb, "edit");
            EXPECT_EQ(edit.Wait(), 1);
            const std::string err = edit.Err();
            EXPECT_NE(err.find("the page was not modified"), std::string::npos) << err;
            EXPECT_EQ(ReadAll(page), before);
            EXPECT_FALSE(fs::exists(dir.File("site/Sauvegarde/page.htm")));
            EXPECT_TRUE(OwnTempFiles(dir.Path() / "site").empty());
        }
        setup.undo();
    }
    // With everything in order the same verbs succeed, silently.
    for (const auto& verb : verbs) {
        WritePage(before);
        Child edit(dir.Path(), logs.Path(), verb, "edit");
        EXPECT_EQ(edit.Wait(), 0) << edit.Err();
        EXPECT_NE(ReadAll(page), before);
    }
}

TEST_F(CliEditStatusTest, ASecondEditWaitsForTheFirstAndGivesUpWhenItHoldsOnTooLong)
{
    const std::string before = BigPage(4 << 20);
    std::unique_ptr<Child> first;
    for (int attempt = 0; attempt < 5 && !first; ++attempt) {
        WritePage(before);
        first = StoppedHolder("alpha");
    }
    ASSERT_TRUE(first) << "the first edit never held the page";

    // While the first edit is stopped, the second waits, then fails.
    auto second = AddKeyword("beta");
    EXPECT_EQ(second->Wait(), 1);
    EXPECT_NE(second->Err().find("being changed by another program; the page was not modified"), std::string::npos)
        << second->Err();
    EXPECT_EQ(ReadAll(page).find("beta"), std::string::npos);

    // Resumed, the first finishes its change.
    ::kill(first->Pid(), SIGCONT);
    EXPECT_EQ(first->Wait(), 0) << first->Err();
    EXPECT_EQ(ReadAll(page), WithKeywords(before, "alpha, "));
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/page.htm")), before);

    // A second edit that starts while the first is briefly stopped waits
    // for it and then changes the page the first left.
    // (A smaller page: once resumed, the first edit ends well within the
    // second one's wait.)
    const std::string small = BigPage(1 << 20);
    first.reset();
    for (int attempt = 0; attempt < 5 && !first; ++attempt) {
        WritePage(small);
        first = StoppedHolder("gamma");
    }
    if (!first)
        GTEST_SKIP() << "the edit ended before it could be stopped";
    second = AddKeyword("delta");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::kill(first->Pid(), SIGCONT);
    EXPECT_EQ(first->Wait(), 0) << first->Err();
    EXPECT_EQ(second->Wait(), 0) << second->Err();
    EXPECT_EQ(ReadAll(page), WithKeywords(small, "delta, gamma, "));
    EXPECT_EQ(ReadAll(dir.File("site/Sauvegarde/page.htm")), WithKeywords(small, "gamma, "));
}

TEST_F(CliEditStatusTest, AnEditKilledWhileHoldingThePageLeavesItWholeAndTheNextEditClearsItsLeftovers)
{
    const std::string before = BigPage(4 << 20);
    std::unique_ptr<Child> first;
    for (int attempt = 0; attempt < 5 && !first; ++attempt) {
        WritePage(before);
        first = StoppedHolder("alpha");
    }
    ASSERT_TRUE(first) << "the first edit never held the page";
    ::kill(first->Pid(), SIGKILL);
    EXPECT_EQ(first->Wait(), 128 + SIGKILL);
    const std::string afterKill = ReadAll(page);
    EXPECT_TRUE(afterKill == before || afterKill == WithKeywords(before, "alpha, "));

    auto second = AddKeyword("beta");
    EXPECT_EQ(second->Wait(), 0) << second->Err();
    EXPECT_EQ(ReadAll(page), WithKeywords(afterKill, "beta, "));
    EXPECT_TRUE(OwnTempFiles(dir.Path() / "site").empty());
    EXPECT_TRUE(OwnTempFiles(dir.Path() / "site" / "Sauvegarde").empty());
    EXPECT_TRUE(OwnTempFiles(dir.Path()).empty());
}

TEST_F(CliEditStatusTest, KillsAtAnyMomentOfAnEditOfABigPageLeaveTheOriginalOrTheFinishedEdit)
{
    const std::string before = BigPage(20 << 20);
    const std::string edited = WithKeywords(before, "ketch, ");
    // One whole edit, to know how long an edit takes here.
    WritePage(before);
    const auto start = std::chrono::steady_clock::now();
    {
        auto edit = AddKeyword("ketch");
        ASSERT_EQ(edit->Wait(), 0) << edit->Err();
    }
    const auto whole = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(ReadAll(page), edited);

    constexpr int Trials = 4;
    int original = 0, finished = 0;
    for (int trial = 0; trial < Trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        WritePage(before);
        fs::remove(dir.File("Kestrova_log.txt"));
        auto edit = AddKeyword("ketch");
        std::this_thread::sleep_for(whole * (trial + 1) / (Trials + 1));
        ::kill(edit->Pid(), SIGKILL);
        edit->Wait();
        const std::string now = ReadAll(page);
        if (now == before) {
            ++original;
        } else {
            ASSERT_EQ(now.size(), edited.size());
            ASSERT_TRUE(now == edited);
            ++finished;
            // A changed page is always in the journal.
            EXPECT_NE(Journal().find(page + "|"), std::string::npos);
        }
    }
    EXPECT_EQ(original + finished, Trials);

    // The next edit leaves nothing of the killed ones behind.
    WritePage(before);
    auto rerun = AddKeyword("ketch");
    EXPECT_EQ(rerun->Wait(), 0) << rerun->Err();
    EXPECT_EQ(ReadAll(page), edited);
    EXPECT_TRUE(OwnTempFiles(dir.Path() / "site").empty());
    EXPECT_TRUE(OwnTempFiles(dir.Path() / "site" / "Sauvegarde").empty());
    EXPECT_TRUE(OwnTempFiles(dir.Path()).empty());
}

}  // namespace
