#include "analysis/word_tables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/app_state.h"
#include "base/headless_ui.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"
#include "tests/support/word_table_columns.h"

using namespace kestrova;

namespace {

class WordTablesTest : public test::EngineStateTest {
protected:
    WordTablesTest() : EngineStateTest(LanguageFrench) {}

    // Feeds one piece to the analysis handler, as the walker does.
    static void Tag(const std::string& tag)
    {
        Page.CurrentTag = tag;
        Page.CurrentText.clear();
        AnalysisHandler(0, "", "", "");
    }
    static void Text(const std::string& text)
    {
        Page.CurrentTag.clear();
        Page.CurrentText = text;
        AnalysisHandler(0, "", "", "");
    }

    // The row whose spellings are exactly forms, or -1.
    static int RowOf(const std::string& forms)
    {
        for (int row = 0; row < WordTableRows && !WordTables.WordForms[row].empty(); ++row)
            if (WordTables.WordForms[row] == forms)
                return row;
        return -1;
    }
    static int UsedRows()
    {
        int row = 0;
        while (row < WordTableRows && !WordTables.WordForms[row].empty())
            ++row;
        return row;
    }
    static std::vector<std::string> Keywords()
    {
        std::vector<std::string> out;
        for (const auto& row : Page.KeywordList.Rows)
            out.push_back(row.at(0) + "|" + row.at(1));
        return out;
    }
};

}  // namespace

TEST(WordKey, LowerCaseAccentsAndOneFinalS)
{
    EXPECT_EQ(WordKey("\xC9t\xE9"), "ete");  // Été
    EXPECT_EQ(WordKey("ete"), "ete");
    EXPECT_EQ(WordKey("\xE9t\xE9s"), "ete");  // étés
    EXPECT_EQ(WordKey("mots"), "mot");
    EXPECT_EQ(WordKey("bus"), "bu");
    EXPECT_EQ(WordKey("ss"), "s");
}

TEST(WordSeparators, TheThirtyThreeCharacters)
{
    EXPECT_EQ(WordSeparators.size(), 33u);
    int count = 0;
    for (int b = 0; b < 256; ++b)
        count += IsWordSeparator(static_cast<char>(b)) ? 1 : 0;
    EXPECT_EQ(count, 33);
    for (char c : std::string(" ,;:!'{()}[]\\/&*+-?.\xA7%<>#|_@=\"\t\n\r"))
        EXPECT_TRUE(IsWordSeparator(c)) << int(c);
    for (char c : std::string("aZ09\xE9~$^`\xA0"))
        EXPECT_FALSE(IsWordSeparator(c)) << int(c);
}

TEST_F(WordTablesTest, VisibleTextMergesSpellingsAndSkipsUsualWords)
{
    Text("Chaussures de sport, chaussure rouge");
    const int shoes = RowOf("chaussures/chaussure");
    ASSERT_GE(shoes, 0);
    EXPECT_EQ(WordTables.WordCounts[shoes], 2);
    EXPECT_EQ(WordTables.WordKeys[shoes], "/chaussure/");
    EXPECT_EQ(WordTables.WordOrigins[shoes], "Texte (2)");
    ASSERT_GE(RowOf("sport"), 0);
    EXPECT_EQ(WordTables.WordCounts[RowOf("sport")], 1);
    EXPECT_EQ(WordTables.WordCounts[RowOf("rouge")], 1);
    EXPECT_EQ(RowOf("de"), -1);
    EXPECT_EQ(UsedRows(), 3);
}

TEST_F(WordTablesTest, LineEndsSeparateWordsAndShortWordsAreSkipped)
{
    Text("mot1\nmot2\r\nmot3");
    EXPECT_GE(RowOf("mot1"), 0);
    EXPECT_GE(RowOf("mot2"), 0);
    EXPECT_GE(RowOf("mot3"), 0);
    EXPECT_EQ(UsedRows(), 3);

    ResetWordTables();
    // "est" is a usual word: counted in attribute texts only.
    CountWords("C'est l'\xE9t\xE9", "x", true);
    EXPECT_GE(RowOf("est"), 0);
    EXPECT_GE(RowOf("\xE9t\xE9"), 0);
    EXPECT_EQ(UsedRows(), 2);
    ResetWordTables();
    Text("C'est l'\xE9t\xE9");
    EXPECT_EQ(RowOf("est"), -1);
    EXPECT_EQ(UsedRows(), 1);
}

