#include "analysis/word_tables.h"

#include <charconv>

#include "analysis/page_state.h"
#include "analysis/text_rules.h"
#include "app/app_state.h"
#include "app/translate.h"
#include "ui/ui_port.h"

namespace kestrova {

WordTableSet WordTables;

namespace {

constexpr std::size_t MinimumWordLength = 2;

constexpr std::array<bool, 256> BuildSeparatorTable()
{
    std::array<bool, 256> table{};
    for (char c : WordSeparators) table[static_cast<unsigned char>(c)] = true;
    return table;
}

constexpr std::array<bool, 256> SeparatorTable = BuildSeparatorTable();

// A number is a word equal to the decimal writing of the integer read from
// it: digits only, no leading zero, at most 2147483647. "2006" and "75" are
// numbers; "007", "3d" and "12h" are words.
bool IsNumber(const std::string& word)
{
    if (word.empty() || word.size() > 10 || word[0] == '0') return false;
    long long value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= 2147483647LL;
}

// Makes the key index describe the rows in use again if someone emptied or
// filled the table without going through Clear() and CountWords.
void SyncKeyIndex(WordTableSet& t)
{
    const int n = t.IndexedRows;
    const bool lastUsed = n == 0 || !t.WordForms[n - 1].empty();
    const bool nextFree = n >= WordTableRows || t.WordForms[n].empty();
    if (lastUsed && nextFree) return;
    t.KeyIndex.clear();
    int row = 0;
    while (row < WordTableRows && !t.WordForms[row].empty()) {
        const std::string& keys = t.WordKeys[row];
        std::string key = keys.size() >= 2 ? keys.substr(1, keys.size() - 2) : keys;
        t.KeyIndex.emplace(std::move(key), row);
        ++row;
    }
    t.IndexedRows = row;
}

// Adds one to the count of Origin in an origin list "Titre (1) / Texte (4)",
// or appends Origin with the count 1. An entry is matched as a whole (at the
// start or after " / ", and followed by " ("), so "b.htm" is never taken for
// the end of "ab.htm".
void AddOrigin(std::string& origins, const std::string& origin)
{
    std::size_t pos = 0;
    while ((pos = origins.find(origin, pos)) != std::string::npos) {
        const bool startsEntry = pos == 0 || (pos >= 3 && origins.compare(pos - 3, 3, " / ") == 0);
        const std::size_t end = pos + origin.size();
        if (startsEntry && origins.compare(end, 2, " (") == 0) {
            const std::size_t open = end + 1;
            const std::size_t close = origins.find(')', open);
            if (close == std::string::npos) break;
            long long count = 0;
            const char* first = origins.data() + open + 1;
            const char* last = origins.data() + close;
            std::from_chars(first, last, count);
            origins.replace(open + 1, close - open - 1, std::to_string(count + 1));
            return;
        }
        ++pos;
    }
    if (!origins.empty()) origins += " / ";
    origins += origin;
    origins += " (1)";
}

void RecordWord(const std::string& word, const std::string& origin, bool keepUsual)
{
    WordTableSet& t = WordTables;
    SyncKeyIndex(t);
    std::string key = WordKey(word);
    int row;
    auto found = t.KeyIndex.find(key);
    if (found != t.KeyIndex.end()) {
        row = found->second;
        std::string& forms = t.WordForms[row];
        const std::string wrapped = "/" + forms + "/";
        if (wrapped.find("/" + word + "/") == std::string::npos) forms += "/" + word;
        t.WordCounts[row] += 1;
    } else if (t.IndexedRows < WordTableRows) {
        row = t.IndexedRows;
        t.WordForms[row] = word;
        t.WordKeys[row] = "/" + key + "/";
        t.WordCounts[row] = 1;
        t.KeyIndex.emplace(std::move(key), row);
        t.IndexedRows = row + 1;
    } else {
        // The table is full: the word is dropped. Attribute texts report it,
        // once per run rather than once per dropped word.
        if (keepUsual && !t.FullReported) {
            t.FullReported = true;
            ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Erreur"),
                                 TranslateFrenchKey("Le nombre de mots trouv"
                                                    "\xE9"
                                                    "s dans la page est trop important pour les capacit"
                                                    "\xE9"
                                                    "s de ce programme !"));
        }
        return;
    }
    AddOrigin(t.WordOrigins[row], origin);
}

// The value of the attribute whose name starts at occurrence in tag.
std::string AttributeValue(const std::string& tag, std::size_t occurrence)
{
    const std::size_t quote = tag.find('"', occurrence);
    if (quote != std::string::npos) {
        const std::size_t closing = tag.find('"', quote + 1);
        if (closing == std::string::npos) return tag.substr(quote + 1);
        return tag.substr(quote + 1, closing - quote - 1);
    }
    const std::size_t equals = tag.find('=', occurrence);
    if (equals == std::string::npos) return {};
    std::size_t end = tag.find(' ', equals + 1);
    if (end == std::string::npos) end = tag.find(',', equals + 1);
    if (end == std::string::npos) return tag.substr(equals + 1);
    return tag.substr(equals + 1, end - equals - 1);
}

// images/mon-chien.jpg -> mon-chien
std::string ImageName(const std::string& value)
{
    std::string name = value;
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

// The declared keyword list: the parts between commas, decoded and trimmed,
// each marked as not (yet) found in the page.
void ReadKeywordList(const std::string& value)
{
    Page.KeywordList.Clear();
    const std::string notUsed = TranslateFrenchKey("Non");
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        std::string part = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::erase_if(part, [](char c) { return c == '\n' || c == '\r'; });
        if (EncodeEntities(DecodeEntities(part)) != part) Page.KeywordAccentsBad = true;
        if (!part.empty()) Page.KeywordList.Rows.push_back({TrimSpaces(DecodeEntities(part)), notUsed});
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

// Origin of a content attribute: the meta label when the tag is a meta tag
// with a double-quoted name (or http-equiv), else the attribute name.
std::string ContentOrigin(const std::string& tag, const std::string& lower, const std::string& attributeName)
{
    std::size_t word = lower.find("name");
    std::size_t length = 4;
    if (word == std::string::npos) {
        word = lower.find("http-equiv");
        length = 10;
    }
    if (word != std::string::npos && lower.find("meta") != std::string::npos) {
        const std::size_t open = tag.find('"', word + length);
        if (open != std::string::npos) {
            const std::size_t close = tag.find('"', open + 1);
            if (close != std::string::npos) return MetaLabel(tag.substr(open + 1, close - open - 1));
        }
    }
    return attributeName;
}

}  // namespace

bool IsWordSeparator(char c)
{
    return SeparatorTable[static_cast<unsigned char>(c)];
}

void WordTableSet::Clear()
{
    for (int row = 0; row < WordTableRows; ++row) {
        WordForms[row].clear();
        WordKeys[row].clear();
        WordOrigins[row].clear();
        WordCounts[row] = 0;
    }
    KeyIndex.clear();
    IndexedRows = 0;
    FullReported = false;
}

void ResetWordTables()
{
    WordTables.Clear();
}

std::string WordKey(const std::string& Word)
{
    std::string key = RemoveAccents(ToLower(Word));
    if (!key.empty() && key.back() == 's') key.pop_back();
    return key;
}

void CountWords(const std::string& Text, const std::string& Origin, bool KeepUsual)
{
    std::string text = TrimSpaces(Text);
    for (auto& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    text = DecodeEntities(text);
    for (auto& c : text)
        if (c == '/') c = ' ';

    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsWordSeparator(text[end])) ++end;
        std::string candidate = ToLower(TrimSpaces(text.substr(start, end - start)));
        start = end + 1;
        if (candidate.size() < MinimumWordLength) continue;
        if (IsNumber(candidate)) continue;
        if (!KeepUsual && App.UsualWords.find("/" + candidate + "/") != std::string::npos) continue;
        RecordWord(candidate, Origin, KeepUsual);
    }
}

std::string MetaLabel(const std::string& MetaName)
{
    if (App.Language == LanguageEnglish) return MetaName + " tag";
    return "Balise \"" + MetaName + "\"";
}

void CountAttributeWords(const std::string& AttributeName, const std::string& Tag)
{
    // Runs of spaces count as one space.
    std::string tag;
    tag.reserve(Tag.size());
    for (char c : Tag)
        if (c != ' ' || tag.empty() || tag.back() != ' ') tag.push_back(c);
    const std::string name = ToLower(AttributeName);
    const std::string lower = ToLower(tag);

    const std::string withEquals = name + "=";
    const std::string withSpace = name + " =";
    auto findAttribute = [&](std::size_t from) {
        std::size_t at = lower.find(withEquals, from);
        if (at == std::string::npos) at = lower.find(withSpace, from);
        return at;
    };

    std::size_t occurrence = findAttribute(0);
    if (occurrence == std::string::npos) return;

    const bool imageName = name == "img src" || name == "background";
    // Any tag that mentions "keyword" is read as the keyword list, whatever
    // the attribute.
    const bool keywordList = lower.find("keyword") != std::string::npos;
    std::string origin;
    if (imageName)
        origin = TranslateFrenchKey("Nom d'image");
    else if (name == "alt")
        origin = TranslateFrenchKey("Commentaire d'image");
    else if (name == "content")
        origin = ContentOrigin(tag, lower, AttributeName);
    else
        origin = AttributeName;

    while (occurrence != std::string::npos) {
        std::string value = AttributeValue(tag, occurrence);
        if (imageName) value = ImageName(value);
        if (keywordList)
            ReadKeywordList(value);
        else
            CountWords(value, origin, true);
        occurrence = findAttribute(occurrence + 1);
    }
}

void AnalysisHandler(std::int64_t, const std::string&, const std::string&, const std::string&)
{
    if (!Page.CurrentTag.empty()) {
        const std::string tag = Page.CurrentTag;
        CountAttributeWords("alt", tag);
        CountAttributeWords("img src", tag);
        CountAttributeWords("background", tag);
        CountAttributeWords("content", tag);
        if (ToLower(TrimSpaces(tag)) == "title") Page.PageTitle = "--";
    }
    if (!Page.CurrentText.empty()) {
        std::string spaced = Page.CurrentText;
        for (auto& c : spaced)
            if (c == '\n' || c == '\r') c = ' ';
        if (Page.PageTitle == "--") {
            // Only the first text run after the title tag is the title.
            Page.PageTitle = DecodeEntities(spaced);
            CountWords(Page.PageTitle, TranslateFrenchKey("Titre"), false);
        } else {
            const std::string trimmed = TrimSpaces(spaced);
            if (!trimmed.empty()) CountWords(trimmed, TranslateFrenchKey("Texte"), false);
        }
    }
}

}  // namespace kestrova
