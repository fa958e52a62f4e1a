// The rewrite engine's shared state, the whole-word search, the text run and
// title rewrites and the creation question. The meta tag and attribute
// handlers live in rewrite_meta.cpp and rewrite_attribute.cpp.
#include "editing/rewrite_engine.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "editing/rewrite_positions.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

using namespace rewrite;

EditState Edit;

namespace {

// Set by TextHandler on the title start tag: the piece that follows it (the
// title text) is never matched. Kept apart from EditResult so that a text run
// that happens to read "title" is found like any other.
bool TitleRunPending = false;

// ReplaceTitleHandler: set on the title start tag, cleared once the title
// text is written. PageTitle holds the marker "--" meanwhile as well, but
// cannot be the test: a new title that reads "--" would leave the marker in
// place and make every later text run of the page the title.
bool TitleTextPending = false;
// The walker's count of over-long pieces when the title start tag came, and
// whether the title text was refused: a piece between the tag and its text
// was too long to be read, so the text the handler would replace is only the
// tail of the title.
std::int64_t LongPiecesAtTitle = 0;
bool TitleRefused = false;

}  // namespace

void ResetEditState()
{
    Edit = EditState{};
    TitleRunPending = false;
    TitleTextPending = false;
    TitleRefused = false;
}

bool OperationWrites(const std::string& Operation)
{
    return Operation != OpListe && Operation != OpPhrase;
}

std::string EncodeListWord(const std::string& word)
{
    return ReplaceAll(word, "/", TempSlash);
}

std::string DecodeListWord(const std::string& word)
{
    return ReplaceAll(word, TempSlash, "/");
}

std::string DisplayEditResult(const std::string& result)
{
    return result == ResultEmptyMeta ? std::string() : result;
}

