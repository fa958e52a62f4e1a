// Progress of long work on one line of the error stream, rewritten in place
// (carriage return, then erase to the end of the line). Shown only when
// enabled: the error stream is a terminal and --quiet was not given.
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

namespace kestrova::cli {

class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool enabled);
    ~ProgressLine();  // clears the line
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool Enabled() const { return enabled_; }
    // Replaces the line by text (UTF-8, cut to the width of a terminal line).
    void Show(const std::string& text);
    // Erases the line, before other output goes to the terminal.
    void Clear();

private:
    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
};

// "[3/10] name 42%" with the parts that are known.
std::string ProgressText(std::size_t done, std::size_t total, const std::string& name, int percent);

}  // namespace kestrova::cli
