#include "base/text_rules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/text_scan.h"

namespace kestrova {

namespace {

struct EntityRow {
    std::string_view Name;  // "&eacute;"
    unsigned char Character;
};

// The entity table, in decoding order. The "&nbsp;" row decodes to a plain
// space and encodes from a line feed; "&Ocirc;" is decoded but never written.
constexpr std::array<EntityRow, 45> EntityTable{{
    {"&eacute;", 0xE9}, {"&Eacute;", 0xC9}, {"&ecirc;", 0xEA},  {"&Ecirc;", 0xCA},  {"&egrave;", 0xE8},
    {"&euml;", 0xEB},   {"&acirc;", 0xE2},  {"&agrave;", 0xE0}, {"&auml;", 0xE4},   {"&aacute;", 0xE1},
    {"&ocirc;", 0xF4},  {"&Ocirc;", 0xD4},  {"&ograve;", 0xF2}, {"&ouml;", 0xF6},   {"&oacute;", 0xF3},
    {"&ugrave;", 0xF9}, {"&ucirc;", 0xFB},  {"&uuml;", 0xFC},   {"&uacute;", 0xFA}, {"&igrave;", 0xEC},
    {"&icirc;", 0xEE},  {"&iuml;", 0xEF},   {"&iacute;", 0xED}, {"&yuml;", 0xFF},   {"&quot;", 0x22},
    {"&laquo;", 0xAB},  {"&raquo;", 0xBB},  {"&nbsp;", 0x20},   {"&ccedil;", 0xE7}, {"&ntilde;", 0xF1},
    {"&amp;", 0x26},    {"&lt;", 0x3C},     {"&gt;", 0x3E},     {"&euro;", 0x80},   {"&pound;", 0xA3},
    {"&yen;", 0xA5},    {"&cent;", 0xA2},   {"&curren;", 0xA4}, {"&copy;", 0xA9},   {"&reg;", 0xAE},
    {"&iexcl;", 0xA1},  {"&iquest;", 0xBF}, {"&szlig;", 0xDF},  {"&ordm;", 0xBA},   {"&rsquo;", 0x27},
}};

constexpr std::size_t AmpRow = 30;
// The longest entity name, "&eacute;" and the like.
constexpr std::size_t LongestEntity = 8;

// The row among [first, EntityTable.size()) whose name, without its leading
// "&" when skipAmp is set, starts text at pos; -1 when none does.
//
// Every name is "&", letters and one final ";", so a name starting text at
// pos ends at the first ";" after pos: that ";" alone fixes the only length a
// match can have, and as no two names are equal at most one row can match.
// Comparing that one piece with the rows therefore finds the same row as
// trying every row in table order.
int MatchEntity(std::string_view text, std::size_t pos, std::size_t first, bool skipAmp)
{
    const std::size_t skip = skipAmp ? 1 : 0;
    const std::size_t limit = std::min(text.size(), pos + LongestEntity - skip);
    std::size_t semi = pos + 1;
    while (semi < limit && text[semi] != ';')
        ++semi;
    if (semi >= limit)
        return -1;
    const std::string_view piece = text.substr(pos, semi + 1 - pos);
    for (std::size_t row = first; row < EntityTable.size(); ++row)
        if (EntityTable[row].Name.substr(skip) == piece)
            return static_cast<int>(row);
    return -1;
}

// The bytes the decoder must look at: "&" and the three deleted characters.
constexpr std::array<bool, 256> DecodeStops = [] {
    std::array<bool, 256> table{};
    table['&'] = table['\n'] = table['\r'] = table['\t'] = true;
    return table;
}();

// Per byte: the entity that encodes it, or empty.
std::array<std::string_view, 256> BuildEncodeTable()
{
    std::array<std::string_view, 256> table{};
    for (const auto& row : EntityTable) {
        if (row.Name == "&Ocirc;")
            continue;
        if (row.Name == "&nbsp;") {
            table['\n'] = row.Name;
            continue;
        }
        table[row.Character] = row.Name;
    }
    return table;
}

const std::array<std::string_view, 256>& EncodeTable()
{
    static const auto table = BuildEncodeTable();
    return table;
}

}  // namespace

std::size_t textscan::EntityAt(std::string_view text, std::size_t pos, char& decoded)
{
    const int row = MatchEntity(text, pos, 0, false);
    if (row < 0)
        return 0;
    std::size_t next = pos + EntityTable[row].Name.size();
    decoded = static_cast<char>(EntityTable[row].Character);
    if (static_cast<std::size_t>(row) == AmpRow) {
        // The "&" produced here followed by "lt;" ... "rsquo;" forms an
        // entity for the later rows.
        const int later = MatchEntity(text, next, AmpRow + 1, true);
        if (later >= 0) {
            decoded = static_cast<char>(EntityTable[later].Character);
            next += EntityTable[later].Name.size() - 1;
        }
    }
    return next - pos;
}

// Applying the rows one after the other gives the same result as this single
// pass: entity occurrences in the text never overlap (each runs from a "&" to
// the next ";"), and no row's character can form or complete an entity name,
// except the "&" that the "&amp;" row produces. That "&" is then seen only by
// the rows after "&amp;" ("&lt;" to "&rsquo;"), so "&amp;lt;" decodes twice
// while "&amp;eacute;" decodes once. The line ends and tabs are deleted last,
// so they still break entity names.
std::string DecodeEntities(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        // Bytes other than "&", TAB, LF and CR are copied as a run.
        std::size_t stop = i;
        while (stop < text.size() && !DecodeStops[static_cast<unsigned char>(text[stop])])
            ++stop;
        out.append(text, i, stop - i);
        if (stop == text.size())
            break;
        i = stop;
        if (text[i] != '&') {  // TAB, LF or CR: deleted
            ++i;
            continue;
        }
        char decoded = '&';
        const std::size_t length = textscan::EntityAt(text, i, decoded);
        out.push_back(decoded);
        i += length == 0 ? 1 : length;
    }
    return out;
}