std::string FindNextMatch(const std::string& Mode, std::int64_t Offset, const std::string& Text,
                          const std::string& Words)
{
    if (Text.empty() || Text == "|")
        return {};

    const std::string lowText = ToLower(Text);
    Pos bestPos = 0;
    std::string bestWord;

    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = Words.find('/', start);
        const std::string word =
            DecodeListWord(Words.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        // An empty piece of the list is a word that never matches.
        if (!word.empty()) {
            const std::string lowWord = ToLower(word);
            const Pos len = Len(lowWord);
            for (Pos p = FindFrom(lowText, lowWord, 1); p != 0; p = FindFrom(lowText, lowWord, p + 1)) {
                const bool openLeft = p == 1 || IsWordSeparator(At(Text, p - 1));
                const bool openRight = p + len > Len(Text) || IsWordSeparator(At(Text, p + len));
                if (openLeft && openRight && Offset + p + 1 > Edit.LastMatchPosition) {
                    // Strictly earlier only: on a tie the word listed first stays.
                    if (bestPos == 0 || p < bestPos) {
                        bestPos = p;
                        bestWord = word;
                    }
                    break;
                }
            }
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }

    if (bestPos == 0 || bestWord.empty() || Offset + bestPos + 1 <= Edit.LastMatchPosition)
        return {};

    const Pos len = Len(bestWord);
    Edit.LastMatchStart = bestPos;
    Edit.LastMatchLength = len;
    Edit.LastMatchPosition = Offset + bestPos + 1;

    if (Mode == OpListe) {
        // Up to 30 characters on each side, lower-cased, the word in capitals.
        const Pos from = std::max<Pos>(1, bestPos - 30);
        return ToLower(Mid(Text, from, bestPos - from)) + ToUpper(bestWord) + ToLower(Mid(Text, bestPos + len, 30));
    }
    if (Mode == OpPhrase || Mode == OpToutRemplacer || Mode == OpAddAlt)
        return Text;
    return {};
}

int AskYesNoAll(ui::WindowId OwnerWindow, const std::string& Title, const std::string& Text)
{
    switch (ui::Ui().AskYesNoAll(OwnerWindow, Title, Text)) {
        case ui::YesNoAll::Yes:
            return 1;
        case ui::YesNoAll::YesToAll:
            return 2;
        case ui::YesNoAll::No:
            break;
    }
    return 0;
}

// ---- text runs ----

namespace {

bool IsTitleTag(const std::string& tag)
{
    return !tag.empty() && ToLower(TrimSpaces(tag)) == "title";
}

}  // namespace

void TextHandler(std::int64_t PieceOffset, const std::string& Operation, const std::string& Words,
                 const std::string& NewText)
{
    const bool skipThisPiece = TitleRunPending;
    TitleRunPending = false;

    if (!skipThisPiece && Edit.EditResult.empty() && !Page.CurrentText.empty()) {
        std::string plain = Page.CurrentText;
        std::replace_if(
            plain.begin(), plain.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        plain = DecodeEntities(plain);
        const std::int64_t start = PieceStart(PieceOffset, Page.CurrentText, Page.CurrentTag);
        std::string found = FindNextMatch(Operation, start, plain, Words);
        if (!found.empty()) {
            // The whole run goes; the new text is written exactly as given.
            if (Operation == OpToutRemplacer)
                Page.CurrentText = NewText;
            Edit.EditResult = std::move(found);
        }
    }

    // The text that follows the title start tag is the page title: skip it.
    if (Edit.EditResult.empty() && IsTitleTag(Page.CurrentTag))
        TitleRunPending = true;
}

std::string EditText(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& Words,
                     const std::string& NewText)
{
    Edit.EditResult.clear();
    TitleRunPending = false;
    const bool write = OperationWrites(Operation);
    ChangeActionScope action(history_action::Text);
    const int walked = WalkPage(Page.CurrentPagePath,
                                WalkOptions{.Owner = OwnerWindow,
                                            .ShowProgress = true,
                                            .WriteCopy = write,
                                            .Arg1 = Operation,
                                            .Arg2 = Words,
                                            .Arg3 = NewText},
                                TextHandler);
    TitleRunPending = false;
    // A change that did not reach the page is no result.
    if (write && !walked)
        Edit.EditResult.clear();
    return Edit.EditResult;
}

// ---- title ----

namespace {

constexpr char TitleWaitMarker[] = "--";

}  // namespace

void ReplaceTitleHandler(std::int64_t, const std::string& NewTitle, const std::string&, const std::string&)
{
    if (IsTitleTag(Page.CurrentTag)) {
        Page.PageTitle = TitleWaitMarker;
        TitleTextPending = true;
        LongPiecesAtTitle = Page.LongPieces;
        return;
    }
    if (!TitleTextPending)
        return;
    if (Page.LongPieces != LongPiecesAtTitle) {
        TitleTextPending = false;
        TitleRefused = true;
        return;
    }
    if (!Page.CurrentText.empty()) {
        Page.PageTitle = EncodeEntities(NewTitle);
        Page.CurrentText = Page.PageTitle;
        TitleTextPending = false;
        return;
    }
    // An empty title element: the end tag comes while the title is still
    // awaited. Write the new title in front of it (the walker writes a
    // piece's text before its tag) instead of letting a later text run of the
    // page take the title's place.
    if (ToLower(TrimSpaces(Page.CurrentTag)) == "/title") {
        Page.PageTitle = EncodeEntities(NewTitle);
        Page.CurrentText = Page.PageTitle;
        TitleTextPending = false;
    }
}

int ReplaceTitle(const std::string& NewTitle, ui::WindowId OwnerWindow)
{
    TitleTextPending = false;
    TitleRefused = false;
    ChangeActionScope action(history_action::Title);
    const int result = WalkPage(
        Page.CurrentPagePath, WalkOptions{.Owner = OwnerWindow, .SetTitle = true, .WriteCopy = true, .Arg1 = NewTitle},
        ReplaceTitleHandler);
    TitleTextPending = false;
    if (TitleRefused) {
        // Nothing was written: the walk copied the page as it was.
        TitleRefused = false;
        ui::Ui().ShowMessage(OwnerWindow, TranslateFrenchKey("Erreur sur ") + DisplayFileName(Page.CurrentPagePath),
                             TranslateFrenchKey(LongPieceRefusal));
        return 0;
    }
    return result;
}

}  // namespace kestrova
