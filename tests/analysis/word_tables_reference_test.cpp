// The page analysis checked against a plain reference: every rule written the
// obvious way (entity rows replaced one after the other, candidates cut with
// substr, usual words and spellings found by searching "/" + word + "/", rows
// found by a scan from row 0). Random pages rich in separators, entities,
// accents, upper-case bytes, numbers and usual words go through both, and the
// word tables, origins, keyword list, flags, title and messages must agree.
#include <gtest/gtest.h>

#include <charconv>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/headless_ui.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "page/page_state.h"
#include "tests/support/entity_reference.h"

using namespace kestrova;

namespace {

namespace ref {

using kestrova::test::EntityRows;
using kestrova::test::ReplaceAll;

// space , ; : ! ' { ( ) } [ ] \ / & * + - ? . section % < > # | _ @ = " TAB LF CR
const std::string Separators = std::string(" ,;:!'{()}[]\\/&*+-?.") + "\xA7" + "%<>#|_@=\"\t\n\r";

std::string Decode(const std::string& text)
{
    return kestrova::test::DecodeRowByRow(text);
}

std::string Encode(const std::string& text)
{
    return kestrova::test::EncodeRowByRow(text);
}

std::string Lower(std::string text)
{
    for (char& c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE))
            c = static_cast<char>(b + 0x20);
    }
    return text;
}

std::string NoAccents(std::string text)
{
    const std::pair<std::string, char> groups[] = {{"\xE9\xE8\xEB\xEA", 'e'},
                                                   {"\xE2\xE0\xE4\xE1", 'a'},
                                                   {"\xEC\xEE\xEF\xED", 'i'},
                                                   {"\xF2\xF4\xF3\xF6", 'o'},
                                                   {"\xF9\xFB\xFC\xFA", 'u'},
                                                   {"\xE7", 'c'},
                                                   {"\xF1", 'n'}};
    for (char& c : text)
        for (const auto& [from, to] : groups)
            if (from.find(c) != std::string::npos)
                c = to;
    return text;
}

std::string Trim(const std::string& text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && text[first] == ' ')
        ++first;
    while (last > first && text[last - 1] == ' ')
        --last;
    return text.substr(first, last - first);
}

std::string Key(const std::string& word)
{
    std::string key = NoAccents(Lower(word));
    if (!key.empty() && key.back() == 's')
        key.pop_back();
    return key;
}

bool IsNumber(const std::string& word)
{
    if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long long value = std::stoll(word);
    return value <= 2147483647LL && std::to_string(value) == word;
}

// The reference analysis, with its own tables and page state.
struct Analysis {
    std::vector<std::string> Forms, Keys, Origins;
    std::vector<int> Counts;
    bool FullReported = false;
    int Messages = 0;
    std::vector<std::vector<std::string>> KeywordRows;
    bool AccentsBad = false;
    std::string Title;

    void AddOrigin(std::string& origins, const std::string& origin)
    {
        // The first whole entry "origin (n)", at the start or after " / ".
        for (std::size_t pos = origins.find(origin); pos != std::string::npos; pos = origins.find(origin, pos + 1)) {
            const bool atEntry = pos == 0 || (pos >= 3 && origins.substr(pos - 3, 3) == " / ");
            const std::size_t end = pos + origin.size();
            if (!atEntry || origins.substr(end, 2) != " (")
                continue;
            const std::size_t close = origins.find(')', end + 1);
            if (close == std::string::npos)
                break;
            long long count = 0;
            std::from_chars(origins.data() + end + 2, origins.data() + close, count);
            origins = origins.substr(0, end + 2) + std::to_string(count + 1) + origins.substr(close);
            return;
        }
        origins += (origins.empty() ? "" : " / ") + origin + " (1)";
    }

    void Record(const std::string& word, const std::string& origin)
    {
        const std::string key = "/" + Key(word) + "/";
        std::size_t row = 0;
        while (row < Keys.size() && Keys[row].find(key) == std::string::npos)
            ++row;
        if (row < Keys.size()) {
            if (("/" + Forms[row] + "/").find("/" + word + "/") == std::string::npos)
                Forms[row] += "/" + word;
            ++Counts[row];
        } else if (Keys.size() < static_cast<std::size_t>(WordTableRows)) {
            Forms.push_back(word);
            Keys.push_back(key);
            Origins.emplace_back();
            Counts.push_back(1);
        } else {
            if (!FullReported) {
                FullReported = true;
                ++Messages;
            }
            return;
        }
        AddOrigin(Origins[row], origin);
    }

