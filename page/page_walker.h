// The page walker: every reading and rewriting of a page goes through
// WalkPage. It tests that the file is HTML, cuts it into text runs and tags
// (skipping the inside of script and style elements) and calls a piece
// handler for each piece. In write mode it writes every piece, as the handler
// left it, to a copy, and commits the copy when it differs from the page, as
// one change of the page (page/page_change.h): under the page's lock, backup
// and journal line first, then an atomic replace.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/paths.h"
#include "base/ui_port.h"
#include "page/page_state.h"

namespace kestrova {

// Handler(PieceOffset, Arg1, Arg2, Arg3): reads and may change
// Page.CurrentText and Page.CurrentTag (those of WalkOptions::State when it
// is set). PieceOffset is the offset after the
// piece; on a UTF-8 page it counts the decoded text, so that it grows with
// the decoded pieces the handler sees.
using PieceHandler = std::function<void(std::int64_t, const std::string&, const std::string&, const std::string&)>;

// Size of the blocks the page is read in.
constexpr std::size_t WalkBlockSize = 10000;
// Longest piece (text run or tag with its "<" and ">") the walker cuts. A
// longer one is reported ("Ce fichier semble anormal ..."), copied unchanged
// in write mode and not given to the handler. Pieces never depend on where
// the blocks begin and end, whatever the block size.
constexpr std::size_t WalkMaxPieceLength = WalkBlockSize;

// How a walk runs.
struct WalkOptions {
    ui::WindowId Owner = ui::MainWindowId;  // window that owns messages and the progress window
    bool ReportErrors = true;               // show the failure messages
    bool SetTitle = false;                  // name the page in the owner's title
    bool ShowProgress = false;              // progress window for a long walk
    bool WriteCopy = false;                 // write mode: copy, compare, commit
    bool PumpEvents = true;                 // let window events run after each block
    bool CountLines = false;                // keep State's PieceLine and PieceColumn
    // The state the pieces are handed over in (CurrentText, CurrentTag,
    // PieceOffset, PageUtf8); nullptr: Page. A read-only walk on a thread
    // other than the main one gives its own state and sets ReportErrors,
    // SetTitle, ShowProgress, WriteCopy and PumpEvents to false: it then
    // touches nothing shared.
    PageState* State = nullptr;
    // Passed to the handler as they are.
    std::string Arg1;
    std::string Arg2;
    std::string Arg3;
};

// Walks the page at pagePath. Returns 1 on success (also for an empty page,
// and in write mode when nothing changed), 0 on failure. A page that is not
// HTML also clears Page.CurrentPagePath.
int WalkPage(const std::string& pagePath, const WalkOptions& options, const PieceHandler& Handler);

// The progress window opens once a walk has taken this long.
constexpr std::chrono::milliseconds WalkProgressDelay{150};

// Piece handler that inserts an empty meta tag named Arg1 right after the
// head start tag, and sets Page.MetaInserted.
void AddMetaAfterHead(std::int64_t PieceOffset, const std::string& Arg1, const std::string& Arg2,
                      const std::string& Arg3);

bool IsPageReadOnly();

// Test hook: the block size used by WalkPage (WalkBlockSize unless changed;
// 0 restores it).
void SetWalkBlockSizeForTesting(std::size_t size);
// Test hook: makes the final replacement of the page by its copy fail, as it
// does for a page that the system refuses to replace.
void SetReplaceFailureForTesting(bool fail);

}  // namespace kestrova
