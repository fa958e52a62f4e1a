// Fuzz target for the modification journal. Each input is the journal file
// "Kestrova_log.txt" of a temporary folder:
//  - LoadJournal reads at most 200 lines, none empty, none holding LF or
//    ending with CR, in the file's order; JournalLinePath and
//    JournalLineTime take any line;
//  - a page whose path is taken from the input (when a journal line can hold
//    it) is added with AddJournalEntry at a clock time taken from the input:
//    the journal then has a line that reads back as that very path and that
//    time, and every other line of the journal is kept, in order.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/clock.h"
#include "fuzz/fuzz_support.h"
#include "page/journal.h"

using namespace kestrova;

namespace {

constexpr fuzz::Checker Check{"journal_fuzz"};
using fuzz::ReadFile;
using fuzz::WriteFile;

std::int64_t gNow = 0;

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
    static bool ready = (SetClock([] { return gNow; }), true);
    (void)ready;
    // The journal lives in the current folder.
    static const fuzz::TempFolder folder("journal-fuzz");
    const fuzz::TempFolder::Inside here(folder);
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
    page = folder.File(page);
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