    void CountWords(const std::string& input, const std::string& origin, bool keepUsual)
    {
        std::string text = Trim(input);
        text = ReplaceAll(text, "\t", " ");
        text = ReplaceAll(text, "\n", " ");
        text = ReplaceAll(text, "\r", " ");
        text = ReplaceAll(Decode(text), "/", " ");
        while (!text.empty()) {
            const std::size_t p = text.find_first_of(Separators);
            const std::string candidate = Lower(Trim(text.substr(0, p)));
            text = p == std::string::npos ? "" : text.substr(p + 1);
            if (candidate.size() < 2 || IsNumber(candidate))
                continue;
            if (!keepUsual && App.UsualWords.find("/" + candidate + "/") != std::string::npos)
                continue;
            Record(candidate, origin);
        }
    }

    void CountAttributeWords(const std::string& attributeName, const std::string& input)
    {
        std::string tag = input;
        for (std::size_t p; (p = tag.find("  ")) != std::string::npos;)
            tag.replace(p, 2, " ");
        const std::string name = Lower(attributeName);
        const std::string lower = Lower(tag);
        auto find = [&](std::size_t from) {
            std::size_t at = lower.find(name + "=", from);
            return at != std::string::npos ? at : lower.find(name + " =", from);
        };
        const bool image = name == "img src" || name == "background";
        std::string origin = attributeName;
        if (image) {
            origin = TranslateFrenchKey("Nom d'image");
        } else if (name == "alt") {
            origin = TranslateFrenchKey("Commentaire d'image");
        } else if (name == "content") {
            std::size_t word = lower.find("name"), length = 4;
            if (word == std::string::npos)
                word = lower.find("http-equiv"), length = 10;
            if (word != std::string::npos && lower.find("meta") != std::string::npos) {
                const std::size_t open = tag.find('"', word + length);
                const std::size_t close = open == std::string::npos ? open : tag.find('"', open + 1);
                if (close != std::string::npos) {
                    const std::string meta = tag.substr(open + 1, close - open - 1);
                    origin = App.Language == LanguageEnglish ? meta + " tag" : "Balise \"" + meta + "\"";
                }
            }
        }
        for (std::size_t at = find(0); at != std::string::npos; at = find(at + 1)) {
            std::string value;
            const std::size_t quote = tag.find('"', at);
            if (quote != std::string::npos) {
                const std::size_t closing = tag.find('"', quote + 1);
                value =
                    closing == std::string::npos ? tag.substr(quote + 1) : tag.substr(quote + 1, closing - quote - 1);
            } else {
                const std::size_t equals = tag.find('=', at);
                std::size_t end = tag.find(' ', equals + 1);
                if (end == std::string::npos)
                    end = tag.find(',', equals + 1);
                value = end == std::string::npos ? tag.substr(equals + 1) : tag.substr(equals + 1, end - equals - 1);
            }
            if (image) {
                if (value.rfind('/') != std::string::npos)
                    value = value.substr(value.rfind('/') + 1);
                if (value.rfind('.') != std::string::npos)
                    value = value.substr(0, value.rfind('.'));
            }
            if (lower.find("keyword") == std::string::npos) {
                CountWords(value, origin, true);
                continue;
            }
            KeywordRows.clear();
            std::string rest = value + ",";
            for (std::size_t comma; (comma = rest.find(',')) != std::string::npos; rest = rest.substr(comma + 1)) {
                const std::string part = ReplaceAll(ReplaceAll(rest.substr(0, comma), "\n", ""), "\r", "");
                if (Encode(Decode(part)) != part)
                    AccentsBad = true;
                if (!part.empty())
                    KeywordRows.push_back({Trim(Decode(part)), TranslateFrenchKey("Non")});
            }
        }
    }

    void Handler(const std::string& tag, const std::string& text)
    {
        if (!tag.empty()) {
            for (const char* name : {"alt", "img src", "background", "content"})
                CountAttributeWords(name, tag);
            if (Lower(Trim(tag)) == "title")
                Title = "--";
        }
        if (!text.empty()) {
            const std::string spaced = ReplaceAll(ReplaceAll(text, "\n", " "), "\r", " ");
            if (Title == "--") {
                Title = Decode(spaced);
                CountWords(Title, TranslateFrenchKey("Titre"), false);
            } else if (!Trim(spaced).empty()) {
                CountWords(Trim(spaced), TranslateFrenchKey("Texte"), false);
            }
        }
    }
};

}  // namespace ref