TEST_F(WordTablesTest, EntitiesAndSlashesInText)
{
    CountWords("caf&eacute;/th&eacute; l&amp;rsquo;or&nbsp;vert", "x", true);
    EXPECT_GE(RowOf("caf\xE9"), 0);
    EXPECT_GE(RowOf("th\xE9"), 0);
    EXPECT_GE(RowOf("or"), 0);
    EXPECT_GE(RowOf("vert"), 0);
    EXPECT_EQ(UsedRows(), 4);
}

TEST_F(WordTablesTest, NumbersAreNotCountedButLookalikesAre)
{
    Text("2006 75 2006b 007 3d 12h 2147483647 2147483648");
    EXPECT_EQ(RowOf("2006"), -1);
    EXPECT_EQ(RowOf("75"), -1);
    EXPECT_EQ(RowOf("2147483647"), -1);
    EXPECT_GE(RowOf("2006b"), 0);
    EXPECT_GE(RowOf("007"), 0);
    EXPECT_GE(RowOf("3d"), 0);
    EXPECT_GE(RowOf("12h"), 0);
    EXPECT_GE(RowOf("2147483648"), 0);
    EXPECT_EQ(UsedRows(), 5);
}

TEST_F(WordTablesTest, TitleIsTheFirstTextRunAfterTheTitleTag)
{
    Tag("title");
    EXPECT_EQ(Page.PageTitle, "--");
    Text("Mon &eacute;t&eacute;");
    EXPECT_EQ(Page.PageTitle, "Mon \xE9t\xE9");
    Tag("/title");
    Text("Mon \xE9t\xE9 chaud");
    EXPECT_EQ(Page.PageTitle, "Mon \xE9t\xE9");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("mon")], "Titre (1) / Texte (1)");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("\xE9t\xE9")], "Titre (1) / Texte (1)");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("chaud")], "Texte (1)");

    // An empty title element: the next text run, here a heading, is the title.
    ResetWordTables();
    Page.PageTitle.clear();
    Tag(" TITLE ");
    Tag("/title");
    Tag("h1");
    Text("Bienvenue\r\n");
    EXPECT_EQ(Page.PageTitle, "Bienvenue  ");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("bienvenue")], "Titre (1)");

    // The origin labels follow the interface language.
    ResetWordTables();
    App.Language = LanguageEnglish;
    Tag("title");
    Text("Voile");
    Text("Voile");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("voile")], "Title (1) / Text (1)");
}

TEST_F(WordTablesTest, ImageSourceAndAlternativeText)
{
    Tag("img src=\"photos/Grand-Voilier.JPG\" alt=\"Un voilier\"");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("grand")], "Nom d'image (1)");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("un")], "Commentaire d'image (1)");
    // "alt" is read before the image source.
    EXPECT_EQ(WordTables.WordOrigins[RowOf("voilier")], "Commentaire d'image (1) / Nom d'image (1)");
    EXPECT_EQ(WordTables.WordCounts[RowOf("voilier")], 2);
    EXPECT_EQ(UsedRows(), 3);
}

TEST_F(WordTablesTest, ImageNameLosesOnlyItsLastExtension)
{
    // Only the part after the last dot is the extension: every other part of
    // a dotted name is words of the image's name.
    Tag("img src=\"images/berger.allemand.noir.jpg\"");
    for (const char* word : {"berger", "allemand", "noir"}) {
        const int row = RowOf(word);
        ASSERT_GE(row, 0) << word;
        EXPECT_EQ(WordTables.WordOrigins[row], "Nom d'image (1)") << word;
    }
    EXPECT_EQ(RowOf("jpg"), -1);
    EXPECT_EQ(UsedRows(), 3);
}

