// A path that names something inside a folder, written relative to it.
// Header-only: the update helper program, which links nothing of ours, uses
// it too.
#pragma once

#include <string>

namespace kestrova {

// True for a relative path that stays inside its folder: not absolute, no
// drive, no ".." part, not ending in a separator. "/" and "\" both separate.
inline bool IsRelativeInside(const std::string& path)
{
    if (path.empty() || path.front() == '/' || path.front() == '\\' || path.find(':') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == ".." || (end == path.size() && part.empty()))
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace kestrova