// Random page material.
class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int Below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    template <typename T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
    }

    std::string Token()
    {
        static const std::vector<std::string> words = {"mot",
                                                       "mots",
                                                       "Mot",
                                                       "MOTS",
                                                       "caf\xE9",
                                                       "CAF\xC9",
                                                       "cafe",
                                                       "Caf&eacute;",
                                                       "\xC9t\xE9",
                                                       "ete",
                                                       "\xE9t\xE9s",
                                                       "bus",
                                                       "bu",
                                                       "voile",
                                                       "VOILES",
                                                       "r\xE9gate",
                                                       "R&Eacute;GATES",
                                                       "ss",
                                                       "s",
                                                       "\xC0\xC1\xC2\xD7\xDE",
                                                       "\xE0\xE1\xE2\xF7\xFE",
                                                       "na\xEFve",
                                                       "NA\xCF"
                                                       "VE",
                                                       "\xE7"
                                                       "a",
                                                       "\xC7"
                                                       "A",
                                                       "gar&ccedil;on",
                                                       "\x8C"
                                                       "uvre",
                                                       "x\xA0y",
                                                       "~$^`"};
        static const std::vector<std::string> usual = {
            "de", "le", "la", "et", "DE", "Le", "\xEAtre", "\xCAtre", "vous", "the", "THE", "v\xF4tre", "v&ocirc;tre"};
        static const std::vector<std::string> numbers = {"2006",       "75",         "007",         "0",         "00",
                                                         "2147483647", "2147483648", "99999999999", "12h",       "3d",
                                                         "1",          "10",         "-5",          "4294967296"};
        static const std::vector<std::string> entities = {
            "&amp;lt;", "&amp;eacute;", "&amp;amp;", "&amp;rsquo;",  "&eacute",  "&",       ";",
            "&#233;",   "&e\nacute;",   "&amp",      "&nbsp;&nbsp;", "&EACUTE;", "&Ocirc;", "&amp;nbsp;"};
        switch (Below(10)) {
            case 0:
                return Pick(usual);
            case 1:
                return Pick(numbers);
            case 2:
                return Pick(entities);
            case 3:
                return ref::EntityRows()[static_cast<std::size_t>(Below(static_cast<int>(ref::EntityRows().size())))]
                    .first;
            case 4:
            case 5:
                return std::string(1 + static_cast<std::size_t>(Below(3)),
                                   ref::Separators[static_cast<std::size_t>(Below(33))]);
            case 6: {
                // A short invented word over letters, accented and upper-case bytes.
                static const std::string letters = "abeEsSzZ\xC0\xC9\xCA\xD4\xDE\xE0\xE9\xEA\xF4\xFE\xE7\xD7\xF7";
                std::string w;
                for (int n = 1 + Below(5); n > 0; --n)
                    w += letters[static_cast<std::size_t>(Below(static_cast<int>(letters.size())))];
                return w;
            }
            default:
                return Pick(words);
        }
    }

    std::string Text(int maxTokens = 25)
    {
        std::string text;
        for (int n = Below(maxTokens + 1); n > 0; --n) {
            text += Token();
            if (Below(2) == 0)
                text += ' ';
        }
        return text;
    }

    // A value without double quotes.
    std::string Value(int maxTokens = 8) { return ref::ReplaceAll(Text(maxTokens), "\"", "'"); }

    std::string Tag()
    {
        switch (Below(12)) {
            case 0:
                return "img src=\"images/" + Value(3) + ".JPG\" alt=\"" + Value() + "\"";
            case 1:
                return "IMG  SRC=" + ref::ReplaceAll(Value(3), " ", "") + " alt=" + Value(4);
            case 2: {
                static const std::vector<std::string> names = {"description", "Keywords", "robots", "a / b", "Auteur"};
                return "meta name=\"" + Pick(names) + "\" content=\"" + Value() + "\"";
            }
            case 3:
                return "META HTTP-EQUIV=\"Content-Language\"  CONTENT=\"" + Value() + "\"";
            case 4:
                return "td background='fonds/" + Value(2) + ".png'";
            case 5:
                return "area alt=\"" + Value(3) + "\" alt =\"" + Value(3) + "\" alt=\"" + Value(3) + "\"";
            case 6: {
                static const std::vector<std::string> plain = {" TITLE ", "title", "/title", "p", "/p", "h1", "Title "};
                return Pick(plain);
            }
            case 7:
                return "div content=" + Value(3);
            case 8:
                return "meta name=\"keywords\" content=\"" + ref::ReplaceAll(Value(), " ", Below(2) ? "," : ", ") +
                       "\"";
            default: {
                // Tag-like noise: attribute names, equals signs, quotes and text.
                static const std::vector<std::string> bits = {
                    "img",     " ",  "src", "=", "\"", "alt", "content", "background", "meta", "name", "http-equiv",
                    "keyword", "  ", " =",  "'", "/",  ".",   ",",       "ALT",        "Src",  "\r\n"};
                std::string tag;
                for (int n = Below(14); n > 0; --n)
                    tag += Below(3) ? Pick(bits) : Token();
                return tag;
            }
        }
    }