TEST_F(WordTablesTest, ImageSourceOddRules)
{
    // src must follow img after one space (runs of spaces count as one).
    Tag("img class=\"x\" src=\"photos/cache.gif\"");
    EXPECT_EQ(RowOf("cache"), -1);
    Tag("IMG   SRC=\"photos/Bateau.gif\"");
    EXPECT_GE(RowOf("bateau"), 0);

    // Unquoted values end at the next space, else at a comma, else at the end.
    ResetWordTables();
    Tag("img src=images/mon-chien.jpg alt=Chien,fid\xE8le");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("mon")], "Nom d'image (1)");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("chien")], "Commentaire d'image (1) / Nom d'image (1)");
    EXPECT_EQ(RowOf("fid\xE8le"), -1);

    // A double quote anywhere after the attribute starts its value, even the
    // one of another attribute; single quotes are not delimiters.
    ResetWordTables();
    Tag("img src=a.gif title=\"Phare breton\"");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("phare")], "Nom d'image (1)");
    ResetWordTables();
    Tag("td background='fonds/Ciel-bleu.png'");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("ciel")], "Nom d'image (1)");
    EXPECT_EQ(RowOf("png"), -1);

    // Every occurrence of the attribute in the tag is read.
    ResetWordTables();
    Tag("area alt=\"Nord\" alt =\"Sud\" alt=\"Est\"");
    EXPECT_GE(RowOf("nord"), 0);
    EXPECT_GE(RowOf("est"), 0);
    // The next occurrence is looked for as "alt=" first, so the "alt =" in
    // between is passed over.
    EXPECT_EQ(RowOf("sud"), -1);
}

TEST_F(WordTablesTest, MetaContentLabelsInBothLanguages)
{
    Tag("meta name=\"description\" content=\"Voiliers \xE0 vendre\"");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("voiliers")], "Balise \"description\" (1)");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("vendre")], "Balise \"description\" (1)");
    EXPECT_EQ(UsedRows(), 2);

    ResetWordTables();
    App.Language = LanguageEnglish;
    Tag("META NAME=\"Description\" CONTENT=\"Voiliers \xE0 vendre\"");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("voiliers")], "Description tag (1)");
    EXPECT_EQ(MetaLabel("robots"), "robots tag");

    // http-equiv names the tag when there is no name; another tag's content
    // counts under the attribute name itself.
    ResetWordTables();
    App.Language = LanguageFrench;
    Tag("meta http-equiv=\"Content-Language\" content=\"fr\"");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("fr")], "Balise \"Content-Language\" (1)");
    Tag("div content=\"Galerie\"");
    EXPECT_EQ(WordTables.WordOrigins[RowOf("galerie")], "content (1)");
}

TEST_F(WordTablesTest, KeywordsMetaTagFillsTheKeywordList)
{
    Tag("meta name=\"keywords\" content=\"voile, bateau,,r\xE9gate\"");
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"voile|Non", "bateau|Non", "r\xE9gate|Non"}));
    EXPECT_TRUE(Page.KeywordAccentsBad);
    EXPECT_EQ(UsedRows(), 0);

    // Accents written as entities are decoded and are not reported; the last
    // keywords tag wins.
    Page.KeywordAccentsBad = false;
    App.Language = LanguageEnglish;
    Tag("meta name=\"keywords\" content=\"r&eacute;gate,\r\n  course au large \"");
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"r\xE9gate|No", "course au large|No"}));
    EXPECT_FALSE(Page.KeywordAccentsBad);

    Tag("meta name=\"keywords\" content=\"l'eau\"");
    EXPECT_TRUE(Page.KeywordAccentsBad);
}

TEST_F(WordTablesTest, AnyTagMentioningKeywordIsReadAsTheKeywordList)
{
    Page.KeywordList.AddRow("ancien\nNon");
    Tag("img src=\"images/keywords.gif\" alt=\"Mots choisis\"");
    // alt replaced the list first, then the image name replaced it again.
    EXPECT_EQ(Keywords(), (std::vector<std::string>{"keywords|Non"}));
    EXPECT_EQ(UsedRows(), 0);
}

