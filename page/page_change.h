// One change of a page, all or nothing. A change takes an exclusive lock on
// the page (a second change of the same page, from this program or another,
// waits a short while and then gives up), reads the page through the locked
// descriptor, collects the rewritten content in temporary files of our own
// naming beside the page, and commits in this order: the page is checked to
// be the file that was read, the new journal is written aside (so that a
// journal or backup folder that cannot be written stops the change before
// anything changed), the backup of the page as it was read, the journal
// line, and last the copy, flushed to disk, renamed over the page. A crash
// at any point leaves the page as it was or as changed, and never a changed
// page without its journal line.
//
// A user action that needs several walks of the page (create a meta tag,
// then add a word to it) groups them with a PageChangeGroup: each walk reads
// what the previous one wrote, and the page, backup and journal change once,
// at the end.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>

#include "base/ui_port.h"

namespace kestrova {

// What became of the last change of a page.
enum class ChangeOutcome {
    None,       // no change since ResetChangeOutcome
    Unchanged,  // the rewrite gave the page's own content: nothing to do
    Committed,  // the page holds the change
    Failed,     // the page was not changed (the reason was reported)
};
ChangeOutcome LastChangeOutcome();
void ResetChangeOutcome();

// How long a change waits for another change of the same page.
constexpr std::chrono::milliseconds PageLockWait{3000};

class PageChange {
public:
    PageChange(std::string pagePath, ui::WindowId owner, bool reportErrors);
    ~PageChange();
    PageChange(const PageChange&) = delete;
    PageChange& operator=(const PageChange&) = delete;

    // Takes the page's lock and opens it; reports a page held by another
    // change. Later calls give the first answer.
    bool Begin();
    // The content as it stands in this change: the last staged copy, or
    // the page. Valid after a successful Begin.
    int SourceFd() const;
    // A new empty copy beside the page, open for reading and writing; -1
    // (reported) when it cannot be created.
    int NewCopy();
    // The last new copy becomes the content of the change, or is dropped.
    void StageCopy();
    void DiscardCopy();
    bool Staged() const { return stagedFd_ >= 0; }
    // Puts the staged content in the page (see above). With nothing staged
    // the outcome is Unchanged. Reports a failure; the page is then as it
    // was.
    bool Commit();
    // Ends the change without touching the page.
    void Abandon(ChangeOutcome outcome);

    const std::string& Path() const { return path_; }

private:
    bool SamePageAsRead() const;
    void Report(const std::string& frenchText) const;
    void Settle(ChangeOutcome outcome);

    std::string path_;    // the page as the program names it
    std::string target_;  // the file it resolves to
    ui::WindowId owner_;
    bool reportErrors_;
    int begun_ = 0;  // 0 not yet, 1 locked, -1 failed
    int pageFd_ = -1;
    struct stat pageStat_ {};
    int copyFd_ = -1;
    std::string copyPath_;
    int stagedFd_ = -1;
    std::string stagedPath_;
    bool settled_ = false;
};

// Makes the write walks of pagePath, for its lifetime, steps of one change:
// they read the content the previous step left and stage their copy, and
// nothing reaches the page before Commit.
class PageChangeGroup {
public:
    PageChangeGroup(const std::string& pagePath, ui::WindowId owner);
    ~PageChangeGroup();
    PageChangeGroup(const PageChangeGroup&) = delete;
    PageChangeGroup& operator=(const PageChangeGroup&) = delete;

    bool Commit() { return change_.Commit(); }
    // One of the steps failed: the change is given up.
    void Fail() { change_.Abandon(ChangeOutcome::Failed); }

private:
    PageChange change_;
    PageChange* previous_;
};

// The change that groups the walks of pagePath, if any.
PageChange* GroupedPageChange(const std::string& pagePath);

// Test hooks: the wait for another change's lock (negative restores
// PageLockWait), and a failure of the final replacement of the page.
void SetPageLockWaitForTesting(std::chrono::milliseconds wait);
void SetPageReplaceFailureForTesting(bool fail);

}  // namespace kestrova
