// Fuzz target for the modification journal. Each input is the journal file
// "Kestrova_log.txt" of a temporary folder:
//  - LoadJournal reads at most 200 lines, none empty, none holding LF or
//    ending with CR, in the file's order; JournalLinePath and
//    JournalLineTime take any line;
//  - a page whose path is taken from the input (when a journal line can hold
//    it) is added with AddJournalEntry at a clock time taken from the input:
//    the journal then has a line that reads back as that very path and that
//    time, and every other line of the journal is kept, in order.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "page/journal.h"

using namespace kestrova;

namespace {

std::string gFolder;
int gHomeFd = -1;
int gFolderFd = -1;
std::int64_t gNow = 0;

void Setup()
{
    char shm[] = "/dev/shm/kestrova-journal-fuzz-XXXXXX";
    char tmp[] = "/tmp/kestrova-journal-fuzz-XXXXXX";
    char* templ = mkdtemp(shm);
    if (!templ)
        templ = mkdtemp(tmp);
    if (!templ)
        std::abort();
    gFolder = templ;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(gFolder, ec);
    });
    gHomeFd = open(".", O_RDONLY | O_DIRECTORY);
    gFolderFd = open(templ, O_RDONLY | O_DIRECTORY);
    if (gHomeFd < 0 || gFolderFd < 0)
        std::abort();
    SetClock([] { return gNow; });
}

// The journal lives in the current folder: each input runs in the temporary
// folder and gives the fuzzer its own folder back afterwards.
struct InTempFolder {
    InTempFolder()
    {
        if (fchdir(gFolderFd) != 0)
            std::abort();
    }
    ~InTempFolder()
    {
        if (fchdir(gHomeFd) != 0)
            std::abort();
    }
};

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "journal_fuzz: %s\n", what);
        std::abort();
    }
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The lines of a journal text as a reader sees them: split at LF, one CR
// before the LF dropped, empty lines left out.
std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
        if (stop > start)
            lines.push_back(text.substr(start, stop - start));
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = (Setup(), true);
    (void)ready;
    InTempFolder here;
    const std::string input(reinterpret_cast<const char*>(data), size);
    WriteFile(JournalFileName, input);

    LoadJournal();
    const std::vector<std::string> expected = LinesOf(input);
    const std::vector<std::string>& entries = Journal.JournalEntries;
    Check(entries.size() <= JournalEntriesMax, "more than 200 journal entries");
    Check(entries.size() == std::min(expected.size(), JournalEntriesMax), "journal entries lost or invented");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& line = entries[i];
        Check(line == expected[i], "a journal entry differs from its line");
        const std::string path = JournalLinePath(line);
        Check(path.find('|') == std::string::npos, "a line's path holds |");
        Check(line.compare(0, path.size(), path) == 0, "a line's path is not its beginning");
        if (path.size() == line.size())
            Check(JournalLineTime(line) == 0, "a line without | has a time");
    }

    // A page named by the input's last line (or the input itself) is added.
    std::string page = input.substr(input.rfind('\n') == std::string::npos ? 0 : input.rfind('\n') + 1);
    page = page.substr(0, page.find('|'));
    if (page.empty())
        page = "page.htm";
    page = gFolder + "/" + page;
    gNow = size > 0 ? static_cast<std::int64_t>(data[0]) * 1000003 - 7 : 0;
    if (!IsJournalSafePath(page) || IsProgramOwnFile(page)) {
        Check(!AddJournalEntry(page), "a path a journal line cannot hold, or a file of the program's own, was added");
        Check(ReadFile(JournalFileName) == input, "a refused page changed the journal");
        return 0;
    }
    Check(AddJournalEntry(page), "adding a page failed");
    const std::vector<std::string> after = LinesOf(ReadFile(JournalFileName));
    std::size_t own = after.size();
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (JournalLinePath(after[i]) == page) {
            own = i;
            break;
        }
    }
    Check(own < after.size(), "the added page reads back as another path");
    Check(JournalLineTime(after[own]) == gNow, "the added page reads back with another time");
    // The other lines: the old ones without the page's first line.
    std::vector<std::string> others = expected;
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (JournalLinePath(others[i]) == page) {
            others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    std::vector<std::string> rest = after;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(own));
    Check(rest == others, "adding a page changed the journal's other lines");
    return 0;
}