TEST_F(WordTablesTest, FullTableDropsNewWordsAndWarnsOncePerRun)
{
    std::string many;
    for (int i = 0; i < WordTableRows; ++i)
        many += "w" + std::to_string(i) + "x ";
    CountWords(many, "Texte", false);
    ASSERT_EQ(UsedRows(), WordTableRows);
    EXPECT_EQ(WordTables.WordForms[WordTableRows - 1], "w10000x");

    // The 10002nd word is dropped, and the full table reported, whichever
    // text brought it: once for the whole run.
    CountWords("nouveau", "Texte", false);
    EXPECT_EQ(RowOf("nouveau"), -1);
    CountWords("encore autre chose", "Commentaire d'image", true);
    CountWords("toujours plus", "Texte", false);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, "Erreur");
    EXPECT_EQ(ui.Messages()[0].Text,
              "Le nombre de mots trouv\xE9s dans la page est trop important pour les capacit\xE9s de ce programme !");

    // Known words still count, and their origins are kept.
    CountWords("w5x w5xs", "Commentaire d'image", true);
    EXPECT_EQ(WordTables.WordForms[5], "w5x/w5xs");
    EXPECT_EQ(WordTables.WordCounts[5], 3);
    EXPECT_EQ(WordTables.WordOrigins[5], "Texte (1) / Commentaire d'image (2)");

    // A new run may warn again.
    ResetWordTables();
    EXPECT_EQ(UsedRows(), 0);
    CountWords(many, "Texte", false);
    CountWords("xylophone zinzolin", "Texte", false);
    EXPECT_EQ(ui.Messages().size(), 2u);
}

TEST_F(WordTablesTest, OriginsAreMatchedAsWholeEntries)
{
    CountWords("mot", "ab.htm", false);
    CountWords("mot", "b.htm", false);
    EXPECT_EQ(WordTables.WordOrigins[0], "ab.htm (1) / b.htm (1)");
    CountWords("mot", "b.htm", false);
    CountWords("mot", "ab.htm", false);
    EXPECT_EQ(WordTables.WordOrigins[0], "ab.htm (2) / b.htm (2)");
    CountWords("mot", "ab", false);
    CountWords("mot", "page (2).htm", false);
    CountWords("mot", "page (2).htm", false);
    EXPECT_EQ(WordTables.WordOrigins[0], "ab.htm (2) / b.htm (2) / ab (1) / page (2).htm (2)");
    EXPECT_EQ(WordTables.WordCounts[0], 7);
    for (int i = 0; i < 9; ++i)
        CountWords("mot", "b.htm", false);
    EXPECT_EQ(WordTables.WordOrigins[0], "ab.htm (2) / b.htm (11) / ab (1) / page (2).htm (2)");
}

// The key index must give exactly the rows a scan from row 0 gives; the model
// below records words the slow way, and both see the same random stream (with
// plural spellings, accents and upper case), including a table emptied by
// hand in the middle of the stream.
TEST_F(WordTablesTest, KeyIndexAgreesWithALinearScan)
{
    // Origins of a row as (label, count) pairs; the labels used here hold
    // neither " / " nor " (".
    struct Model {
        std::vector<std::string> Forms, Keys;
        std::vector<std::vector<std::pair<std::string, int>>> Origins;
        std::vector<int> Counts;
        void Record(const std::string& w, const std::string& origin)
        {
            const std::string key = "/" + WordKey(w) + "/";
            std::size_t row = 0;
            while (row < Keys.size() && Keys[row].find(key) == std::string::npos)
                ++row;
            if (row == Keys.size()) {
                Forms.push_back(w);
                Keys.push_back(key);
                Origins.emplace_back();
                Counts.push_back(1);
            } else {
                if (("/" + Forms[row] + "/").find("/" + w + "/") == std::string::npos)
                    Forms[row] += "/" + w;
                ++Counts[row];
            }
            for (auto& [label, count] : Origins[row])
                if (label == origin) {
                    ++count;
                    return;
                }
            Origins[row].emplace_back(origin, 1);
        }
        std::string OriginText(std::size_t row) const
        {
            std::string text;
            for (const auto& [label, count] : Origins[row])
                text += (text.empty() ? "" : " / ") + label + " (" + std::to_string(count) + ")";
            return text;
        }
    };

    std::mt19937 rng(20240601);
    const std::vector<std::string> stems = {"ete",     "\xE9t\xE9", "mot",       "voile", "bus", "bu",
                                            "caf\xE9", "cafe",      "r\xE9gate", "zz",    "ab",  "abs"};
    // Enough labels for lists long enough to be indexed.
    const std::vector<std::string> origins = {"Texte",        "Titre",       "a.htm",       "ba.htm",
                                              "Balise \"x\"", "Nom d'image", "contact.htm", "Commentaire d'image",
                                              "index.html"};
    std::uniform_int_distribution<std::size_t> stem(0, stems.size() - 1), origin(0, origins.size() - 1);
    std::uniform_int_distribution<int> coin(0, 3), number(0, 300);

    Model model;
    for (int i = 0; i < 6000; ++i) {
        std::string w = coin(rng) == 0 ? stems[stem(rng)] + std::to_string(number(rng)) : stems[stem(rng)];
        if (coin(rng) == 0)
            w += "s";
        if (coin(rng) == 0)
            w = ToUpper(w);
        const std::string o = origins[origin(rng)];
        CountWords(w, o, true);
        model.Record(ToLower(w), o);
        if (i == 3000) {
            // Emptied row by row, without Clear().
            for (int row = 0; row < WordTableRows; ++row) {
                WordTables.WordForms[row].clear();
                WordTables.WordKeys[row].clear();
                WordTables.WordOrigins[row].clear();
                WordTables.WordCounts[row] = 0;
            }
            model = Model{};
        }
    }
    ASSERT_EQ(UsedRows(), static_cast<int>(model.Forms.size()));
    EXPECT_GT(WordTables.WordOrigins[0].size(), 150u);
    for (std::size_t row = 0; row < model.Forms.size(); ++row) {
        EXPECT_EQ(WordTables.WordForms[row], model.Forms[row]);
        EXPECT_EQ(WordTables.WordKeys[row], model.Keys[row]);
        EXPECT_EQ(WordTables.WordOrigins[row], model.OriginText(row));
        EXPECT_EQ(WordTables.WordCounts[row], model.Counts[row]);
    }
}

