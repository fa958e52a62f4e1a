#include "site/page_source.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "base/paths.h"
#include "base/unicode_text.h"
#include "page/journal.h"
#include "page/page_change.h"
#include "page/page_encoding.h"
#include "page/page_history.h"

namespace kestrova {

bool LoadPageSource(const std::string& path, PageSource& source)
{
    source = PageSource{};
    std::string bytes;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0 || !ReadWholeFile(path, bytes) ||
        bytes.empty())
        return false;
    source.Path = path;
    source.HasZeroByte = bytes.find('\0') != std::string::npos;
    source.Utf8 = DetectPageFileEncoding(path) == PageEncoding::Utf8;
    source.InvalidUtf8 = source.Utf8 && !IsValidUtf8(bytes);
    if (bytes.find("\r\n") != std::string::npos)
        source.LineEnd = std::string("\r\n");  // a temporary: GCC 12 warns wrongly on "= literal" here
    else if (bytes.find('\r') != std::string::npos)
        source.LineEnd = std::string("\r");
    source.OnDisk = std::move(bytes);
    return true;
}

std::string WithPageLineEnds(const std::string& editorText, const std::string& lineEnd)
{
    if (lineEnd == "\n")
        return editorText;
    std::string out;
    out.reserve(editorText.size() + editorText.size() / 16);
    for (char c : editorText) {
        if (c == '\n')
            out += lineEnd;
        else
            out += c;
    }
    return out;
}

namespace {

struct PageLine {
    std::string_view Text;
    std::string_view End;  // "\r\n", "\r", "\n", or "" for the last line
};

std::vector<PageLine> SplitPageLines(std::string_view page)
{
    std::vector<PageLine> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] != '\r' && page[i] != '\n')
            continue;
        const std::size_t endLength = page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n' ? 2 : 1;
        lines.push_back({page.substr(start, i - start), page.substr(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    lines.push_back({page.substr(start), {}});
    return lines;
}

}  // namespace

std::string WithOwnLineEnds(const std::string& editorText, const std::string& pageText, const std::string& lineEnd)
{
    const std::vector<PageLine> old = SplitPageLines(pageText);
    std::vector<std::string_view> lines;
    const std::string_view text(editorText);
    for (std::size_t start = 0;;) {
        const std::size_t lf = text.find('\n', start);
        lines.push_back(text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start));
        if (lf == std::string_view::npos)
            break;
        start = lf + 1;
    }
    // The lines nobody touched: those before the first changed line and
    // after the last one keep their ends. Between them, a line keeps the end
    // of the line that stood in its place, as long as there was one; lines
    // added take the page's first style.
    const std::size_t n = old.size(), m = lines.size();
    std::size_t head = 0;
    while (head < n && head < m && old[head].Text == lines[head])
        ++head;
    std::size_t tail = 0;
    while (tail < n - head && tail < m - head && old[n - 1 - tail].Text == lines[m - 1 - tail])
        ++tail;
    std::string out;
    out.reserve(editorText.size() + editorText.size() / 16);
    for (std::size_t k = 0; k < m; ++k) {
        out += lines[k];
        if (k + 1 == m)
            break;
        std::string_view end;
        if (k < head)
            end = old[k].End;
        else if (k >= m - tail)
            end = old[n - (m - k)].End;
        else if (k < n - tail)
            end = old[k].End;
        out += end.empty() ? std::string_view(lineEnd) : end;
    }
    return out;
}

std::string WithEditorLineEnds(const std::string& pageText)
{
    std::string out;
    out.reserve(pageText.size());
    for (std::size_t i = 0; i < pageText.size(); ++i) {
        if (pageText[i] == '\r') {
            out += '\n';
            if (i + 1 < pageText.size() && pageText[i + 1] == '\n')
                ++i;
        } else {
            out += pageText[i];
        }
    }
    return out;
}

SourceSaveResult SavePageSource(PageSource& source, const std::string& bytes, bool overwriteChanged)
{
    // A page the journal cannot name, or a file of the program's own (the
    // online page), is never changed, backed up or journalled.
    if (!IsJournalSafePath(source.Path) || IsProgramOwnFile(source.Path))
        return SourceSaveResult::Failed;
    std::string current;
    const bool readable = ReadWholeFile(source.Path, current);
    if (readable && current == bytes) {
        source.OnDisk = bytes;
        return SourceSaveResult::Unchanged;
    }
    if ((!readable || current != source.OnDisk) && !overwriteChanged)
        return SourceSaveResult::ChangedOnDisk;

    // The same change as every edit: backup, history version, journal line
    // and the page replaced in one transaction.
    ChangeActionScope action(history_action::Source);
    PageChange change(source.Path, 0, false);
    if (!change.Begin())
        return SourceSaveResult::Failed;
    const int copy = change.NewCopy();
    if (copy < 0 || !WriteAll(copy, bytes)) {
        change.Abandon(ChangeOutcome::Failed);
        return SourceSaveResult::Failed;
    }
    change.StageCopy();
    if (!change.Commit())
        return SourceSaveResult::Failed;
    source.OnDisk = bytes;
    return SourceSaveResult::Saved;
}

std::string SearchLower(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 192 && b <= 222))
            c = static_cast<char>(b + 32);
    }
    return out;
}

std::size_t FindNoCase(const std::string& text, const std::string& what, std::size_t from)
{
    if (what.empty() || from > text.size())
        return std::string::npos;
    return SearchLower(text).find(SearchLower(what), from);
}

}  // namespace kestrova
