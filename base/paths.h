// Path helpers: the parts of a page path, and a file name as the program's
// texts show it.
#pragma once

#include <string>

namespace kestrova {

// The last path component of a path.
std::string FileNameOf(const std::string& path);
// The last path component as it is shown in the program's texts (messages,
// window titles, the export): file names are the file system's UTF-8 bytes,
// texts are Windows-1252, so the name is converted (a character Windows-1252
// cannot hold becomes '?'; a name that is not UTF-8 is kept as it is).
std::string DisplayFileName(const std::string& path);
// Everything up to and including the last path separator ("" when none).
std::string FolderOf(const std::string& path);

}  // namespace kestrova