private:
    std::mt19937 rng_;
};

class WordTablesReferenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        App.Language = LanguageFrench;
        Page = PageState{};
        ResetWordTables();
        ui::SetUi(&ui_);
    }
    void TearDown() override
    {
        ui::SetUi(nullptr);
        ResetWordTables();
        Page = PageState{};
    }

    void Piece(ref::Analysis& model, const std::string& tag, const std::string& text)
    {
        Page.CurrentTag = tag;
        Page.CurrentText = text;
        AnalysisHandler(0, "", "", "");
        model.Handler(tag, text);
    }

    void ExpectSame(const ref::Analysis& model, const std::string& where)
    {
        SCOPED_TRACE(where);
        int used = 0;
        while (used < WordTableRows && !WordTables.WordForms[used].empty())
            ++used;
        ASSERT_EQ(used, static_cast<int>(model.Forms.size()));
        for (int row = 0; row < used; ++row) {
            const auto r = static_cast<std::size_t>(row);
            ASSERT_EQ(WordTables.WordForms[row], model.Forms[r]) << "row " << row;
            ASSERT_EQ(WordTables.WordKeys[row], model.Keys[r]) << "row " << row;
            ASSERT_EQ(WordTables.WordOrigins[row], model.Origins[r]) << "row " << row;
            ASSERT_EQ(WordTables.WordCounts[row], model.Counts[r]) << "row " << row;
        }
        EXPECT_EQ(Page.KeywordList.Rows, model.KeywordRows);
        EXPECT_EQ(Page.KeywordAccentsBad, model.AccentsBad);
        EXPECT_EQ(Page.PageTitle, model.Title);
        EXPECT_EQ(static_cast<int>(ui_.Messages().size()), model.Messages);
    }

    ui::HeadlessUi ui_;
};

}  // namespace

TEST(WordTablesReference, TextRulesAgreeOnRandomTexts)
{
    Generator gen(7);
    for (int i = 0; i < 4000; ++i) {
        std::string text = gen.Text(12);
        // And now and then arbitrary bytes.
        if (i % 4 == 0)
            for (char& c : text)
                c = static_cast<char>(gen.Below(256));
        ASSERT_EQ(ToLower(text), ref::Lower(text)) << text;
        ASSERT_EQ(RemoveAccents(text), ref::NoAccents(text)) << text;
        ASSERT_EQ(WordKey(text), ref::Key(text)) << text;
        ASSERT_EQ(DecodeEntities(text), ref::Decode(text)) << text;
        ASSERT_EQ(EncodeEntities(text), ref::Encode(text)) << text;
        ASSERT_EQ(TrimSpaces(text), ref::Trim(text)) << text;
    }
}

// Whole pages through the analysis handler, under several usual-word lists
// (changed between pages without clearing the tables) and both languages.
TEST_F(WordTablesReferenceTest, HandlerAgreesOnRandomPages)
{
    const std::vector<std::string> usualLists = {BuildUsualWords(),   "", "de/le", "//de//caf\xE9//", "/DE/mot/ mots/",
                                                 "/\xE9t\xE9/a/b c/", "/"};
    Generator gen(20240611);
    ref::Analysis model;
    for (int page = 0; page < 240; ++page) {
        if (page % 3 == 0) {
            ResetWordTables();
            Page = PageState{};
            model = ref::Analysis{};
            ui_.Clear();
        }
        App.UsualWords = usualLists[static_cast<std::size_t>(page) % usualLists.size()];
        App.Language = page % 5 == 4 ? LanguageEnglish : LanguageFrench;
        for (int piece = 0; piece < 40; ++piece) {
            switch (gen.Below(4)) {
                case 0:
                    Piece(model, gen.Tag(), "");
                    break;
                case 1:
                    Piece(model, "", gen.Text());
                    break;
                case 2:
                    Piece(model, "", gen.Below(2) ? "\r\n" : "  \n ");
                    break;
                default:
                    Piece(model, gen.Tag(), gen.Text());
                    break;
            }
        }
        ExpectSame(model, "page " + std::to_string(page));
        if (HasFatalFailure())
            return;
    }
}