// "&" is encoded first and the apostrophe second; no entity written contains a
// character that another row encodes, so one pass byte by byte gives the same
// result as the rows applied in turn.
std::string EncodeEntities(const std::string& text)
{
    const auto& table = EncodeTable();
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        const auto& entity = table[static_cast<unsigned char>(c)];
        if (entity.empty())
            out.push_back(c);
        else
            out.append(entity);
    }
    return out;
}

// The case rules and the accent folding are byte tables (base/text_scan.h).
namespace {

std::string MapBytes(const std::string& text, const textscan::ByteTable& table)
{
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(table[static_cast<unsigned char>(text[i])]);
    return out;
}

}  // namespace

std::string RemoveAccents(const std::string& text)
{
    return MapBytes(text, textscan::AccentTable);
}

std::string ToLower(const std::string& text)
{
    return MapBytes(text, textscan::LowerTable);
}

std::string ToUpper(const std::string& text)
{
    return MapBytes(text, textscan::UpperTable);
}

std::string TrimSpaces(const std::string& text)
{
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Shortcut files are symbolic links here. A link resolves to the path of what
// it finally points to; a dangling link, or anything that is not a link, gives
// the path back unchanged.
std::string ResolveShortcut(const std::string& path)
{
    namespace fs = std::filesystem;
    if (path.empty())
        return path;
    std::error_code ec;
    const fs::path p(path);
    if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec)
        return path;
    fs::path target = fs::canonical(p, ec);
    if (ec || target.empty())
        return path;
    return target.string();
}

bool IsWordSeparator(char c)
{
    static constexpr auto table = [] {
        std::array<bool, 256> t{};
        for (char s : WordSeparators)
            t[static_cast<unsigned char>(s)] = true;
        return t;
    }();
    return table[static_cast<unsigned char>(c)];
}

}  // namespace kestrova
