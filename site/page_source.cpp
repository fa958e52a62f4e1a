#include "site/page_source.h"

#include <sys/stat.h>

#include <cstdlib>

#include "base/file_io.h"
#include "base/paths.h"
#include "base/unicode_text.h"
#include "page/journal.h"
#include "page/page_encoding.h"

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

    // The file to replace is the page, or the file it links to.
    std::string target = source.Path;
    if (char* resolved = realpath(source.Path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat info {};
    if (stat(target.c_str(), &info) != 0)
        return SourceSaveResult::Failed;
    if (!WriteBackup(source.Path))
        return SourceSaveResult::Failed;
    if (!ReplaceFileContent(target, bytes, info.st_mode & 07777))
        return SourceSaveResult::Failed;
    AddJournalEntry(source.Path);
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
