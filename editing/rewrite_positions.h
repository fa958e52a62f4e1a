// Small helpers of the rewrite engine for working with 1-based character
// positions, as the tag surgery of the handlers is easiest to follow that
// way. Reading outside the text gives the character 0; substrings are clipped
// to the text.
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
    std::size_t at = 0;
    while ((at = s.find(what, at)) != std::string::npos) {
        s.replace(at, what.size(), with);
        at += with.size();
    }
    return s;
}

}  // namespace kestrova::rewrite
