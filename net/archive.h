// Reading the update archive (ZIP).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// Extracts the entries of the ZIP archive whose file names match the
// pattern ("*" and "?" wildcards, case-insensitive; "" means "*.*", and a
// name without a full stop matches as if it ended with one) into the folder,
// created with its parents when the first file is written. With keepFolders
// false each file goes to the folder under its bare name; with it true the
// entry's folders are recreated below the folder. Each written file gets
// the entry's date and time. Returns the number of files written, 0 when
// the archive cannot be opened, or when any entry name is absolute or has a
// ".." part: such an archive is refused before anything is written.
int ExtractArchive(const std::string& archive, const std::string& pattern, const std::string& folder, bool keepFolders);

// Limits on what an extraction may write.
struct ExtractLimits {
    // Only entries whose bare name equals one of these (case-insensitive)
    // are extracted; empty means every entry that matches the pattern.
    std::vector<std::string> Names;
    // The most bytes written in all, counted while inflating (the sizes the
    // archive's headers announce are never trusted); 0 means no limit.
    std::uint64_t MaxTotalBytes = 0;
};

struct ExtractOutcome {
    int Written = 0;          // files written
    bool TooLarge = false;    // the total passed MaxTotalBytes: nothing is kept
    bool Damaged = false;     // an entry failed its check while being read
    bool Unreadable = false;  // not an archive, or an entry name is unsafe
};

// ExtractArchive (pattern "*.*", folders dropped) with limits. Entries are
// inflated block by block straight to their files, so memory stays small
// whatever an entry holds or its header claims. When the total passes the
// limit the extraction stops and the files written by it are removed.
ExtractOutcome ExtractArchiveWithLimits(const std::string& archive, const std::string& folder,
                                        const ExtractLimits& limits);

// Converts an entry name from the archive's code page 437 to Windows-1252:
// the letters above byte 128 become their Windows-1252 letters, the other
// bytes above 128 become spaces; bytes up to 128 stay.
std::string ConvertArchiveName(const std::string& name);

// True when the wildcard pattern matches the file name (see ExtractArchive).
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace kestrova
