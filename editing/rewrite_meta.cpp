// Meta tags: reading a named meta tag's content, replacing it, adding a value
// in front of its comma-separated list or removing one, and creating the tag
// after <head> when it is missing.
#include "analysis/page_state.h"
#include "analysis/page_walker.h"
#include "analysis/text_rules.h"
#include "app/translate.h"
#include "editing/rewrite_engine.h"
#include "editing/rewrite_positions.h"

namespace kestrova {

using namespace rewrite;

namespace {

bool IsTagSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

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

// Removes Value from the comma-separated content starting at VS. Returns
// true when the tag was changed.
bool RemoveListValue(std::string& tag, Pos VS, const std::string& Value)
{
    if (Value.empty())
        return false;
    const std::string encoded = EncodeEntities(Value);

    // End of the content value.
    Pos contentEnd = FindFrom(tag, "\"", VS);
    if (contentEnd == 0)
        contentEnd = FindFrom(tag, " ", VS);
    if (contentEnd == 0)
        contentEnd = Len(tag) + 1;

    Pos S = VS - 2;
    for (;;) {
        Pos P = FindFrom(tag, encoded, S + 1);
        Pos len = Len(encoded);
        if (P == 0) {
            P = FindFrom(tag, Value, S + 1);
            len = Len(Value);
        }
        if (P == 0)
            return false;
        const Pos found = P;

        Pos A = P + len;
        while (At(tag, A) == ' ')
            ++A;
        while (At(tag, P - 1) == ' ')
            --P;
        Pos B = P;
        while (At(tag, B - 1) == '\r' || At(tag, B - 1) == '\n')
            --B;

        const char before = At(tag, B - 1);
        const char atA = At(tag, A);
        const bool itemStart = before == '"' || before == ',' || before == '=';
        const bool itemEnd = atA == '"' || atA == '\n' || atA == '\r' || atA == ',' || A == Len(tag) + 1;
        if (!itemStart || !itemEnd) {
            // Not a whole list item: look further on. Every search from
            // before this occurrence would find it again, so go past it.
            S = found;
            continue;
        }
        if (P >= contentEnd)
            return false;

        while (At(tag, A) == ',' || (At(tag, P - 1) == '"' && At(tag, A) == ' '))
            ++A;
        // The last item: drop the separator in front of it as well, line
        // breaks included, so that no empty item is left at the end.
        if (At(tag, A) == '"')
            while (At(tag, P - 1) == ' ' || At(tag, P - 1) == ',' || At(tag, P - 1) == '\r' || At(tag, P - 1) == '\n')
                --P;

        tag = Left(tag, P - 1) + From(tag, A);
        return true;
    }
}

}  // namespace

void MetaHandler(std::int64_t, const std::string& Operation, const std::string& Value, const std::string& MetaName)
{
    std::string& tag = Page.CurrentTag;
    if (tag.empty() || MetaName.empty())
        return;

    // Identify.
    const std::string t = ToLower(tag);
    if (!IsMetaElement(t))
        return;
    Pos A = FindFrom(t, "name");
    Pos attrLen = 4;
    if (A == 0) {
        A = FindFrom(t, "http-equiv");
        attrLen = 10;
    }
    if (A == 0)
        return;

    // Name check (a prefix comparison).
    Pos q = A + attrLen + 1;
    while (At(t, q) == ' ' || At(t, q) == '=')
        ++q;
    if (At(t, q) == '"')
        ++q;
    while (At(t, q) == ' ')
        ++q;
    const std::string wanted = ToLower(MetaName);
    if (Mid(t, q, Len(wanted)) != wanted)
        return;

    // From here on the tag counts as present.
    Edit.MetaMissing = false;

    // The content attribute.
    Pos c = FindFrom(t, "content");
    if (c != 0 && Mid(t, c, 12) == "content-type")
        c = FindFrom(t, "content", c + 1);
    if (c == 0)
        return;
    const Pos eq = FindFrom(t, "=", c);
    // A bare "content" with no value: there is nothing to read or change, and
    // writing at the end of the tag would glue the value onto the word.
    if (eq == 0)
        return;
    Pos p = eq + 1;
    while (At(tag, p) == ' ')
        ++p;
    bool quoted = false;
    if (At(tag, p) == '"') {
        quoted = true;
        ++p;
    }
    while (At(tag, p) == ' ')
        ++p;
    const Pos VS = p;
    const Pos I = VS - 1;  // insertion point
    const bool hasContent = At(tag, VS) != '"' && VS <= Len(tag);
    const std::string separator = hasContent ? ", " : "";

    // End of the value: its closing quote, or for a bare value the first
    // space or quote; the end of the tag otherwise.
    Pos E = quoted ? FindFrom(tag, "\"", VS) : 0;
    if (!quoted) {
        const Pos space = FindFrom(tag, " ", VS);
        const Pos quote = FindFrom(tag, "\"", VS);
        E = (space != 0 && (quote == 0 || space < quote)) ? space : quote;
    }
    if (E == 0)
        E = Len(tag) + 1;

    // A bare value that gains spaces (", ") or becomes empty is written in
    // double quotes, otherwise the rest of it would turn into attributes.
    auto writeValue = [&](const std::string& newValue) {
        if (!quoted && NeedsQuotes(newValue))
            tag = Left(tag, I) + "\"" + newValue + "\"" + From(tag, E);
        else
            tag = Left(tag, I) + newValue + From(tag, E);
    };

    if (Operation == OpAjoute) {
        if (quoted)
            tag = Left(tag, I) + EncodeEntities(Value) + separator + From(tag, I + 1);
        else
            writeValue(EncodeEntities(Value) + separator + Mid(tag, VS, E - VS));
        Edit.EditResult = ResultOk;
        return;
    }
    if (Operation == OpSup) {
        if (RemoveListValue(tag, VS, Value))
            Edit.EditResult = ResultOk;
        return;
    }

    // "ToutRemplacer" and every other code: read the old value.
    std::string old = DecodeEntities(TrimSpaces(Mid(tag, VS, E - VS)));
    Edit.EditResult = old.empty() ? std::string(ResultEmptyMeta) : old;
    if (Operation == OpToutRemplacer)
        writeValue(EncodeEntities(Value));
}

std::string EditMeta(ui::WindowId OwnerWindow, const std::string& Operation, const std::string& Value,
                     const std::string& MetaName)
{
    Edit.MetaMissing = false;
    Edit.EditResult.clear();
    // Without a name every meta tag would match, and a tag without a name
    // would be created.
    if (MetaName.empty())
        return Edit.EditResult;

    // The operation, then at most once more after creating the missing tag.
    for (int round = 0; round < 2; ++round) {
        Edit.MetaMissing = false;
        Edit.EditResult.clear();
        const bool write = Operation != OpListe;
        if (write)
            Edit.MetaMissing = true;

        if (!WalkPage(OwnerWindow, true, false, MetaHandler, true, write, Operation, Value, MetaName))
            break;
        if (!Edit.MetaMissing)
            break;

        // The page has no such meta tag.
        Edit.EditResult.clear();
        const std::string fileName = DisplayFileName(Page.CurrentPagePath);
        int answer = 1;
        if (!Edit.YesToAll) {
            // "La balise meta ''<name>'' n'existe pas encore dans cette page." LF
            // "Voulez-vous la créer ?"
            const std::string question = TranslateFrenchKey("La balise meta ''") + MetaName +
                                         TranslateFrenchKey("'' n'existe pas encore dans cette page.") + "\n" +
                                         TranslateFrenchKey("Voulez-vous la cr\xE9" "er ?");
            answer = AskYesNoAll(OwnerWindow, fileName, question);
            if (answer == 2)
                Edit.YesToAll = true;
        }
        if (answer == 0)
            break;

        Page.MetaInserted = false;
        if (!WalkPage(OwnerWindow, true, false, AddMetaAfterHead, false, true, MetaName, "", ""))
            break;
        if (!Page.MetaInserted) {
            ui::Ui().ShowMessage(OwnerWindow, fileName,
                                 TranslateFrenchKey("La balise ''<head>'' est absente de cette page !!!!"));
            break;
        }
        // The page now holds the empty tag: run the operation on it.
    }
    return Edit.EditResult;
}

}  // namespace kestrova
