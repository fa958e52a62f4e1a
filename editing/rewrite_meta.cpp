// Meta tags: reading a named meta tag's content, replacing it, adding a value
// in front of its comma-separated list or removing one, and creating the tag
// after <head> when it is missing.
#include <optional>

#include "base/text_rules.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "editing/rewrite_positions.h"
#include "page/page_change.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

using namespace rewrite;

namespace {

// True when the (lower-cased) tag is a meta element. Only the element name
// counts: an anchor or a comment that merely mentions "meta" somewhere must
// not have its attributes rewritten as if it were one.
bool IsMetaElement(const std::string& lowTag)
{
    Pos p = 1;
    while (IsTagSpace(At(lowTag, p)))
        ++p;
    if (Mid(lowTag, p, 4) != "meta")
        return false;
    const char after = At(lowTag, p + 4);
    return after == '\0' || IsTagSpace(after) || after == '/';
}

// An unquoted attribute value that would not survive being written bare.
bool NeedsQuotes(const std::string& value)
{
    if (value.empty())
        return true;
    for (char c : value)
        if (IsTagSpace(c) || c == '=' || c == '`')
            return true;
    return false;
}

// A value as it is written into a content attribute: entity-encoded, with
// every line end first made a line feed, which the encoding writes as
// "&nbsp;". A carriage return left in a quoted value would end the quoted run
// for the page walker, which would then read the rest of the page wrongly.
std::string EncodeContent(const std::string& value)
{
    std::string text = ReplaceAll(value, "\r\n", "\n");
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    return EncodeEntities(text);
}

// Removes Value from the comma-separated list framed by the quote q at both
// ends of framed (the content value with its quotes; a bare value is framed
// in double quotes by the caller). The frame itself is never cut. Returns
// true when the list was changed.
bool RemoveListValue(std::string& framed, char q, const std::string& Value)
{
    if (Value.empty())
        return false;
    const std::string encoded = EncodeEntities(Value);
    const Pos close = Len(framed);  // the closing quote

    Pos S = 1;
    for (;;) {
        Pos P = FindFrom(framed, encoded, S + 1);
        Pos len = Len(encoded);
        if (P == 0) {
            P = FindFrom(framed, Value, S + 1);
            len = Len(Value);
        }
        // Only occurrences that lie wholly inside the value count.
        if (P == 0 || P + len > close)
            return false;
        const Pos found = P;

        Pos A = P + len;
        while (At(framed, A) == ' ')
            ++A;
        while (At(framed, P - 1) == ' ')
            --P;
        Pos B = P;
        while (At(framed, B - 1) == '\r' || At(framed, B - 1) == '\n')
            --B;

        const char before = At(framed, B - 1);
        const char atA = At(framed, A);
        // (An "=" inside the value, as in "x=a", starts no item: only the
        // opening quote or a comma does.)
        const bool itemStart = (before == q && B - 1 == 1) || before == ',';
        const bool itemEnd = (atA == q && A == close) || atA == '\n' || atA == '\r' || atA == ',';
        if (!itemStart || !itemEnd) {
            // Not a whole list item: look further on. Every search from
            // before this occurrence would find it again, so go past it.
            S = found;
            continue;
        }

        while (At(framed, A) == ',' || (P == 2 && At(framed, A) == ' '))
            ++A;
        // The last item: drop the separator in front of it as well, line
        // breaks included, so that no empty item is left at the end.
        if (A == close)
            while (P > 2 && (At(framed, P - 1) == ' ' || At(framed, P - 1) == ',' || At(framed, P - 1) == '\r' ||
                             At(framed, P - 1) == '\n'))
                --P;

        framed = Left(framed, P - 1) + From(framed, A);
        return true;
    }
}

// A meta name that a created tag can hold as name="..." and that the name
// check then finds again: no white space, quotes or tag delimiters.
bool IsWritableMetaName(const std::string& name)
{
    if (name.empty())
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '\'' || c == '<' || c == '>' || c == '=')
            return false;
    return true;
}

}  // namespace

