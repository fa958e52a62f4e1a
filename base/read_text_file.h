// Reading a whole text file as single-byte text.
#pragma once

#include <string>

namespace kestrova::ui {

// The whole file, read in blocks of 10,000 bytes, each block taken up to its
// first zero byte (a zero byte cuts only its own block). "" when the file
// cannot be opened. The path is in file-system bytes.
std::string ReadTextFile(const std::string& path);

}  // namespace kestrova::ui
