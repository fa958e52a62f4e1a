// One change of a page, all or nothing. A change takes an exclusive lock on
// the page (a second change of the same page, from this program or another,
// waits a short while and then gives up), reads the page through the locked
// descriptor, collects the rewritten content in temporary files of our own
// naming beside the page, and commits in this order: the page is checked to
// be the file that was read; the copy is flushed to disk; the new journal,
// the backup of the page as it was read and the page's history version are
// written aside and flushed (so that a journal, backup folder or history
// that cannot be written stops the change before anything changed); the
// journal line goes in; the history version gets its name; the copy is
// renamed over the page; last the backup replaces the previous one. A crash
// at any point leaves the page as it was or as changed, never a changed page
// without its journal line, and never a backup that holds the page as it is
// after the change that wrote it (at worst, the backup of the change before).
//
// A page with several names (hard links) is not replaced but written in
// place, after its backup is complete, so that every name sees the change.
//
// A user action that needs several walks of the page (create a meta tag,
// then add a word to it; a title and a description saved together) groups
// them with a PageChangeGroup: each walk reads what the previous one wrote,
// and the page, backup, history and journal change once, at the end.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    bool Begun() const { return begun_ > 0; }
    // Puts the staged content in the page (see above). With nothing staged
    // the outcome is Unchanged. Reports a failure; the page is then as it
    // was.
    bool Commit();
    // Ends the change without touching the page.
    void Abandon(ChangeOutcome outcome);
    // A step of a grouped action failed: the change is given up at Commit.
    void MarkFailed() { failed_ = true; }
    bool MarkedFailed() const { return failed_; }
    // The change restores the history version of that serial (an undo).
    void SetRestoredVersion(std::uint64_t serial) { restored_ = serial; }

    const std::string& Path() const { return path_; }

private:
    bool SamePageAsRead() const;
    bool WriteInPlace();
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
    bool failed_ = false;
    std::vector<std::string> actions_;  // the actions of the staged steps
    std::uint64_t restored_ = 0;
};

// Makes the write walks of pagePath, for its lifetime, steps of one change:
// they read the content the previous step left and stage their copy, and
// nothing reaches the page before Commit. A group opened while another
// groups the same page is part of it: its Commit only tells whether the
// action still stands, its Fail gives the whole action up.
class PageChangeGroup {
public:
    PageChangeGroup(const std::string& pagePath, ui::WindowId owner);
    ~PageChangeGroup();
    PageChangeGroup(const PageChangeGroup&) = delete;
    PageChangeGroup& operator=(const PageChangeGroup&) = delete;

    bool Commit();
    // One of the steps failed: the change is given up.
    void Fail();

private:
    std::unique_ptr<PageChange> own_;
    PageChange* change_;
    PageChange* previous_;
};

// While one exists, changes are worked out but never committed: each
// commit that would change a page records the page before and after, and
// ends as Committed without touching anything (no page, backup, history,
// journal, nor a temporary file left). A change grouped before the dry run
// began (an action under way that asks for a preview) is set aside while it
// lasts: the previewed steps neither read nor stage its copy.
class DryRun {
public:
    struct Change {
        std::string Path;
        std::string Before;
        std::string After;
    };
    DryRun();
    ~DryRun();
    DryRun(const DryRun&) = delete;
    DryRun& operator=(const DryRun&) = delete;
    const std::vector<Change>& Changes() const { return changes_; }
    void Record(Change change) { changes_.push_back(std::move(change)); }

private:
    std::vector<Change> changes_;
    DryRun* previous_;
    PageChange* grouped_;
};
DryRun* ActiveDryRun();

// The change that groups the walks of pagePath, if any.
PageChange* GroupedPageChange(const std::string& pagePath);

// Test hooks: the wait for another change's lock (negative restores
// PageLockWait), and a failure of the final replacement of the page.
void SetPageLockWaitForTesting(std::chrono::milliseconds wait);
void SetPageReplaceFailureForTesting(bool fail);

// The file operations of a commit that decide what a crash leaves: the
// flush of a file to disk and the renames that put files in place. Tests
// replace them to record their order (and what the disk holds at each);
// empty functions are the system calls.
struct CommitFileOps {
    std::function<int(int fd)> Fsync;
    std::function<int(const char* from, const char* to)> Rename;
};
void SetCommitFileOpsForTesting(CommitFileOps ops);

}  // namespace kestrova
