#include "analysis/word_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "page/page_state.h"
#include "tests/support/engine_state.h"

using namespace kestrova;

namespace {

class WordListsTest : public test::EngineStateTest {
protected:
    WordListsTest() : EngineStateTest(LanguageFrench) {}

    static void Declare(const std::vector<std::string>& keywords)
    {
        Page.KeywordList.Clear();
        for (const auto& k : keywords)
            Page.KeywordList.AddRow(k + "\nNon");
    }
};

using test::Column;

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(WordListsTest, CountedWordsAreSplitIntoUsualAndOtherWords)
{
    CountWords("image images image", "Texte", false);
    CountWords("La la", "Commentaire d'image", true);
    CountWords("lesquels autre autres", "Commentaire d'image", true);
    ReportList other, usual;
    other.AddRow("d\xE9j\xE0\n1");  // rows already there stay first
    FillWordLists(other, usual);
    EXPECT_EQ(Column(other, 0), (Strings{"d\xE9j\xE0", "image/images", "lesquels"}));
    EXPECT_EQ(Column(other, 1), (Strings{"1", "3", "1"}));
    EXPECT_EQ(Column(usual, 0), (Strings{"la", "autre/autres"}));
    EXPECT_EQ(Column(usual, 1), (Strings{"2", "2"}));
}

TEST_F(WordListsTest, KeywordIsUsedWhenEveryPartIsASpelling)
{
    CountWords("voilier course", "Texte", false);
    CountWords("de", "Texte", false);  // a usual word: not counted from visible text
    EXPECT_EQ(IsKeywordUsed("voiliers de course"), 0);
    CountWords("de", "Commentaire d'image", true);
    EXPECT_EQ(IsKeywordUsed("voiliers de course"), 1);
    EXPECT_EQ(IsKeywordUsed("Voiliers_De-Course"), 1);

    CountWords("bateau ecole", "Texte", false);
    EXPECT_EQ(IsKeywordUsed("bateau-\xE9"
                            "cole"),
              0);  // accents compared as written
    CountWords("\xC9"
               "cole",
               "Texte", false);  // École, counted as école
    EXPECT_EQ(IsKeywordUsed("bateau-\xE9"
                            "cole"),
              1);
    EXPECT_EQ(IsKeywordUsed("bateaux"), 0);

    // A plural "s" on either side.
    CountWords("voiles", "Texte", false);
    EXPECT_EQ(IsKeywordUsed("voile"), 1);
    EXPECT_EQ(IsKeywordUsed("courses"), 1);

    // Empty parts are never found; a separator at the end is ignored.
    EXPECT_EQ(IsKeywordUsed("bateau--voile"), 0);
    EXPECT_EQ(IsKeywordUsed(" bateau"), 0);
    EXPECT_EQ(IsKeywordUsed("bateau-"), 1);
    EXPECT_EQ(IsKeywordUsed(""), 0);
}

TEST_F(WordListsTest, MarkUsedKeywordsSetsTheSecondColumn)
{
    CountWords("voile bateau", "Texte", false);
    App.Language = LanguageEnglish;
    Page.KeywordList.AddRow("Voiles\nNo");
    Page.KeywordList.AddRow("avion\nNo");
    Page.KeywordList.Rows.push_back({"bateau"});  // a row without its second column
    MarkUsedKeywords();
    EXPECT_EQ(Column(Page.KeywordList, 1), (Strings{"Yes", "No", "Yes"}));
}

TEST_F(WordListsTest, FindKeywordRowIgnoresCaseAccentsAndAPluralS)
{
    Declare({"bateau", "Voiles",
             "\xE9"
             "cole",
             "voile rouge"});
    EXPECT_EQ(FindKeywordRow("voile", 0), 1);
    EXPECT_EQ(FindKeywordRow("ecole", 0), 2);
    EXPECT_EQ(FindKeywordRow("\xC9"
                             "COLES",
                             0),
              2);
    EXPECT_EQ(FindKeywordRow("bateaux", 0), -1);
    EXPECT_EQ(FindKeywordRow("rouge", 0), -1);  // a phrase never matches a word
    EXPECT_EQ(FindKeywordRow("voile", 2), -1);
    EXPECT_EQ(FindKeywordRow("bateau", 0), 0);
    // Several spellings: the row of the last spelling that matches.
    EXPECT_EQ(FindKeywordRow("voile/bateaux/bateau/avion", 0), 0);
    EXPECT_EQ(FindKeywordRow("bateau/voiles", 0), 1);
}

TEST_F(WordListsTest, WordDetailTellsWhereTheWordIsAndWhetherItIsDeclared)
{
    CountWords("Voile", "Titre", false);
    CountWords("voile voile voile", "Texte", false);
    CountWords("bateau", "Texte", false);
    Declare({"Voiles"});
    ReportList words;
    FillWordLists(words, words);

    WordDetail none = ShowWordDetail(words);
    EXPECT_FALSE(none.Selected);
    EXPECT_FALSE(none.AddEnabled);
    EXPECT_FALSE(none.SentenceEnabled);

    words.Selected = 0;
    WordDetail declared = ShowWordDetail(words);
    EXPECT_TRUE(declared.Selected);
    EXPECT_EQ(declared.Text,
              "Mot trouv\xE9 dans : Titre (1) / Texte (3)\n\nPr\xE9sent dans la liste des mots cl\xE9s.");
    EXPECT_FALSE(declared.AddEnabled);
    EXPECT_TRUE(declared.SentenceEnabled);

    words.Selected = 1;
    WordDetail absent = ShowWordDetail(words);
    EXPECT_EQ(absent.Text, "Mot trouv\xE9 dans : Texte (1)\n\nAbsent de la liste des mots cl\xE9s.");
    EXPECT_TRUE(absent.AddEnabled);
    EXPECT_TRUE(absent.SentenceEnabled);

    Page.PageReadOnly = true;
    absent = ShowWordDetail(words);
    EXPECT_FALSE(absent.AddEnabled);
    EXPECT_FALSE(absent.SentenceEnabled);

    // A word without origins in the tables: only the keyword sentence.
    Page.PageReadOnly = false;
    App.Language = LanguageEnglish;
    words.AddRow("inconnu\n1");
    words.Selected = 2;
    EXPECT_EQ(ShowWordDetail(words).Text, "\n\nNot into the keywords list.");
    words.Selected = 7;  // out of range: no selection
    EXPECT_FALSE(ShowWordDetail(words).Selected);
}

TEST_F(WordListsTest, SortSpecAndComparisonSigns)
{
    EXPECT_EQ(MakeSortSpec(1, true), 0x10001u);
    EXPECT_EQ(MakeSortSpec(0, false), 0u);
    const Strings a{"x", "10"}, b{"y", "9"};
    EXPECT_GT(CompareListRows(a, b, MakeSortSpec(1, true)), 0);
    EXPECT_LT(CompareListRows(a, b, MakeSortSpec(1, false)), 0);
    EXPECT_LT(CompareListRows(a, b, MakeSortSpec(0, true)), 0);
    EXPECT_EQ(CompareListRows(a, a, MakeSortSpec(1, false)), 0);
    // Only the first 199 characters count; a missing cell reads as empty.
    const Strings longA{std::string(199, 'a') + "b"}, longB{std::string(199, 'a') + "c"};
    EXPECT_EQ(CompareListRows(longA, longB, MakeSortSpec(0, true)), 0);
    EXPECT_LT(CompareListRows(Strings{}, a, MakeSortSpec(0, true)), 0);
}

TEST_F(WordListsTest, SortingCountsAndWordsKeepsTheSelection)
{
    ReportList counts;
    counts.AddRow("dix\n10");
    counts.AddRow("neuf\n9");
    counts.AddRow("cent\n100");
    counts.Selected = 1;
    EXPECT_EQ(SortReportList(counts, MakeSortSpec(1, false)), 2);
    EXPECT_EQ(Column(counts, 1), (Strings{"100", "10", "9"}));
    EXPECT_EQ(counts.Rows[counts.Selected][0], "neuf");
    SortReportList(counts, MakeSortSpec(1, true));
    EXPECT_EQ(Column(counts, 1), (Strings{"9", "10", "100"}));

    // Ascending on the words: the capital É is lower-cased only after the
    // accents were removed, so it stays a byte above z.
    ReportList keywords;
    keywords.AddRow("\xC9t\xE9\nNon");  // Été
    keywords.AddRow("z\xE8"
                    "bre\nNon");        // zèbre
    keywords.AddRow("\xE9t\xE9\nNon");  // été
    keywords.AddRow("Abri\nOui");
    EXPECT_EQ(SortReportList(keywords, 0, true), -1);
    EXPECT_EQ(Column(keywords, 0), (Strings{"Abri", "\xE9t\xE9",
                                            "z\xE8"
                                            "bre",
                                            "\xC9t\xE9"}));

    // Descending on "Oui"/"Non" keeps the order of equal rows.
    ReportList used;
    for (const char* row : {"a\nOui", "b\nNon", "c\nOui", "d\nNon"})
        used.AddRow(row);
    used.Selected = 3;
    EXPECT_EQ(SortReportList(used, MakeSortSpec(1, false)), 3);
    EXPECT_EQ(Column(used, 0), (Strings{"a", "c", "b", "d"}));

    // Positive numbers after every other cell when ascending.
    ReportList mixed;
    for (const char* row : {"12h", "abc", "-3", "0", " 7", "ete", "\xE9t\xE9", "2.5"})
        mixed.AddRow(row);
    SortReportList(mixed, MakeSortSpec(0, true));
    EXPECT_EQ(Column(mixed, 0), (Strings{"-3", "0", "abc", "ete", "\xE9t\xE9", "2.5", " 7", "12h"}));
}

// The comparison as written is not an order (a number against a text depends
// on which side the number is). The comparison used must be a strict weak
// order over any mix of cells, and must give the written answer wherever the
// written comparison answers the same both ways round.
TEST(CompareListRowsOrder, IsAStrictWeakOrderAgreeingWithTheWrittenComparison)
{
    auto written = [](const std::string& a, const std::string& b, int d) {
        if (a == b)
            return 0;
        const double na = std::strtod(a.c_str(), nullptr);
        if (na > 0)
            return na > std::strtod(b.c_str(), nullptr) ? d : -d;
        return ToLower(RemoveAccents(a)) > ToLower(RemoveAccents(b)) ? d : -d;
    };

    const Strings pieces = {"10",
                            "9",
                            "100",
                            " 7",
                            "3.5",
                            ".5",
                            "12h",
                            "0",
                            "-4",
                            "007",
                            "abc",
                            "Abc",
                            "ABC",
                            "ete",
                            "\xE9t\xE9",
                            "\xC9t\xE9",
                            "z\xE8"
                            "bre",
                            "zebre",
                            "\xFF",
                            "\x80",
                            "",
                            " ",
                            "oui",
                            "Non",
                            "2006b",
                            "10.0",
                            "a b",
                            "\xE0",
                            "b"};
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> parts(1, 2);
    Strings cells(pieces);
    for (int i = 0; i < 60; ++i) {
        std::string cell;
        for (int n = parts(rng); n > 0; --n)
            cell += pieces[pick(rng)];
        cells.push_back(cell);
    }

    for (bool ascending : {true, false}) {
        const std::uint32_t spec = MakeSortSpec(0, ascending);
        const int d = ascending ? 1 : -1;
        const std::size_t n = cells.size();
        std::vector<int> table(n * n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                table[i * n + j] = CompareListRows({cells[i]}, {cells[j]}, spec);
        auto cmp = [&](std::size_t i, std::size_t j) { return table[i * n + j]; };
        for (std::size_t i = 0; i < n; ++i) {
            const std::string& a = cells[i];
            EXPECT_EQ(cmp(i, i), 0);
            for (std::size_t j = 0; j < n; ++j) {
                const std::string& b = cells[j];
                const int ab = cmp(i, j), ba = cmp(j, i);
                ASSERT_EQ(ab<0, ba> 0) << a << " | " << b;
                ASSERT_EQ(ab == 0, a == b);
                const int wab = written(a, b, d), wba = written(b, a, d);
                if (wab == -wba && wab != 0) {
                    ASSERT_EQ(ab > 0 ? 1 : -1, wab) << a << " | " << b;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    if (ab < 0 && cmp(j, k) < 0) {
                        ASSERT_LT(cmp(i, k), 0) << a << " | " << b << " | " << cells[k];
                    }
                    if (ab == 0 && cmp(j, k) == 0) {
                        ASSERT_EQ(cmp(i, k), 0);
                    }
                }
            }
        }

        // A sorted list is in that order and keeps its selected row.
        ReportList list;
        for (const auto& cell : cells)
            list.Rows.push_back({cell, std::to_string(list.Rows.size())});
        list.Selected = 17;
        const std::string selectedId = list.Rows[17][1];
        const int row = SortReportList(list, spec);
        EXPECT_EQ(list.Rows.at(row)[1], selectedId);
        EXPECT_TRUE(std::is_sorted(list.Rows.begin(), list.Rows.end(), [&](const Strings& x, const Strings& y) {
            return CompareListRows(x, y, spec) < 0;
        }));
    }
}
