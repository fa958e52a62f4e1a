// Fuzz target for the page walker. Each input is written to a page file and
//  - walked as it is in read mode with the analysis handler (HTML test and all);
//  - behind an "<html>" line, walked with the analysis handler in read and in
//    write mode, then with an identity handler in write mode: the page must
//    come back with the same bytes, except that single quotes may have become
//    double quotes (script and style start tags are written that way);
//  - walked with a recording handler at the normal block size and at a small
//    block size taken from the input: the pieces must be the same.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "base/headless_ui.h"
#include "fuzz/fuzz_support.h"
#include "page/page_state.h"
#include "page/page_walker.h"

using namespace kestrova;

namespace {

using ui::SilentUi;

constexpr fuzz::Checker Check{"walk_page_fuzz"};
using fuzz::ReadFile;
using fuzz::WriteFile;

void Setup()
{
    static SilentUi silent;
    ui::SetUi(&silent);
}

void Identity(std::int64_t, const std::string&, const std::string&, const std::string&) {}

std::vector<std::string> gPieces;
void Record(std::int64_t offset, const std::string&, const std::string&, const std::string&)
{
    gPieces.push_back(std::to_string(offset) +
                      (Page.CurrentText.empty() ? "<" + Page.CurrentTag : ":" + Page.CurrentText));
}

// Clearing the 10001-row word tables costs more than a small walk: they are
// cleared every 64 inputs (they never grow past their rows anyway).
void MaybeResetWordTables()
{
    static unsigned count = 0;
    if (count++ % 64 == 0)
        ResetWordTables();
}

int Walk(const std::string& path, const PieceHandler& handler, bool write)
{
    Page.CurrentPagePath = path;
    Page.PageTitle.clear();
    return WalkPage(Page.CurrentPagePath,
                    WalkOptions{.Owner = 1, .SetTitle = true, .ShowProgress = true, .WriteCopy = write}, handler);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = (Setup(), true);
    (void)ready;
    static const fuzz::TempFolder folder("walk-fuzz");
    const fuzz::TempFolder::Inside here(folder);
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = folder.File("page.htm");

    // As it is: mostly the HTML test.
    WriteFile(path, input);
    MaybeResetWordTables();
    Walk(path, AnalysisHandler, false);

    const std::string page = "<html>\n" + input;
    WriteFile(path, page);
    Check(Walk(path, AnalysisHandler, false) == 1, "read walk failed");
    Check(ReadFile(path) == page, "a read walk changed the page");
    Walk(path, AnalysisHandler, true);
    Check(ReadFile(path).size() == page.size(), "the analysis handler changed the page's size");

    WriteFile(path, page);
    Check(Walk(path, Identity, true) == 1, "identity write walk failed");
    const std::string back = ReadFile(path);
    Check(back.size() == page.size(), "identity write walk changed the size");
    for (std::size_t i = 0; i < page.size(); ++i)
        Check(back[i] == page[i] || (page[i] == '\'' && back[i] == '"'), "identity write walk changed a byte");
    Check(access((path + "2").c_str(), F_OK) != 0, "the copy was left behind");

    // Pieces do not depend on the block size.
    WriteFile(path, page);
    gPieces.clear();
    SetWalkBlockSizeForTesting(0);
    Walk(path, Record, false);
    std::vector<std::string> normal;
    normal.swap(gPieces);
    SetWalkBlockSizeForTesting(1 + (size > 0 ? data[0] % 61 : 0));
    Walk(path, Record, false);
    SetWalkBlockSizeForTesting(0);
    Check(gPieces == normal, "the pieces depend on the block size");
    return 0;
}
