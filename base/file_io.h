// Low-level file helpers shared by the page walker, the backups and journal,
// and the settings file: whole-file reads, complete writes, and the
// replacement of a file's content in one step, so that a crash or a full
// disk never leaves a file half written. Plain POSIX calls.
#pragma once

#include <sys/types.h>
#include <time.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kestrova {

// Reads the whole file into out (cleared first). False when it cannot be
// opened or a read fails.
bool ReadWholeFile(const std::string& path, std::string& out);

// Reads up to size bytes at offset, going on after short and interrupted
// reads. Returns the count read (less than size only at the end of the
// file), or -1 on a read error.
ssize_t ReadAt(int fd, char* data, std::size_t size, std::int64_t offset);

// Writes every byte, going on after short and interrupted writes. False on
// a write error.
bool WriteAll(int fd, const char* data, std::size_t size);
inline bool WriteAll(int fd, std::string_view data)
{
    return WriteAll(fd, data.data(), data.size());
}

// Copies the whole content of the file open as in (from its start, whatever
// its offset) to out. False on a read or write error.
bool CopyFileData(int in, int out);

// Flushes a folder's entry list ("" is the current folder), so that a
// rename in it survives a crash. Failures are ignored.
void SyncFolder(const std::string& folder);

// Creates an empty file with the permission bits mode where no file
// exists; an existing file is never opened, let alone truncated. False when
// nothing was created.
bool CreateEmptyFile(const std::string& path, mode_t mode);

// Temporary files of our own: ".kestrova-tmp-", eight lower-case letters or
// digits chosen at random, "-" and eight hexadecimal digits computed from
// them (the mark that tells our files from a file someone named alike), in
// the folder of the file they are to replace. A live one is held under an
// exclusive advisory lock (flock) by the process that writes it, so that a
// leftover of a crashed process can be told from a file being written.
inline constexpr char OwnTempPrefix[] = ".kestrova-tmp-";
// True for a file name that only CreateOwnTempFile makes.
bool IsOwnTempName(std::string_view name);
// The temporary name made of the given random part (eight lower-case
// letters or digits) and its mark.
std::string OwnTempName(std::string_view random);
// Creates a new temporary file in folder ("" is the current folder), open
// for reading and writing and locked; path receives its name. -1 on failure
// (errno tells why).
int CreateOwnTempFile(const std::string& folder, std::string& path);
// Removes from folder the temporary files of our own naming that no process
// holds and that were last written before notAfter (seconds and nanoseconds
// of the coarse real-time clock). Returns how many were removed.
int RemoveStrayTempFiles(const std::string& folder, const struct timespec& notAfter);
// The coarse real-time clock, the one file times are taken from.
struct timespec CoarseRealTime();

// Takes an exclusive advisory lock (flock) on the open file, waiting at most
// wait for another holder to let go (a zero wait tries once). False when
// the lock could not be had in time or the file system refuses it.
bool LockWithin(int fd, std::chrono::milliseconds wait);

// Writes the new content of a file to the open descriptor; false when it
// could not be written whole.
using FileContentWriter = std::function<bool(int fd)>;

// Replaces the file at path in one step: a temporary file in the same folder
// takes the permission bits mode and the content that write puts in it, is
// flushed to disk and renamed over path, and the folder is flushed. The old
// file is never removed first: when anything fails it stays as it was, the
// temporary file is removed and the result is false. A symbolic link at path
// is itself replaced, not followed.
bool ReplaceFileWith(const std::string& path, mode_t mode, const FileContentWriter& write);
// The same with the content given whole.
bool ReplaceFileContent(const std::string& path, std::string_view content, mode_t mode);

}  // namespace kestrova