void MetaHandler(std::int64_t, const std::string& Operation, const std::string& Value, const std::string& MetaName)
{
    std::string& tag = Page.CurrentTag;
    if (tag.empty() || MetaName.empty())
        return;

    // Identify: a meta element with a name (or else http-equiv) attribute.
    const std::string t = ToLower(tag);
    if (!IsMetaElement(t))
        return;
    TagAttribute named;
    if (!FindTagAttribute(t, "name", named) && !FindTagAttribute(t, "http-equiv", named))
        return;
    if (!named.HasValue)
        return;

    // Name check (a prefix comparison), past any spaces inside the quotes.
    Pos q = named.ValueStart;
    while (At(t, q) == ' ')
        ++q;
    const std::string wanted = ToLower(MetaName);
    if (Mid(t, q, Len(wanted)) != wanted)
        return;

    // From here on the tag counts as present.
    Edit.MetaMissing = false;

    // The content attribute. A bare "content" with no value gives nothing to
    // read or change: writing at the end of the tag would glue the value
    // onto the word.
    TagAttribute content;
    if (!FindTagAttribute(t, "content", content) || !content.HasValue)
        return;
    const char quote = content.Quote;
    Pos VS = content.ValueStart;
    if (quote != 0)
        while (At(tag, VS) == ' ')
            ++VS;
    const Pos I = VS - 1;  // insertion point

    // End of the value: its closing quote (the end of the tag when it is
    // never closed), or for a bare value the first white space or double
    // quote.
    Pos E = 0;
    if (quote != 0) {
        E = content.Closed ? content.ValueEnd + 1 : Len(tag) + 1;
    } else {
        E = VS;
        while (E <= Len(tag) && !IsTagSpace(At(tag, E)) && At(tag, E) != '"')
            ++E;
    }
    const bool hasContent = E > VS;
    const std::string separator = hasContent ? ", " : "";

    // A bare value that gains spaces (", ") or becomes empty is written in
    // double quotes, otherwise the rest of it would turn into attributes.
    auto writeValue = [&](const std::string& newValue) {
        if (quote == 0 && NeedsQuotes(newValue))
            tag = Left(tag, I) + "\"" + newValue + "\"" + From(tag, E);
        else
            tag = Left(tag, I) + newValue + From(tag, E);
    };

    if (Operation == OpAjoute) {
        writeValue(EncodeContent(Value) + separator + Mid(tag, VS, E - VS));
        Edit.EditResult = ResultOk;
        return;
    }
    if (Operation == OpSup) {
        // The whole value with its quotes (leading spaces inside them
        // included); a bare value is framed in double quotes for the search.
        const Pos open = quote != 0 ? content.ValueStart : VS;
        const char frame = quote != 0 ? quote : '"';
        std::string framed = std::string(1, frame) + Mid(tag, open, E - open) + std::string(1, frame);
        if (RemoveListValue(framed, frame, Value)) {
            if (quote != 0)
                tag = Left(tag, open - 1) + Mid(framed, 2, Len(framed) - 2) + From(tag, E);
            else
                writeValue(Mid(framed, 2, Len(framed) - 2));
            Edit.EditResult = ResultOk;
        }
        return;
    }

    // "ToutRemplacer" and every other code: read the old value.
    std::string old = DecodeEntities(TrimSpaces(Mid(tag, VS, E - VS)));
    Edit.EditResult = old.empty() ? std::string(ResultEmptyMeta) : old;
    if (Operation == OpToutRemplacer)
        writeValue(EncodeContent(Value));
}

