#include "tests/support/entity_reference.h"

#include <algorithm>

namespace kestrova::test {

const std::vector<std::pair<std::string, std::string>>& EntityRows()
{
    static const std::vector<std::pair<std::string, std::string>> rows = {
        {"&eacute;", "\xE9"}, {"&Eacute;", "\xC9"}, {"&ecirc;", "\xEA"},  {"&Ecirc;", "\xCA"},  {"&egrave;", "\xE8"},
        {"&euml;", "\xEB"},   {"&acirc;", "\xE2"},  {"&agrave;", "\xE0"}, {"&auml;", "\xE4"},   {"&aacute;", "\xE1"},
        {"&ocirc;", "\xF4"},  {"&Ocirc;", "\xD4"},  {"&ograve;", "\xF2"}, {"&ouml;", "\xF6"},   {"&oacute;", "\xF3"},
        {"&ugrave;", "\xF9"}, {"&ucirc;", "\xFB"},  {"&uuml;", "\xFC"},   {"&uacute;", "\xFA"}, {"&igrave;", "\xEC"},
        {"&icirc;", "\xEE"},  {"&iuml;", "\xEF"},   {"&iacute;", "\xED"}, {"&yuml;", "\xFF"},   {"&quot;", "\""},
        {"&laquo;", "\xAB"},  {"&raquo;", "\xBB"},  {"&nbsp;", " "},      {"&ccedil;", "\xE7"}, {"&ntilde;", "\xF1"},
        {"&amp;", "&"},       {"&lt;", "<"},        {"&gt;", ">"},        {"&euro;", "\x80"},   {"&pound;", "\xA3"},
        {"&yen;", "\xA5"},    {"&cent;", "\xA2"},   {"&curren;", "\xA4"}, {"&copy;", "\xA9"},   {"&reg;", "\xAE"},
        {"&iexcl;", "\xA1"},  {"&iquest;", "\xBF"}, {"&szlig;", "\xDF"},  {"&ordm;", "\xBA"},   {"&rsquo;", "'"},
    };
    return rows;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

std::string DecodeRowByRow(std::string text)
{
    for (const auto& [entity, character] : EntityRows())
        text = ReplaceAll(text, entity, character);
    std::erase_if(text, [](char c) { return c == '\n' || c == '\r' || c == '\t'; });
    return text;
}

std::string EncodeRowByRow(std::string text)
{
    text = ReplaceAll(text, "&", "&amp;");
    text = ReplaceAll(text, "'", "&rsquo;");
    for (const auto& [entity, character] : EntityRows()) {
        if (entity == "&amp;" || entity == "&rsquo;" || entity == "&Ocirc;")
            continue;
        text = ReplaceAll(text, entity == "&nbsp;" ? "\n" : character, entity);
    }
    return text;
}

}  // namespace kestrova::test
