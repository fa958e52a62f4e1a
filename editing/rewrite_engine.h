// The rewrite engine: every change the program makes to a page, and the
// word searches the editors run inside a page. Each operation is one walk of
// Page.CurrentPagePath by WalkPage with a piece handler of this file; a walk
// in write mode rewrites the page, and the walker takes the backup and writes
// the journal line when (and only when) the page really changed.
//
// The engine does not re-analyse the page; its callers decide when to.
// All texts are Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "base/ui_port.h"

namespace kestrova {

// Operation codes, the first handler argument. Compared exactly.
inline constexpr char OpListe[] = "Liste";                  // read only: list or read values
inline constexpr char OpPhrase[] = "Phrase";                // read only: the whole text holding a word
inline constexpr char OpToutRemplacer[] = "ToutRemplacer";  // replace a whole value
inline constexpr char OpAddAlt[] = "AddAlt";                // add or replace the alt of a matched image
inline constexpr char OpAjoute[] = "Ajoute";                // put a value in front of a meta content list
inline constexpr char OpSup[] = "Sup";                      // remove a value from a meta content list

// Whether a walk for the operation writes the page: every code but the
// searches "Liste" and "Phrase", which never lock the page nor write a copy.
bool OperationWrites(const std::string& Operation);

// Result markers.
inline constexpr char ResultOk[] = "OK";                 // a value was added or removed
inline constexpr char ResultEmptyMeta[] = "balisevide";  // the meta tag exists, its content is empty

// Refusal of an edit that needs a stretch of the page the walker could not
// read whole (a piece longer than it reads), shown before nothing is written.
inline constexpr char LongPieceRefusal[] =
    "Une balise ou un texte de cette page est trop long pour \xEAtre lu, la page "
    "n'a pas \xE9t\xE9 modifi\xE9"
    "e !!!";

// How a "/" inside one word of a "/"-separated word list is written.
inline constexpr char TempSlash[] = "!tempslash!";

// The edit state: one value for the whole program (only one walk runs at a time).
struct EditState {
    // Result of the last EditMeta, EditAttribute or EditText.
    std::string EditResult;
    // Absolute position of the last accepted match; a match is only accepted
    // beyond it. Set to 0 to search from the top of the page.
    std::int64_t LastMatchPosition = 0;
    // 1-based position of that match inside the text that was searched.
    std::int64_t LastMatchStart = 0;
    // Length of the word that matched.
    std::int64_t LastMatchLength = 0;
    // Set by EditMeta before a write walk; cleared when the named tag exists.
    bool MetaMissing = false;
    // The user answered "Oui pour toutes": missing meta tags are created
    // without asking. The site-wide update's file choice clears it.
    bool YesToAll = false;
};

extern EditState Edit;

// Clears the whole edit state (tests, start-up).
void ResetEditState();

// ---- word lists ----

// One word as it goes into a word list: every "/" written as "!tempslash!".
std::string EncodeListWord(const std::string& word);
// The reverse: every "!tempslash!" back to "/".
std::string DecodeListWord(const std::string& word);

// The text to show or export for an EditMeta result: "balisevide" is an
// internal marker and reads as an empty content. Other texts come back as
// they are.
std::string DisplayEditResult(const std::string& result);

// ---- search ----

// Whole-word search of the words of Words (separated by "/") in Text,
// case-insensitive, beyond Edit.LastMatchPosition (a match at position P of
// Text counts as Offset + P + 1). The earliest match wins, the earlier word
// of the list on a tie. On a match it updates LastMatchPosition,
// LastMatchStart and LastMatchLength and returns, by Mode: "Liste" a context
// line (30 characters before, the word in capitals, 30 after); "Phrase",
// "ToutRemplacer", "AddAlt" Text itself; any other mode "". Without a match it
// returns "" and leaves the state unchanged.
std::string FindNextMatch(const std::string& Mode, std::int64_t Offset, const std::string& Text,
                          const std::string& Words);

// ---- operations ----

// Reads or changes the content of the meta tag named MetaName (a prefix
// comparison: "keywords" also takes "keywords2"). Operations "Liste",
// "Ajoute", "Sup", "ToutRemplacer". When a write finds no such tag, asks
// whether to create it (unless YesToAll), inserts it after <head> and runs the
// operation again. Returns Edit.EditResult: "OK" after "Ajoute"/"Sup", the old
// content (or "balisevide") after "ToutRemplacer" and "Liste", "" otherwise.
// A name that a tag cannot hold between double quotes (empty, white space,
// quotes, "<", ">", "=") does nothing and gives "".
std::string EditMeta(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& Value,
                     const std::string& MetaName);

// The title and the description saved together: one change of the page
// (one backup, one history version, one journal line), or none when either
// cannot be written. True when the page holds both.
bool SaveTitleAndDescriptionTogether(ui::WindowId OwnerWindow, const std::string& title,
                                     const std::string& description);

// Image sources, background images and alt texts. AttributeSpec is a list of
// designators separated by "/", then "|", then a word list, e.g.
// "img src/background|" + word or "alt|". Operations "Liste", "Phrase",
// "ToutRemplacer", "AddAlt". Returns designator + "|" + value, or "".
std::string EditAttribute(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& AttributeSpec,
                          const std::string& NewValue);

// Text runs (never the title). Operations "Liste", "Phrase", "ToutRemplacer".
std::string EditText(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& Words,
                     const std::string& NewText);

// Writes NewTitle (entity-encoded) as the page title: a write walk with
// ReplaceTitleHandler that also sets the owner window's title. Returns the
// walk's result (1 success, 0 failure).
int ReplaceTitle(const std::string& NewTitle, ui::WindowId OwnerWindow = ui::MainWindowId);

// The creation question: 1 yes, 2 yes to all, 0 no (closed, Escape).
int AskYesNoAll(ui::WindowId OwnerWindow, const std::string& Title, const std::string& Text);

// ---- piece handlers (for WalkPage) ----

// Arg1 Operation, Arg2 Value, Arg3 MetaName.
void MetaHandler(std::int64_t PieceOffset, const std::string& Operation, const std::string& Value,
                 const std::string& MetaName);
// Arg1 Operation, Arg2 AttributeSpec, Arg3 NewValue.
void AttributeHandler(std::int64_t PieceOffset, const std::string& Operation, const std::string& AttributeSpec,
                      const std::string& NewValue);
// Arg1 Operation, Arg2 Words, Arg3 NewText.
void TextHandler(std::int64_t PieceOffset, const std::string& Operation, const std::string& Words,
                 const std::string& NewText);
// Arg1 NewTitle; Arg2 and Arg3 unused.
void ReplaceTitleHandler(std::int64_t PieceOffset, const std::string& NewTitle, const std::string& Unused2,
                         const std::string& Unused3);

}  // namespace kestrova
