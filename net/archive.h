// Reading the update archive (ZIP).
#pragma once

#include <string>

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

// Converts an entry name from the archive's code page 437 to Windows-1252:
// the letters above byte 128 become their Windows-1252 letters, the other
// bytes above 128 become spaces; bytes up to 128 stay.
std::string ConvertArchiveName(const std::string& name);

// True when the wildcard pattern matches the file name (see ExtractArchive).
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace kestrova
