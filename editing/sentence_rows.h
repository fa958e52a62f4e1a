// The places of the current page where a word occurs, as the sentences
// window lists them: text runs, image names and alternative texts, meta tag
// contents; reading one place whole and writing it back. Texts are
// Windows-1252.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/ui_port.h"

namespace kestrova {

enum class SentenceKind { Text, Image, Alt, Meta };

struct SentenceRow {
    SentenceKind Kind = SentenceKind::Text;
    // "img src" or "background" for an image, "alt", the catalogue name of a
    // meta tag, "" for a text run.
    std::string Origin;
    // The context line of a text or meta row, the whole value of an image or
    // alt row.
    std::string Extract;
    // Text, image and alt rows: the cursor from which the row is found again,
    // and the word it is found by.
    std::int64_t Position = 0;
    std::string Word;
};

// Most text rows, and most image rows, listed.
inline constexpr int MaxSentenceRows = 999;

// The rows for word: text rows, then image and alt rows, then meta rows.
std::vector<SentenceRow> BuildSentenceRows(ui::WindowId owner, const std::string& word);

// What the editing field shows for a row.
struct SentenceField {
    std::string Text;
    // 1-based selection, end excluded; Select false when nothing is selected.
    bool Select = false;
    int SelectionStart = 0;
    int SelectionEnd = 0;
    // The French key of the line under the field, with what goes in front of
    // it: designator + " = " + "Nom d'image", "alt = " + "Commentaire
    // d'image", or a meta tag's description.
    std::string CaptionPrefix;
    std::string CaptionKey;
};

// Reads row r whole (one walk). word is the word the window was opened for.
SentenceField LoadSentenceRow(ui::WindowId owner, const std::vector<SentenceRow>& rows, std::size_t r,
                              const std::string& word);

// Renames an image (new name, old name) and returns 0, 1 or 2 as RenameImage.
using SentenceImageRenamer = std::function<int(const std::string& newSrc, const std::string& oldSrc)>;

// Writes text as the new content of row r and updates the rows. Returns true
// when the page changed.
bool SaveSentenceRow(ui::WindowId owner, std::vector<SentenceRow>& rows, std::size_t r, const std::string& text,
                     const SentenceImageRenamer& rename);

// The second word of a text: after the first space, up to the next space or
// the end; the whole text when it has no space.
std::string SecondWord(const std::string& text);

}  // namespace kestrova
