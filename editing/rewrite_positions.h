// Small helpers of the rewrite engine for working with 1-based character
// positions, as the tag surgery of the handlers is easiest to follow that
// way, and the scanner that finds an attribute of a tag. Reading outside the
// text gives the character 0; substrings are clipped to the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::rewrite {

using Pos = std::int64_t;

inline Pos Len(const std::string& s)
{
    return static_cast<Pos>(s.size());
}

// Character at 1-based position p, or 0 outside the text.
inline char At(const std::string& s, Pos p)
{
    return (p >= 1 && p <= Len(s)) ? s[static_cast<std::size_t>(p - 1)] : '\0';
}

// 1-based position of the first occurrence of what at or after from; 0 when
// absent. An empty what is never found.
inline Pos FindFrom(const std::string& s, std::string_view what, Pos from = 1)
{
    if (what.empty())
        return 0;
    if (from < 1)
        from = 1;
    if (from > Len(s))
        return 0;
    auto r = s.find(what, static_cast<std::size_t>(from - 1));
    return r == std::string::npos ? 0 : static_cast<Pos>(r) + 1;
}

// The first n characters (clipped).
inline std::string Left(const std::string& s, Pos n)
{
    if (n <= 0)
        return {};
    return s.substr(0, static_cast<std::size_t>(n < Len(s) ? n : Len(s)));
}

// Characters from position p to the end ("" past the end).
inline std::string From(const std::string& s, Pos p)
{
    if (p < 1)
        p = 1;
    if (p > Len(s))
        return {};
    return s.substr(static_cast<std::size_t>(p - 1));
}

// count characters from position p (clipped).
inline std::string Mid(const std::string& s, Pos p, Pos count)
{
    if (count <= 0)
        return {};
    if (p < 1) {
        count += p - 1;
        p = 1;
    }
    if (count <= 0 || p > Len(s))
        return {};
    return s.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(count));
}

// Every occurrence of what replaced by with.
inline std::string ReplaceAll(std::string s, std::string_view what, std::string_view with)
{
    if (what.empty())
        return s;
    // Built into a new string: what is put in is never searched again.
    std::string out;
    out.reserve(s.size());
    std::size_t from = 0;
    for (std::size_t at; (at = s.find(what, from)) != std::string::npos; from = at + what.size()) {
        out.append(s, from, at - from);
        out.append(with);
    }
    out.append(s, from, std::string::npos);
    return out;
}

// File offset of the start of the piece the walker hands to a handler. The
// walker passes the offset after the piece; a piece is either a text run or a
// tag ("<" + tag + ">"); handlers ask before changing either. Match
// positions count from the start so that they keep page order: counted from
// the end, a match early in a long piece would sort after one in a short
// piece that follows it and be skipped.
inline std::int64_t PieceStart(std::int64_t pieceEnd, const std::string& text, const std::string& tag)
{
    const std::int64_t start = pieceEnd - (tag.empty() ? Len(text) : Len(tag) + 2);
    return start > 0 ? start : 0;  // a piece made up by a caller may be longer than its offset
}

// White space between the parts of a tag.
inline bool IsTagSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One attribute of a tag, as an HTML reader sees it.
struct TagAttribute {
    Pos NameStart = 0;  // first character of the name
    Pos NameEnd = 0;    // last character of the name
    bool HasValue = false;
    char Quote = 0;      // '"', '\'' or 0 for a bare value
    Pos ValueStart = 0;  // first character of the value (after the quote)
    Pos ValueEnd = 0;    // last character of the value
    bool Closed = true;  // false when the quote is never closed
};

// Length of the element name at the start of a tag (the text between "<"
// and ">").
inline Pos ElementNameLength(const std::string& tag)
{
    Pos i = 1;
    while (i <= Len(tag) && !IsTagSpace(At(tag, i)))
        ++i;
    return i - 1;
}

// Calls visit(attribute) for each attribute of the tag, in order, as an HTML
// reader sees them: the element name is not an attribute, and quoted values
// are stepped over, so a name that only stands inside another attribute's
// value ("rename.htm", "username") is not taken for one. visit returns false
// to stop.
template <typename Visit>
void ForEachTagAttribute(const std::string& tag, Visit&& visit)
{
    const Pos n = Len(tag);
    Pos i = ElementNameLength(tag) + 1;
    for (;;) {
        while (i <= n && (IsTagSpace(At(tag, i)) || At(tag, i) == '/'))
            ++i;
        if (i > n)
            return;
        const Pos nameStart = i;
        while (i <= n && !IsTagSpace(At(tag, i)) && At(tag, i) != '=' && At(tag, i) != '/' && At(tag, i) != '"' &&
               At(tag, i) != '\'')
            ++i;
        if (i == nameStart) {  // a stray quote or "=": step over it
            ++i;
            continue;
        }
        TagAttribute a;
        a.NameStart = nameStart;
        a.NameEnd = i - 1;
        Pos j = i;
        while (IsTagSpace(At(tag, j)))
            ++j;
        if (At(tag, j) == '=') {
            ++j;
            while (IsTagSpace(At(tag, j)))
                ++j;
            a.HasValue = true;
            const char q = At(tag, j);
            if (q == '"' || q == '\'') {
                a.Quote = q;
                a.ValueStart = j + 1;
                const Pos close = FindFrom(tag, std::string_view(&q, 1), j + 1);
                if (close == 0) {
                    a.Closed = false;
                    a.ValueEnd = n;
                    i = n + 1;
                } else {
                    a.ValueEnd = close - 1;
                    i = close + 1;
                }
            } else {
                a.ValueStart = j;
                while (j <= n && !IsTagSpace(At(tag, j)))
                    ++j;
                a.ValueEnd = j - 1;
                i = j;
            }
        }
        if (!visit(a))
            return;
    }
}

// Whether the name of attribute a of the tag, lower-cased, is lowName.
inline bool AttributeNamed(const std::string& tag, const TagAttribute& a, std::string_view lowName)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (static_cast<std::size_t>(a.NameEnd - a.NameStart + 1) != lowName.size())
        return false;
    for (Pos k = a.NameStart; k <= a.NameEnd; ++k)
        if (lower(At(tag, k)) != lowName[static_cast<std::size_t>(k - a.NameStart)])
            return false;
    return true;
}

// The first attribute of the tag whose name, lower-cased, is lowName.
inline bool FindTagAttribute(const std::string& tag, std::string_view lowName, TagAttribute& out)
{
    bool found = false;
    ForEachTagAttribute(tag, [&](const TagAttribute& a) {
        if (!AttributeNamed(tag, a, lowName))
            return true;
        out = a;
        found = true;
        return false;
    });
    return found;
}

}  // namespace kestrova::rewrite
