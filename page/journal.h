// Backups and the modification journal.
//
// Every commit of a rewritten page keeps the page's previous version in the
// backup folder "Sauvegarde/" beside the page (one generation) and records
// the page in the journal "Kestrova_log.txt" of the current folder, one
// "path|time" line per changed page. The journal window hands the pages to
// the FTP upload; PurgeJournal then drops the pages that were sent.
//
// The upload state is shared between the main thread and one background
// worker; it lives in one struct whose queue is guarded by a mutex and whose
// scalar values are atomics.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrova {

// Name of the backup folder beside each changed page.
inline constexpr const char* BackupFolderName = "Sauvegarde";
// The journal, opened by this bare name in the current folder.
inline constexpr const char* JournalFileName = "Kestrova_log.txt";
// Capacity of JournalEntries. The upload queue starts with room for
// UploadQueueMax entries and grows when more files are sent at once.
constexpr std::size_t JournalEntriesMax = 200;
constexpr std::size_t UploadQueueMax = 100;

// Whether a page path can be written into a journal line and read back as
// the same path: it holds no CR, LF, TAB or "|" (the line's separators).
bool IsJournalSafePath(const std::string& path);

// The program's own files are never changed by an edit, backed up or
// journalled: the fetched online page "temp.htm", the journal and the
// settings file in the current folder, and (once the program has said where
// it lives) every file directly in the program folder ("" forgets it).
void SetProgramFolder(const std::string& folder);
bool IsProgramOwnFile(const std::string& path);

// What a file was when the upload read it: its identity, size and
// modification time to the nanosecond. A sent page leaves the journal only
// while the file on disk is still the one that was sent.
struct FileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = -1;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};
// Of an open file, or of the file a path leads to; nothing when it cannot be
// read.
std::optional<FileIdentity> FileIdentityOf(int fd);
std::optional<FileIdentity> FileIdentityAt(const std::string& path);

// The backup folder of a page: its folder + "Sauvegarde/".
std::string BackupFolderOf(const std::string& pagePath);

// Copies the page (the file it resolves to when it is a symbolic link) into
// its backup folder under its own file name, creating the folder when it
// does not exist. The backup is written to a temporary file, flushed to disk
// and renamed into place, so a crash never leaves a half-written backup.
// Returns false when the backup could not be written.
bool WriteBackup(const std::string& pagePath);
// The same with the page's content read from the open descriptor pageFd
// (from its start), so that the backup holds the very file that was read.
bool WriteBackupFrom(const std::string& pagePath, int pageFd);

// Records the page in the journal with the current local time: the line of
// the same page (its whole path) is replaced in place, otherwise the page is
// appended. Lines end with LF. Returns false, leaving the journal as it was,
// when the journal cannot be read or written (not a regular file, a folder
// or file that cannot be changed, no room).
bool AddJournalEntry(const std::string& PagePath);

// Adding a journal line in two steps, so that a change of a page can check
// that its line can be written before it changes anything. Prepare reads the
// journal and writes the new journal beside it; Commit puts it in place;
// Revert, after a Commit, puts the previous journal back. From Prepare to
// the end of the object the journal's folder is locked against other
// programs adding their lines (a second writer waits for a short while).
// An object that is destroyed without Commit changes nothing.
class JournalUpdate {
public:
    JournalUpdate() = default;
    ~JournalUpdate();
    JournalUpdate(const JournalUpdate&) = delete;
    JournalUpdate& operator=(const JournalUpdate&) = delete;

    bool Prepare(const std::string& PagePath);
    bool Commit();
    void Revert();

private:
    void Discard();
    int folderLock_ = -1;
    int tempFd_ = -1;
    std::string tempPath_;
    std::string target_;  // the journal, or the file its link leads to
    bool existed_ = false;
    bool committed_ = false;
    std::string previous_;
};

// The non-empty lines of the journal, in file order (at most 200).
struct JournalState {
    std::vector<std::string> JournalEntries;
};
extern JournalState Journal;

// Fills Journal.JournalEntries from the journal file (CR LF or LF lines,
// empty lines ignored). A missing journal gives an empty list.
void LoadJournal();

// After an upload ended (UploadState positive): state back to -1, no
// background worker, and the journal rewritten (CR LF) without the pages
// that were sent and are still on disk as they were sent. Every other line
// stays: pages still queued, pages the run left out, pages whose journal
// time is later than the upload's start, and pages changed since they were
// read for sending (whatever the second).
void PurgeJournal();

// Path and time of a journal line: the text before the first "|" and the
// number after it (0 when there is no "|" or no number).
std::string JournalLinePath(const std::string& line);
std::int64_t JournalLineTime(const std::string& line);

// Upload state shared by the journal window (main thread) and the upload
// worker. Queue entries are "path|server name|remote folder".
struct UploadShared {
    // -1 idle, 0 an upload runs, 1 aborted by the user, 2 the worker finished.
    std::atomic<int> UploadState{0};
    // Local time (LocalNowSeconds) at which the running upload started.
    std::atomic<std::int64_t> UploadStartTime{0};
    // Identifies the background worker that runs (upload or update check);
    // 0 when none runs.
    std::atomic<std::uint64_t> BackgroundThread{0};

    // Entry i of the queue, or "" past its end (the end marker).
    std::string At(std::size_t i) const;
    // The first entry, if any (it stays in the queue).
    std::optional<std::string> First() const;
    // Writes slot i: replaces an entry, or appends when i is the size.
    // False when i is past the end.
    bool SetAt(std::size_t i, std::string entry);
    // Appends (the queue grows as needed, no entry is ever dropped).
    bool Push(std::string entry);
    // Removes entry i; later entries move up by one.
    void RemoveAt(std::size_t i);
    // Removes the first entry equal to entry; false when there is none.
    bool Remove(const std::string& entry);
    // Removes and returns the first entry.
    std::optional<std::string> TakeFirst();
    // True when some entry begins with prefix.
    bool AnyBeginsWith(const std::string& prefix) const;
    std::vector<std::string> Snapshot() const;
    std::size_t Size() const;
    void Clear();

    // Pages of the journal that the current run does not send (not ticked,
    // or refused): PurgeJournal keeps them. Replaced at the start of a run.
    void KeepUnsent(std::vector<std::string> paths);
    bool IsKeptUnsent(const std::string& path) const;

    // A new run: the queue becomes exactly these entries (nothing of an
    // earlier run stays behind them) and the record of sent files is
    // emptied.
    void StartRun(std::vector<std::string> entries);
    // The worker sent this page whole, read as `identity`.
    void RecordSent(const std::string& path, const FileIdentity& identity);
    // How the page was when this run sent it; nothing when it was not sent.
    std::optional<FileIdentity> SentAs(const std::string& path) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> UploadQueue;
    std::vector<std::string> keptUnsent_;
    std::vector<std::pair<std::string, FileIdentity>> sent_;
};
extern UploadShared Upload;

}  // namespace kestrova
