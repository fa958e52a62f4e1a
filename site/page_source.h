// The page source viewer's engine side: reading the page text, the
// case-insensitive search, and saving an edited text over the page through
// the same safe change as every other edit of a page (backup in
// "Sauvegarde", atomic replacement, journal line).
#pragma once

#include <cstddef>
#include <string>

namespace kestrova {

// The page as the viewer holds it.
struct PageSource {
    std::string Path;
    // The bytes of the file when it was opened or last saved; a save checks
    // that the file still holds them.
    std::string OnDisk;
    // The line end the editor's line breaks stand for: "\r\n" when the page
    // has one, else "\r" when it has a lone CR, else "\n".
    std::string LineEnd = "\n";
    // The page holds a zero byte, which the editor cannot keep: the text is
    // shown but never saved.
    bool HasZeroByte = false;
    // The page is UTF-8 (DetectPageFileEncoding): the editor holds its
    // characters and saves them back as UTF-8; else every byte is a
    // Windows-1252 character.
    bool Utf8 = false;
    // A UTF-8 page that holds bytes UTF-8 cannot read: the editor shows them
    // as replacement characters and could not write them back, so the text
    // is shown but never saved.
    bool InvalidUtf8 = false;
};

// Reads the page. False (source left empty) for a page that is empty or
// cannot be read.
bool LoadPageSource(const std::string& path, PageSource& source);

// The editor's text (line breaks as "\n") in the page's own line ends.
std::string WithPageLineEnds(const std::string& editorText, const std::string& lineEnd);
// The editor's text (line breaks as "\n") with each line's own end as the
// page text had it: the lines before the first changed line and after the
// last one keep theirs, a changed line keeps the end of the line in its place,
// and lines added take lineEnd.
std::string WithOwnLineEnds(const std::string& editorText, const std::string& pageText, const std::string& lineEnd);
// The page text with every line end made "\n", as the editor holds it.
std::string WithEditorLineEnds(const std::string& pageText);

enum class SourceSaveResult {
    Saved,          // backup taken, page replaced, journal written
    Unchanged,      // the page already holds the text: no trace left
    ChangedOnDisk,  // the page no longer holds source.OnDisk; nothing written
    Failed,         // backup or replacement failed; the page is as it was
};

// Saves bytes over the page, byte for byte (no line end added). When the
// page changed on disk since source.OnDisk was read, nothing is written and
// ChangedOnDisk is returned unless overwriteChanged. On success
// source.OnDisk becomes bytes.
SourceSaveResult SavePageSource(PageSource& source, const std::string& bytes, bool overwriteChanged);

// Windows-1252 lower case for the search: A-Z and the bytes 192 to 222.
std::string SearchLower(const std::string& text);
// The first position (0-based) at or after from where what occurs in text,
// both compared in SearchLower case; std::string::npos when none (no
// wrap-around).
std::size_t FindNoCase(const std::string& text, const std::string& what, std::size_t from);

}  // namespace kestrova
