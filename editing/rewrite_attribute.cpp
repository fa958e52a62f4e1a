// Image references, background images and alternative texts: finding a
// quoted attribute value by its designator ("src" right after "img",
// "background", "alt"), replacing it, and giving the image an alt text.
#include "base/text_rules.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "editing/rewrite_positions.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

using namespace rewrite;

namespace {

// Characters that end a designator word when walking back from an "=".
bool EndsDesignator(char c)
{
    return c == '<' || c == ' ' || c == '\n' || c == '\r';
}

// A value typed by the user, made safe to stand between double quotes: a
// double quote would end the value early, and a line break would end the
// quoted run for the page walker, which then takes a later ">" for part of
// the value and reads the rest of the page wrongly. A line break is written
// as a space.
std::string QuoteSafe(const std::string& value)
{
    std::string out = ReplaceAll(value, "\r\n", " ");
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return ReplaceAll(out, "\"", "&quot;");
}

// Gives the tag the alt text newAlt (already made quote-safe) next to the
// matched value whose closing quote is at closeQuote (0: not closed).
void SetAltText(std::string& tag, Pos closeQuote, const std::string& newAlt)
{
    TagAttribute alt;
    if (FindTagAttribute(tag, "alt", alt)) {
        // Replace the value in place, so that the tag keeps its layout and
        // giving the same text again changes nothing.
        if (!alt.HasValue)
            tag = Left(tag, alt.NameEnd) + "=\"" + newAlt + "\"" + From(tag, alt.NameEnd + 1);
        else if (alt.Quote == '"' && alt.Closed)
            tag = Left(tag, alt.ValueStart - 1) + newAlt + From(tag, alt.ValueEnd + 1);
        else if (alt.Quote == '\'' && alt.Closed)
            tag = Left(tag, alt.ValueStart - 2) + "\"" + newAlt + "\"" + From(tag, alt.ValueEnd + 2);
        else if (alt.Quote == 0)
            tag = Left(tag, alt.ValueStart - 1) + "\"" + newAlt + "\"" + From(tag, alt.ValueEnd + 1);
        // An alt whose quote is never closed is left alone.
        return;
    }
    // No alt yet: insert one right after the matched value.
    if (closeQuote == 0)
        return;
    tag = Left(tag, closeQuote) + " alt=\"" + newAlt + "\" " + From(tag, closeQuote + 1);
}

}  // namespace

void AttributeHandler(std::int64_t PieceOffset, const std::string& Operation, const std::string& AttributeSpec,
                      const std::string& NewValue)
{
    std::string& tag = Page.CurrentTag;
    if (!Edit.EditResult.empty() || tag.empty())
        return;
    const std::size_t bar = AttributeSpec.find('|');
    if (bar == std::string::npos)
        return;
    const std::string designators = "/" + AttributeSpec.substr(0, bar) + "/";
    const std::string words = AttributeSpec.substr(bar + 1);
    // Positions count from the start of the tag piece: "<" is at pieceStart,
    // the tag's character p at pieceStart + p.
    const std::int64_t pieceStart = PieceStart(PieceOffset, Page.CurrentText, tag);
    auto listed = [&](const std::string& name) { return designators.find("/" + name + "/") != std::string::npos; };

    for (Pos eq = FindFrom(tag, "="); eq != 0 && Edit.EditResult.empty(); eq = FindFrom(tag, "=", eq + 1)) {
        // The designator: the word before the "=", or that word with the one
        // before it ("img src").
        Pos NE = eq - 1;
        while (At(tag, NE) == ' ' || At(tag, NE) == '\r' || At(tag, NE) == '\n')
            --NE;
        if (NE <= 0)
            continue;
        Pos NS = NE;
        while (NS > 0 && !EndsDesignator(At(tag, NS)))
            --NS;
        std::string name = ToLower(Mid(tag, NS + 1, NE - NS));
        if (!listed(name)) {
            if (NS > 0)
                --NS;
            while (NS > 0 && !EndsDesignator(At(tag, NS)))
                --NS;
            name = ToLower(Mid(tag, NS + 1, NE - NS));
            if (!listed(name))
                continue;
        }

        // Only double-quoted values are handled.
        Pos p = NE + 1;
        while (At(tag, p) == ' ' || At(tag, p) == '=')
            ++p;
        if (At(tag, p) != '"')
            continue;
        const Pos VS = p + 1;
        const Pos closeQuote = FindFrom(tag, "\"", VS);
        const Pos VE = closeQuote != 0 ? closeQuote - 1 : Len(tag);
        const std::string value = DecodeEntities(TrimSpaces(Mid(tag, VS, VE - VS + 1)));

        const std::int64_t position = pieceStart + VS + 1;
        std::string found;
        if (Operation == OpListe) {
            if (!value.empty() && position > Edit.LastMatchPosition) {
                found = value;
                Edit.LastMatchPosition = position;
            }
        } else if (position > Edit.LastMatchPosition) {
            // The cursor steps from value to value, and a value counts at the
            // number a "Liste" walk records for it. So a caller that lists
            // the images and then sets the cursor to one past an image acts on
            // the next image, even when the word also stands inside the
            // earlier value ("logo.gif" in "images/logo.gif"), and a value
            // holding the word twice is found once.
            const std::int64_t cursor = Edit.LastMatchPosition;
            Edit.LastMatchPosition = 0;
            found = FindNextMatch(Operation, position, value, words);
            Edit.LastMatchPosition = found.empty() ? cursor : position;
        }
        if (found.empty())
            continue;

        if (Operation == OpToutRemplacer)
            tag = Left(tag, VS - 1) + QuoteSafe(NewValue) + From(tag, VE + 1);
        else if (Operation == OpAddAlt)
            SetAltText(tag, closeQuote, QuoteSafe(NewValue));
        Edit.EditResult = name + "|" + found;
    }
}

std::string EditAttribute(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& AttributeSpec,
                          const std::string& NewValue)
{
    Edit.EditResult.clear();
    const bool write = Operation != OpListe;
    // An image's address changes in a rename; an alt text otherwise.
    const bool imageAddress = Operation != OpAddAlt && AttributeSpec.rfind(ImageDesignators, 0) == 0;
    ChangeActionScope action(imageAddress ? history_action::ImageRename : history_action::AltText);
    const int walked = WalkPage(Page.CurrentPagePath,
                                WalkOptions{.Owner = OwnerWindow,
                                            .ShowProgress = true,
                                            .WriteCopy = write,
                                            .Arg1 = Operation,
                                            .Arg2 = AttributeSpec,
                                            .Arg3 = NewValue},
                                AttributeHandler);
    // A change that did not reach the page is no result.
    if (write && !walked)
        Edit.EditResult.clear();
    return Edit.EditResult;
}

}  // namespace kestrova
