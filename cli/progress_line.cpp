#include "cli/progress_line.h"

#include <ostream>

namespace kestrova::cli {

namespace {

constexpr std::size_t LineWidth = 79;

// At most width characters of UTF-8 text, never cutting one in two; the
// start is dropped, the end (a file name) kept.
std::string LastCharacters(const std::string& text, std::size_t width)
{
    std::size_t count = 0;
    std::size_t i = text.size();
    while (i > 0) {
        std::size_t start = i - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
        if (++count > width)
            return "..." + text.substr(i);
        i = start;
    }
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}

ProgressLine::~ProgressLine()
{
    Clear();
}

void ProgressLine::Show(const std::string& text)
{
    if (!enabled_)
        return;
    std::string line;
    for (char c : text)
        line += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    err_ << '\r' << LastCharacters(line, LineWidth - 3) << "\x1b[K" << std::flush;
    shown_ = true;
}

void ProgressLine::Clear()
{
    if (!shown_)
        return;
    err_ << "\r\x1b[K" << std::flush;
    shown_ = false;
}

std::string ProgressText(std::size_t done, std::size_t total, const std::string& name, int percent)
{
    std::string text;
    if (total > 0)
        text = "[" + std::to_string(done) + "/" + std::to_string(total) + "] ";
    text += name;
    if (percent >= 0)
        text += " " + std::to_string(percent) + "%";
    return text;
}

}  // namespace kestrova::cli