// CountWords called directly, as the site statistics do, with origin labels
// that look like parts of an origin list.
TEST_F(WordTablesReferenceTest, CountWordsAgreesWithOddOriginLabels)
{
    const std::vector<std::string> origins = {
        "Texte",  "a.htm", "ba.htm",    "b.htm", "page (2).htm", "x / y", "y",   "Balise \"a / b\"", "(",
        ")",      "b",     "Texte (1)", "",      "/ x",          " / ",   "a /", "x (007)",          "x",
        "n (99)", "n",     "m (-3)",    "m"};
    Generator gen(99);
    ref::Analysis model;
    for (int i = 0; i < 3000; ++i) {
        const std::string text = gen.Text(10);
        const std::string& origin = gen.Pick(origins);
        const bool keepUsual = gen.Below(2) == 0;
        CountWords(text, origin, keepUsual);
        model.CountWords(text, origin, keepUsual);
        if (i % 500 == 499) {
            ExpectSame(model, "call " + std::to_string(i));
            if (HasFatalFailure())
                return;
        }
    }
}

// Many page names, as a site scan counts them: hundreds of names, some met
// again after others (pages of one name in several folders), counts growing
// past 9 and 99, and late in the run names that contain one another followed
// by " (".
TEST_F(WordTablesReferenceTest, CountWordsAgreesForManyPageNames)
{
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
        names.push_back("p" + std::to_string(i) + ".htm");
    Generator gen(4242);
    ref::Analysis model;
    for (int i = 0; i < 6000; ++i) {
        std::string origin = names[static_cast<std::size_t>(i / 20) % names.size()];
        if (gen.Below(7) == 0)
            origin = "index.htm";
        if (i > 5000 && gen.Below(5) == 0)
            origin = gen.Below(2) ? "p3.htm (2).htm" : "p3.htm";
        const std::string text = gen.Text(4) + " alpha beta alpha";
        CountWords(text, origin, false);
        model.CountWords(text, origin, false);
        if (i % 1000 == 999) {
            ExpectSame(model, "call " + std::to_string(i));
            if (HasFatalFailure())
                return;
        }
    }
}

// A nearly full table: new words are dropped once the 10001 rows are used,
// known words still count, and only attribute texts report it, once.
TEST_F(WordTablesReferenceTest, FullTableAgrees)
{
    ref::Analysis model;
    for (int row = 0; row < WordTableRows - 40; ++row) {
        const std::string word = "w" + std::to_string(row) + "x";
        WordTables.WordForms[row] = word;
        WordTables.WordKeys[row] = "/" + word + "/";
        WordTables.WordOrigins[row] = "Texte (1)";
        WordTables.WordCounts[row] = 1;
        model.Forms.push_back(word);
        model.Keys.push_back("/" + word + "/");
        model.Origins.push_back("Texte (1)");
        model.Counts.push_back(1);
    }
    Generator gen(5);
    for (int i = 0; i < 120; ++i) {
        std::string text = gen.Text(6);
        if (i % 3 == 0)
            text += " w" + std::to_string(gen.Below(WordTableRows)) + "x";
        const bool keepUsual = gen.Below(2) == 0;
        CountWords(text, "Texte", keepUsual);
        model.CountWords(text, "Texte", keepUsual);
    }
    ExpectSame(model, "full table");
    EXPECT_EQ(model.Forms.size(), static_cast<std::size_t>(WordTableRows));
    EXPECT_EQ(model.Messages, 1);
}

// Rows written by hand (the table filled without CountWords) are taken up,
// and of two rows holding the same key the first one counts.
TEST_F(WordTablesReferenceTest, HandWrittenRowsAgree)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"mot", "/mot/"}, {"caf\xE9", "/cafe/"}, {"mots", "/mot/"}, {"\xE9t\xE9", "/ete/"}, {"cafes", "/cafe/"}};
    ref::Analysis model;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int r = static_cast<int>(row);
        WordTables.WordForms[r] = rows[row].first;
        WordTables.WordKeys[r] = rows[row].second;
        WordTables.WordOrigins[r] = "x (1)";
        WordTables.WordCounts[r] = 1;
        model.Forms.push_back(rows[row].first);
        model.Keys.push_back(rows[row].second);
        model.Origins.push_back("x (1)");
        model.Counts.push_back(1);
    }
    Generator gen(11);
    for (int i = 0; i < 300; ++i) {
        const std::string text = gen.Text(6) + " mot MOTS caf&eacute; cafes \xC9t\xE9";
        CountWords(text, i % 2 ? "x" : "y", i % 3 == 0);
        model.CountWords(text, i % 2 ? "x" : "y", i % 3 == 0);
    }
    ExpectSame(model, "hand-written rows");
    EXPECT_EQ(WordTables.WordCounts[2], 1);  // the second row of "mot" is never used
}