// A page's texts gathered apart and counted in one step leave the tables as
// counting each text in turn does: rows, spellings, counts, page lists
// (written at once or kept aside), usual words and a table that fills up.
TEST_F(WordTablesTest, AGatheredPageCountsAsItsTextsCountedOneByOne)
{
    std::mt19937 rng(7);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const std::vector<std::string> pieces = {
        "mot",
        "mots",
        "Mot",
        "\xE9t\xE9",
        "ete",
        "caf&eacute;",
        "caf\xE9",
        "la",
        "de",
        "2006",
        "007",
        "r&eacute",
        "fin&nbsp;",
        "a/b",
        "x",
        "chat-chats",
        "&amp",
        "&#233;t&#233;",
        DecodeUtf8PageText("\xCE\x9B\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 "
                           "\xD0\x94\xD0\xBE\xD0\xBC")};
    const std::vector<std::string> names = {"a.htm", "ab.htm", "a.htm (2).htm", "b.htm"};
    struct PageTexts {
        std::string Origin;
        std::vector<std::string> Texts;
    };
    std::vector<PageTexts> pages;
    for (int p = 0; p < 40; ++p) {
        PageTexts page{names[pick(names.size())], {}};
        for (std::size_t t = 0, n = 1 + pick(5); t < n; ++t) {
            std::string text;
            for (std::size_t w = 0, m = pick(30); w < m; ++w)
                text += pieces[pick(pieces.size())] + (pick(4) == 0 ? "\r\n" : " ");
            page.Texts.push_back(text);
        }
        if (p == 25) {
            // Words met nowhere else, enough to fill the table.
            std::string many;
            for (int i = 0; i < WordTableRows; ++i)
                many += "q" + std::to_string(i) + "z ";
            page.Texts.push_back(many);
        }
        pages.push_back(page);
    }
    for (const bool keepUsual : {false, true}) {
        for (const bool deferred : {false, true}) {
            SCOPED_TRACE(testing::Message() << "keep usual " << keepUsual << ", deferred " << deferred);
            ResetWordTables();
            if (deferred)
                DeferWordOrigins();
            for (const PageTexts& page : pages)
                for (const std::string& text : page.Texts)
                    CountWords(text, page.Origin, keepUsual);
            WriteWordOrigins();
            const test::WordTableColumns oneByOne = test::SnapshotWordTables();
            const std::size_t messages = ui.Messages().size();

            ResetWordTables();
            if (deferred)
                DeferWordOrigins();
            WordBatch batch;
            for (const PageTexts& page : pages) {
                batch.Clear();
                for (const std::string& text : page.Texts)
                    GatherWords(text, batch);
                CountWordBatch(batch, page.Origin, keepUsual);
            }
            WriteWordOrigins();
            ASSERT_FALSE(oneByOne.Forms[WordTableRows - 1].empty());
            EXPECT_EQ(ui.Messages().size(), messages + 1) << "the full table is reported once per run";
            test::ExpectSameWordTables(test::SnapshotWordTables(), oneByOne);
        }
    }
}
