#include "site/page_source.h"

#include <sys/stat.h>

#include <cstdlib>

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
