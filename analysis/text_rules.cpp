#include "analysis/text_rules.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace kestrova {

namespace {

struct EntityRow {
    std::string_view Name;  // "&eacute;"
    unsigned char Character;
};

// The entity table, in decoding order. The "&nbsp;" row decodes to a plain
// space and encodes from a line feed; "&Ocirc;" is decoded but never written.
constexpr std::array<EntityRow, 45> EntityTable{{
    {"&eacute;", 0xE9}, {"&Eacute;", 0xC9}, {"&ecirc;", 0xEA}, {"&Ecirc;", 0xCA}, {"&egrave;", 0xE8},
    {"&euml;", 0xEB},   {"&acirc;", 0xE2},  {"&agrave;", 0xE0}, {"&auml;", 0xE4},  {"&aacute;", 0xE1},
    {"&ocirc;", 0xF4},  {"&Ocirc;", 0xD4},  {"&ograve;", 0xF2}, {"&ouml;", 0xF6},  {"&oacute;", 0xF3},
    {"&ugrave;", 0xF9}, {"&ucirc;", 0xFB},  {"&uuml;", 0xFC},   {"&uacute;", 0xFA}, {"&igrave;", 0xEC},
    {"&icirc;", 0xEE},  {"&iuml;", 0xEF},   {"&iacute;", 0xED}, {"&yuml;", 0xFF},  {"&quot;", 0x22},
    {"&laquo;", 0xAB},  {"&raquo;", 0xBB},  {"&nbsp;", 0x20},   {"&ccedil;", 0xE7}, {"&ntilde;", 0xF1},
    {"&amp;", 0x26},    {"&lt;", 0x3C},     {"&gt;", 0x3E},     {"&euro;", 0x80},  {"&pound;", 0xA3},
    {"&yen;", 0xA5},    {"&cent;", 0xA2},   {"&curren;", 0xA4}, {"&copy;", 0xA9},  {"&reg;", 0xAE},
    {"&iexcl;", 0xA1},  {"&iquest;", 0xBF}, {"&szlig;", 0xDF},  {"&ordm;", 0xBA},  {"&rsquo;", 0x27},
}};

constexpr std::size_t AmpRow = 30;

// Matches one of the rows [first, last) at text[pos]; returns the row or -1.
int MatchEntity(std::string_view text, std::size_t pos, std::size_t first, std::size_t last)
{
    for (std::size_t row = first; row < last; ++row) {
        const auto& name = EntityTable[row].Name;
        if (text.compare(pos, name.size(), name) == 0) return static_cast<int>(row);
    }
    return -1;
}

// Per byte: the entity that encodes it, or empty.
std::array<std::string_view, 256> BuildEncodeTable()
{
    std::array<std::string_view, 256> table{};
    for (const auto& row : EntityTable) {
        if (row.Name == "&Ocirc;") continue;
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

std::array<unsigned char, 256> BuildAccentTable()
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
    auto map = [&](const char* from, char to) {
        for (const char* p = from; *p; ++p) table[static_cast<unsigned char>(*p)] = static_cast<unsigned char>(to);
    };
    map("\xE9\xE8\xEB\xEA", 'e');  // é è ë ê
    map("\xE2\xE0\xE4\xE1", 'a');  // â à ä á
    map("\xEC\xEE\xEF\xED", 'i');  // ì î ï í
    map("\xF2\xF4\xF3\xF6", 'o');  // ò ô ó ö
    map("\xF9\xFB\xFC\xFA", 'u');  // ù û ü ú
    map("\xE7", 'c');              // ç
    map("\xF1", 'n');              // ñ
    return table;
}

}  // namespace

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
    const std::string_view view(text);
    std::size_t i = 0;
    while (i < view.size()) {
        const char c = view[i];
        if (c == '&') {
            int row = MatchEntity(view, i, 0, EntityTable.size());
            if (row >= 0) {
                std::size_t next = i + EntityTable[row].Name.size();
                char decoded = static_cast<char>(EntityTable[row].Character);
                if (static_cast<std::size_t>(row) == AmpRow && next < view.size()) {
                    // The "&" produced here followed by "lt;" ... "rsquo;" forms an
                    // entity for the later rows.
                    for (std::size_t later = AmpRow + 1; later < EntityTable.size(); ++later) {
                        std::string_view rest = EntityTable[later].Name.substr(1);
                        if (view.compare(next, rest.size(), rest) == 0) {
                            decoded = static_cast<char>(EntityTable[later].Character);
                            next += rest.size();
                            break;
                        }
                    }
                }
                out.push_back(decoded);
                i = next;
                continue;
            }
        }
        if (c != '\n' && c != '\r' && c != '\t') out.push_back(c);
        ++i;
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

std::string RemoveAccents(const std::string& text)
{
    static const auto table = BuildAccentTable();
    std::string out(text);
    for (auto& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

std::string ToLower(const std::string& text)
{
    std::string out(text);
    for (auto& c : out) {
        auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE)) c = static_cast<char>(b + 0x20);
    }
    return out;
}

std::string ToUpper(const std::string& text)
{
    std::string out(text);
    for (auto& c : out) {
        auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || b >= 0xE0) c = static_cast<char>(b - 0x20);
    }
    return out;
}

std::string TrimSpaces(const std::string& text)
{
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Shortcut files are symbolic links here. A link resolves to the path of what
// it finally points to; a dangling link, or anything that is not a link, gives
// the path back unchanged.
std::string ResolveShortcut(const std::string& path)
{
    namespace fs = std::filesystem;
    if (path.empty()) return path;
    std::error_code ec;
    const fs::path p(path);
    if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) return path;
    fs::path target = fs::canonical(p, ec);
    if (ec || target.empty()) return path;
    return target.string();
}

}  // namespace kestrova
