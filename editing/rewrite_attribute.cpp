// Image references, background images and alternative texts: finding an
// attribute value by its designator ("img src": src anywhere in an img
// element; "background", "alt": on any element), replacing it, and giving
// the image an alt text.
#include "base/text_rules.h"
#include "editing/image_tags.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "editing/rewrite_positions.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

using namespace rewrite;

namespace {

// Gives the tag the alt text newAlt (already made quote-safe) next to the
// matched value whose attribute ends at attributeEnd (its closing quote, or
// the last character of a bare value; 0: a quote never closed).
void SetAltText(std::string& tag, Pos attributeEnd, const std::string& newAlt)
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
    if (attributeEnd == 0)
        return;
    tag = Left(tag, attributeEnd) + " alt=\"" + newAlt + "\" " + From(tag, attributeEnd + 1);
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
    const std::string designators = AttributeSpec.substr(0, bar);
    const std::string words = AttributeSpec.substr(bar + 1);
    // Positions count from the start of the tag piece: "<" is at pieceStart,
    // the tag's character p at pieceStart + p.
    const std::int64_t pieceStart = PieceStart(PieceOffset, Page.CurrentText, tag);

    // The attribute found, kept apart: the tag is changed after the walk
    // over its attributes.
    TagAttribute hit;
    std::string hitName;
    std::string found;
    ForEachTagAttribute(tag, [&](const TagAttribute& a) {
        if (!a.HasValue)
            return true;
        std::string name = ListedDesignator(tag, a, designators);
        if (name.empty())
            return true;
        const std::string value = AttributeValue(tag, a);
        const std::int64_t position = pieceStart + a.ValueStart + 1;
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
            return true;
        hit = a;
        hitName = std::move(name);
        return false;
    });
    if (found.empty())
        return;

    // The end of the attribute: its closing quote, or the last character of
    // a bare value; 0 for a quote that is never closed.
    const Pos attributeEnd = hit.Quote == 0 ? hit.ValueEnd : hit.Closed ? hit.ValueEnd + 1 : 0;
    if (Operation == OpToutRemplacer) {
        if (hit.Quote == '"')
            tag = Left(tag, hit.ValueStart - 1) + QuoteSafe(NewValue) + From(tag, hit.ValueEnd + 1);
        else if (hit.Quote == '\'' && hit.Closed)
            tag = Left(tag, hit.ValueStart - 2) + "\"" + QuoteSafe(NewValue) + "\"" + From(tag, hit.ValueEnd + 2);
        else if (hit.Quote == 0)
            tag = Left(tag, hit.ValueStart - 1) + "\"" + QuoteSafe(NewValue) + "\"" + From(tag, hit.ValueEnd + 1);
        else  // a single quote never closed: the value runs to the end of the tag
            tag = Left(tag, hit.ValueStart - 2) + "\"" + QuoteSafe(NewValue) + "\"";
    } else if (Operation == OpAddAlt) {
        SetAltText(tag, attributeEnd, QuoteSafe(NewValue));
    }
    Edit.EditResult = hitName + "|" + found;
}

std::string EditAttribute(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& AttributeSpec,
                          const std::string& NewValue)
{
    Edit.EditResult.clear();
    const bool write = OperationWrites(Operation);
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