std::string EditMeta(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& Value,
                     const std::string& MetaName)
{
    Edit.MetaMissing = false;
    Edit.EditResult.clear();
    // Without a name every meta tag would match, and a tag without a name
    // would be created; a name that cannot stand between double quotes in a
    // tag would be created as a broken tag.
    if (!IsWritableMetaName(MetaName))
        return Edit.EditResult;

    // The operation, then once more after creating the missing tag: a page
    // walked three times at most, and one question at most. The walks that
    // write are one change of the page: one backup of the page as it was,
    // one journal line, and nothing in the page before the last walk ends.
    const bool write = OperationWrites(Operation);
    ChangeActionScope action(MetaAction(MetaName));
    std::optional<PageChangeGroup> change;
    if (write)
        change.emplace(Page.CurrentPagePath, OwnerWindow);
    bool walked = true;
    for (int round = 0; round < 2; ++round) {
        Edit.MetaMissing = false;
        Edit.EditResult.clear();
        if (write)
            Edit.MetaMissing = true;

        if (!WalkPage(Page.CurrentPagePath,
                      WalkOptions{.Owner = OwnerWindow,
                                  .ShowProgress = true,
                                  .WriteCopy = write,
                                  .Arg1 = Operation,
                                  .Arg2 = Value,
                                  .Arg3 = MetaName},
                      MetaHandler)) {
            // Nothing was learnt about the tag.
            Edit.MetaMissing = false;
            walked = false;
            break;
        }
        if (!Edit.MetaMissing || round > 0)
            break;

        // The page has no such meta tag.
        Edit.EditResult.clear();
        const std::string fileName = DisplayFileName(Page.CurrentPagePath);
        if (Page.LongPieces > 0) {
            // A tag too long to be read may be this one: creating it would
            // give the page two.
            ui::Ui().ShowMessage(OwnerWindow, TranslateFrenchKey("Erreur sur ") + fileName,
                                 TranslateFrenchKey(LongPieceRefusal));
            break;
        }
        int answer = 1;
        if (!Edit.YesToAll) {
            // "La balise meta ''<name>'' n'existe pas encore dans cette page." LF
            // "Voulez-vous la créer ?"
            const std::string question = TranslateFrenchKey("La balise meta ''") + MetaName +
                                         TranslateFrenchKey("'' n'existe pas encore dans cette page.") + "\n" +
                                         TranslateFrenchKey("Voulez-vous la cr\xE9"
                                                            "er ?");
            answer = AskYesNoAll(OwnerWindow, fileName, question);
            if (answer == 2)
                Edit.YesToAll = true;
        }
        if (answer == 0)
            break;

        Page.MetaInserted = false;
        if (!WalkPage(Page.CurrentPagePath, WalkOptions{.Owner = OwnerWindow, .WriteCopy = true, .Arg1 = MetaName},
                      AddMetaAfterHead)) {
            walked = false;
            break;
        }
        if (!Page.MetaInserted) {
            ui::Ui().ShowMessage(OwnerWindow, fileName,
                                 TranslateFrenchKey("La balise ''<head>'' est absente de cette page !!!!"));
            break;
        }
        // The change now holds the empty tag: run the operation on it.
    }
    if (!write)
        return Edit.EditResult;
    // A tag created for an operation that then found nothing to do stays
    // created, as the user agreed to it. A failed walk or commit changes
    // nothing, and its result is no result.
    if (!walked) {
        change->Fail();
        Edit.EditResult.clear();
    } else if (!change->Commit()) {
        Edit.EditResult.clear();
    }
    return Edit.EditResult;
}

bool SaveTitleAndDescriptionTogether(ui::WindowId OwnerWindow, const std::string& title, const std::string& description)
{
    PageChangeGroup change(Page.CurrentPagePath, OwnerWindow);
    if (ReplaceTitle(title, OwnerWindow) == 0) {
        change.Fail();
        return false;
    }
    // A description the user declined to create leaves the title saved.
    EditMeta(OwnerWindow, OpToutRemplacer, description, "description");
    return change.Commit();
}

}  // namespace kestrova
