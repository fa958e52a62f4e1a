// Keyword relevance of one page: occurrences, density and its bands,
// prominence, placement, word forms, readability and TF-IDF, on small pages
// whose numbers are worked out by hand.
#include "analysis/keyword_relevance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/translate.h"
#include "tests/support/engine_state.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

using test::TempDir;

class KeywordRelevanceTest : public test::EngineStateTest {
protected:
    KeywordRelevanceTest() : EngineStateTest(LanguageFrench) {}

    // Reads a page written into the test folder.
    RelevancePage Read(const std::string& name, const std::string& html)
    {
        RelevancePage page;
        EXPECT_TRUE(ReadRelevancePage(dir.Write(name, html), page));
        return page;
    }
    RelevanceReport Measure(const RelevancePage& page, bool wordForms = true, const DocumentFrequencies* site = nullptr)
    {
        RelevanceTools tools(wordForms, App.UsualWords);
        return MeasureRelevance(page, RelevanceLanguage::French, tools, site);
    }
    static std::string Html(const std::string& keywords, const std::string& body, const std::string& lang = "fr")
    {
        return "<html lang=\"" + lang + "\"><head><meta name=\"keywords\" content=\"" + keywords + "\"></head><body>" +
               body + "</body></html>";
    }
    // n filler words that are neither usual words nor keywords.
    static std::string Filler(int n)
    {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += "remplissage" + std::to_string(i) + "x ";
        return text;
    }
    TempDir dir;
};

TEST_F(KeywordRelevanceTest, ProminenceOfTheFirstWordTheLastWordAndBoth)
{
    const std::string words = "bleu vert rouge jaune blanc noir gris rose brun";  // nine words
    {
        const RelevanceReport r = Measure(Read("a.htm", Html("voilier", "<p>voilier " + words + "</p>")));
        ASSERT_EQ(r.Keywords.size(), 1u);
        EXPECT_EQ(r.PageWords, 10);
        EXPECT_EQ(r.Keywords[0].Numbers.Occurrences, 1);
        EXPECT_DOUBLE_EQ(r.Keywords[0].Numbers.Prominence, 100.0);
        EXPECT_DOUBLE_EQ(r.Keywords[0].Numbers.Density, 10.0);
        // Under 100 words there is no band.
        EXPECT_EQ(r.Keywords[0].Numbers.Band, DensityBand::None);
    }
    {
        const RelevanceReport r = Measure(Read("b.htm", Html("voilier", "<p>" + words + " voilier</p>")));
        EXPECT_DOUBLE_EQ(r.Keywords[0].Numbers.Prominence, 10.0);
    }
    {
        // Ten words with the keyword first and last: S = 1 + 10, n = 2.
        const RelevanceReport r =
            Measure(Read("c.htm", Html("voilier", "<p>voilier bleu vert rouge jaune blanc noir gris voilier</p>")));
        EXPECT_EQ(r.PageWords, 9);
        EXPECT_EQ(r.Keywords[0].Numbers.Occurrences, 2);
        EXPECT_EQ(r.Keywords[0].Numbers.Positions, (std::vector<int>{1, 9}));
        // (9 - (10 - 1) / 2) * 100 / 9 = 50
        EXPECT_DOUBLE_EQ(r.Keywords[0].Numbers.Prominence, 50.0);
    }
    EXPECT_DOUBLE_EQ(Prominence(10, 2, 11), 50.0);
    EXPECT_DOUBLE_EQ(Prominence(10, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(Prominence(0, 1, 1), 0.0);
}

TEST_F(KeywordRelevanceTest, UsualWordsShortWordsAndNumbersInTheWordCount)
{
    // "le", "de" and "la" are usual words: they are words of the page all
    // the same. "à" (one letter) and "2006" (a number) are not words.
    const RelevanceReport r = Measure(Read("a.htm", Html("voilier", "<p>le voilier de la mer &agrave; 2006</p>")));
    EXPECT_EQ(r.PageWords, 5);
    EXPECT_EQ(r.Keywords[0].Numbers.Positions, (std::vector<int>{2}));
    EXPECT_DOUBLE_EQ(r.Keywords[0].Numbers.Prominence, 80.0);
    EXPECT_DOUBLE_EQ(r.Keywords[0].Numbers.Density, 20.0);
}

TEST_F(KeywordRelevanceTest, DensityOfAPhraseAndItsBands)
{
    // 200 words: the two-word keyword three times is 3 %, good; four times
    // 4 %, high; five times 5 %, excessive.
    auto page = [&](int times) {
        std::string body;
        for (int i = 0; i < times; ++i)
            body += "grand large ";
        body += Filler(200 - 2 * times);
        return Read("p" + std::to_string(times) + ".htm", Html("grand large", "<p>" + body + "</p>"));
    };
    const RelevanceReport three = Measure(page(3));
    EXPECT_EQ(three.PageWords, 200);
    EXPECT_EQ(three.Keywords[0].Numbers.Occurrences, 3);
    EXPECT_EQ(three.Keywords[0].Numbers.KeywordWords, 2);
    EXPECT_DOUBLE_EQ(three.Keywords[0].Numbers.Density, 3.0);
    EXPECT_EQ(three.Keywords[0].Numbers.Band, DensityBand::Good);
    EXPECT_EQ(Measure(page(4)).Keywords[0].Numbers.Band, DensityBand::High);
    EXPECT_EQ(Measure(page(5)).Keywords[0].Numbers.Band, DensityBand::Excessive);
    // The one keyword alone, as the site check measures it: the same numbers.
    RelevanceTools tools(true, App.UsualWords);
    const KeywordNumbers alone = MeasureKeyword(page(5), "Grand Large", RelevanceLanguage::English, tools);
    EXPECT_EQ(alone.Occurrences, 5);
    EXPECT_DOUBLE_EQ(alone.Density, 5.0);
    EXPECT_EQ(alone.Band, DensityBand::Excessive);
    EXPECT_EQ(alone.Positions, (std::vector<int>{1, 3, 5, 7, 9}));
    const RelevanceReport none = Measure(page(0));
    EXPECT_EQ(none.Keywords[0].Numbers.Occurrences, 0);
    EXPECT_EQ(none.Keywords[0].Numbers.Band, DensityBand::Low);
    EXPECT_DOUBLE_EQ(none.Keywords[0].Numbers.Prominence, 0.0);

    EXPECT_EQ(DensityBandOf(0.49, 100), DensityBand::Low);
    EXPECT_EQ(DensityBandOf(0.5, 100), DensityBand::Good);
    EXPECT_EQ(DensityBandOf(3.01, 100), DensityBand::High);
    EXPECT_EQ(DensityBandOf(4.0, 100), DensityBand::High);
    EXPECT_EQ(DensityBandOf(4.01, 100), DensityBand::Excessive);
    EXPECT_EQ(DensityBandOf(50, 99), DensityBand::None);
}

TEST_F(KeywordRelevanceTest, APhraseCountsOnlyWholeAndWithoutOverlap)
{
    const std::vector<std::string> keyword{"aa", "aa"};
    // "aa aa aa": one occurrence, the third word cannot start a second.
    EXPECT_EQ(CountKeyword(keyword, {"aa", "aa", "aa"}).Occurrences, 1);
    EXPECT_EQ(CountKeyword(keyword, {"aa", "aa", "aa", "aa"}).Positions, (std::vector<int>{1, 3}));
    EXPECT_EQ(CountKeyword({"grand", "large"}, {"grand", "bleu", "large"}).Occurrences, 0);
    EXPECT_EQ(CountKeyword({}, {"grand"}).Occurrences, 0);
    EXPECT_DOUBLE_EQ(CountKeyword({"grand"}, {}).Density, 0.0);
}

TEST_F(KeywordRelevanceTest, WordFormsInFrenchAndEnglish)
{
    const RelevancePage fr = Read("fr.htm", Html("voilier, r&eacute;gates, voiliers de course",
                                                 "<p>Les voiliers et la r&eacute;gate. Un voilier de course.</p>"));
    const RelevanceReport on = Measure(fr, true);
    EXPECT_EQ(on.Keywords[0].Numbers.Occurrences, 2);  // voiliers, voilier
    EXPECT_EQ(on.Keywords[1].Numbers.Occurrences, 1);  // régate for régates
    EXPECT_EQ(on.Keywords[2].Numbers.Occurrences, 1);  // voilier de course
    const RelevanceReport off = Measure(fr, false);
    EXPECT_EQ(off.Keywords[0].Numbers.Occurrences, 1);  // voilier only
    EXPECT_EQ(off.Keywords[1].Numbers.Occurrences, 0);
    EXPECT_EQ(off.Keywords[2].Numbers.Occurrences, 0);

    const RelevancePage en = Read("en.htm", Html("sail", "<p>Sailing and sails: we sail.</p>", "en"));
    EXPECT_EQ(Measure(en, true).Language, RelevanceLanguage::English);
    EXPECT_EQ(Measure(en, true).Keywords[0].Numbers.Occurrences, 3);
    EXPECT_EQ(Measure(en, false).Keywords[0].Numbers.Occurrences, 1);

    WordFormMatcher french(RelevanceLanguage::French, true);
    EXPECT_EQ(french.Key("voilier"), french.Key("voiliers"));
    EXPECT_EQ(french.Key("r\xE9gate"), french.Key("r\xE9gates"));
    EXPECT_NE(french.Key("voile"), french.Key("voilier"));
    WordFormMatcher english(RelevanceLanguage::English, true);
    EXPECT_EQ(english.Key("sail"), english.Key("sailing"));
    WordFormMatcher exact(RelevanceLanguage::French, false);
    EXPECT_NE(exact.Key("voilier"), exact.Key("voiliers"));
    // Accents are set aside as the word key sets them aside.
    EXPECT_EQ(exact.Key("r\xE9gate"), exact.Key("regate"));
}

TEST_F(KeywordRelevanceTest, PlacementOfEachKeyword)
{
    const std::string html =
        "<html lang=\"fr\"><head><title>Voilier &agrave; vendre</title>"
        "<meta name=\"description\" content=\"Un beau voilier\">"
        "<meta name=\"keywords\" content=\"voilier, r&eacute;gate, grand large, ancre\"></head><body>"
        "<h1>Voiliers</h1><h2>La <b>r&eacute;gate</b></h2><p>Texte du voilier.</p>"
        "<img src=\"photo.jpg\" alt=\"Grand large au soleil\"><p>" +
        Filler(120) + "ancre</p></body></html>";
    const RelevanceReport r = Measure(Read("voilier-occasion.html", html));
    ASSERT_EQ(r.Keywords.size(), 4u);
    const KeywordPlacement& voilier = r.Keywords[0].Placement;
    EXPECT_TRUE(voilier.Title);
    EXPECT_TRUE(voilier.Description);
    EXPECT_TRUE(voilier.H1);
    EXPECT_FALSE(voilier.OtherHeading);
    EXPECT_TRUE(voilier.First100Words);
    EXPECT_FALSE(voilier.AltText);
    EXPECT_TRUE(voilier.FileName);
    const KeywordPlacement& regate = r.Keywords[1].Placement;
    EXPECT_FALSE(regate.Title);
    EXPECT_FALSE(regate.H1);
    EXPECT_TRUE(regate.OtherHeading);
    EXPECT_TRUE(regate.First100Words);
    EXPECT_FALSE(regate.FileName);
    const KeywordPlacement& large = r.Keywords[2].Placement;
    EXPECT_TRUE(large.AltText);
    EXPECT_FALSE(large.First100Words);  // alt texts are not visible text
    EXPECT_EQ(r.Keywords[2].Numbers.Occurrences, 0);
    // "ancre" comes after the 100th word.
    EXPECT_EQ(r.Keywords[3].Numbers.Occurrences, 1);
    EXPECT_FALSE(r.Keywords[3].Placement.First100Words);
    // Title (3 words: voilier, vendre... "à" is too short) then the text.
    EXPECT_EQ(r.PageWords, 2 + 1 + 2 + 3 + 120 + 1);
}

TEST_F(KeywordRelevanceTest, AUtf8PageAndAnAccentedFileName)
{
    // A UTF-8 page whose file name is UTF-8 too: "régates.htm"; the Greek
    // keyword is held escaped and lower-cased with Unicode's case mapping.
    const RelevancePage page = Read(
        "r\xC3\xA9gates.htm",
        "<html lang=\"fr\"><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<meta name=\"keywords\" content=\"r\xC3\xA9gate, \xCE\xB8\xCE\xAC\xCE\xBB\xCE\xB1\xCF\x83\xCF\x83\xCE\xB1\">"
        "</head><body><p>Les r\xC3\xA9gates et la \xCE\x98\xCE\xAC\xCE\xBB\xCE\xB1\xCF\x83\xCF\x83\xCE\xB1."
        "</p></body></html>");
    EXPECT_TRUE(page.Utf8);
    ASSERT_EQ(page.Keywords.size(), 2u);
    EXPECT_EQ(page.Keywords[0], "r\xE9gate");
    const RelevanceReport r = Measure(page);
    EXPECT_EQ(r.PageWords, 5);
    EXPECT_EQ(r.Keywords[0].Numbers.Occurrences, 1);
    EXPECT_TRUE(r.Keywords[0].Placement.FileName);
    EXPECT_EQ(r.Keywords[1].Numbers.Occurrences, 1);
    EXPECT_EQ(r.Keywords[1].Numbers.Positions, (std::vector<int>{5}));
}

TEST_F(KeywordRelevanceTest, ReadsTheDeclaredKeywordsAndTheLanguage)
{
    const RelevancePage page = Read("a.htm", "<html LANG='en-GB'><head><META NAME=\"Keywords\" CONTENT=\"one,, two ,"
                                             "caf&eacute;\"><meta name=keywords content=\"last, wins\"></head></html>");
    EXPECT_EQ(page.Keywords, (std::vector<std::string>{"last", "wins"}));
    EXPECT_EQ(page.Lang, "en-gb");
    EXPECT_EQ(PageLanguage(page, RelevanceLanguage::French), RelevanceLanguage::English);
    const RelevancePage other = Read("b.htm", "<html lang=\"de\"><meta name=\"keywords\" content=\"one,, two ,"
                                              "caf&eacute;\"></html>");
    EXPECT_EQ(other.Keywords, (std::vector<std::string>{"one", "two", "caf\xE9"}));
    EXPECT_EQ(PageLanguage(other, RelevanceLanguage::French), RelevanceLanguage::French);
    RelevancePage missing;
    EXPECT_FALSE(ReadRelevancePage(dir.File("none.htm"), missing));
    // Headings left open end at the next heading, or at the end of the page.
    const RelevancePage open = Read("c.htm", "<html><body><h1>Grand voilier<h2>Petit bateau</body></html>");
    EXPECT_EQ(open.H1Texts, (std::vector<std::string>{"Grand voilier"}));
    EXPECT_EQ(open.OtherHeadingTexts, (std::vector<std::string>{"Petit bateau"}));
}

TEST_F(KeywordRelevanceTest, ReadabilityWithKnownCountsInBothLanguages)
{
    RelevanceTools tools(true, App.UsualWords);
    // Le(1) chat(1) dort(1). Nous(1) partons(2) samedi(3) matin(2).
    const Readability fr = MeasureReadability("Le chat dort. Nous partons samedi matin.", RelevanceLanguage::French,
                                              tools.Syllables(RelevanceLanguage::French));
    EXPECT_EQ(fr.Sentences, 2);
    EXPECT_EQ(fr.Words, 7);
    EXPECT_EQ(fr.Syllables, 11);
    EXPECT_NEAR(fr.Score, 207 - 1.015 * 7 / 2 - 73.6 * 11 / 7, 1e-9);
    EXPECT_EQ(fr.Band, ReadabilityBand::Easy);

    // The(1) cat(1) ate(1) the(1) fish(1)! We(1) sail(1) in(1) the(1) morning(2)?
    const Readability en = MeasureReadability("The cat ate the fish! We sail in the morning?",
                                              RelevanceLanguage::English, tools.Syllables(RelevanceLanguage::English));
    EXPECT_EQ(en.Sentences, 2);
    EXPECT_EQ(en.Words, 10);
    EXPECT_EQ(en.Syllables, 11);
    EXPECT_NEAR(en.Score, 206.835 - 1.015 * 10 / 2 - 84.6 * 11 / 10, 1e-9);
    EXPECT_EQ(en.Band, ReadabilityBand::VeryEasy);

    // Navigation(4) is(1) beautiful(3).
    const Readability hard = MeasureReadability("Navigation is beautiful.", RelevanceLanguage::English,
                                                tools.Syllables(RelevanceLanguage::English));
    EXPECT_EQ(hard.Syllables, 8);
    EXPECT_EQ(hard.Band, ReadabilityBand::VeryDifficult);

    const Readability empty =
        MeasureReadability(" ... ", RelevanceLanguage::French, tools.Syllables(RelevanceLanguage::French));
    EXPECT_FALSE(empty.Measured);
    EXPECT_EQ(empty.Sentences, 0);

    EXPECT_EQ(ReadabilityBandOf(90), ReadabilityBand::VeryEasy);
    EXPECT_EQ(ReadabilityBandOf(89.9), ReadabilityBand::Easy);
    EXPECT_EQ(ReadabilityBandOf(60), ReadabilityBand::Standard);
    EXPECT_EQ(ReadabilityBandOf(49.9), ReadabilityBand::Difficult);
    EXPECT_EQ(ReadabilityBandOf(-20), ReadabilityBand::VeryDifficult);
}

TEST_F(KeywordRelevanceTest, ReadabilityOfAPageTakesEachBlockAsASentence)
{
    // A heading without a full stop is a sentence of its own, and the words
    // of a paragraph split by inline tags stay in one sentence.
    const RelevancePage page =
        Read("a.htm", "<html lang=\"fr\"><head><title>Le chat</title></head><body><h1>Nous partons</h1>"
                      "<p>Le <b>chat</b> dort</p></body></html>");
    const RelevanceReport r = Measure(page);
    EXPECT_EQ(r.Reading.Sentences, 3);
    EXPECT_EQ(r.Reading.Words, 7);
    EXPECT_EQ(r.Reading.Syllables, 8);
}

// A site of fixed frequencies.
class FixedFrequencies : public DocumentFrequencies {
public:
    int Pages() const override { return 3; }
    int Frequency(const std::string& key) const override
    {
        if (key == "voili" || key == "voili voili" || key == "voili bateau")
            return 1;
        if (key == "bateau")
            return 2;
        return 0;
    }
};

TEST_F(KeywordRelevanceTest, TfIdfOfTheTermsOfAPage)
{
    const FixedFrequencies site;
    const RelevanceReport r =
        Measure(Read("a.htm", Html("bateau", "<p>voilier voilier bateau</p><p>le</p>")), true, &site);
    EXPECT_EQ(r.SitePages, 3);
    ASSERT_EQ(r.Terms.size(), 4u);
    // tf = 2/4 (the usual word "le" is a word of the page, not a term),
    // idf = ln(4/2) + 1.
    EXPECT_EQ(r.Terms[0].Text, "voilier");
    EXPECT_EQ(r.Terms[0].Count, 2);
    EXPECT_DOUBLE_EQ(r.Terms[0].Tf, 0.5);
    EXPECT_NEAR(r.Terms[0].Idf, std::log(2.0) + 1, 1e-12);
    EXPECT_NEAR(r.Terms[0].Score, 0.5 * (std::log(2.0) + 1), 1e-12);
    EXPECT_FALSE(r.Terms[0].Declared);
    // The two phrases tie and come by their text.
    EXPECT_EQ(r.Terms[1].Text, "voilier bateau");
    EXPECT_EQ(r.Terms[2].Text, "voilier voilier");
    EXPECT_NEAR(r.Terms[1].Score, 0.25 * (std::log(2.0) + 1), 1e-12);
    EXPECT_EQ(r.Terms[3].Text, "bateau");
    EXPECT_NEAR(r.Terms[3].Score, 0.25 * (std::log(4.0 / 3.0) + 1), 1e-12);
    EXPECT_TRUE(r.Terms[3].Declared);
    EXPECT_EQ(r.Suggestions, (std::vector<std::string>{"voilier", "voilier bateau", "voilier voilier"}));
    EXPECT_DOUBLE_EQ(InverseDocumentFrequency(3, 3), 1.0);
}

TEST_F(KeywordRelevanceTest, PhrasesNeverStartOrEndWithAUsualWordNorCrossARun)
{
    RelevanceTools tools(true, App.UsualWords);
    const RelevancePage page = Read("a.htm", Html("", "<p>voilier de course</p><p>bateau</p><p>port</p>"));
    PageTermMap terms;
    CollectTerms(page, WordKeys(page.Words, tools.Matcher(RelevanceLanguage::French)), tools, terms);
    std::vector<std::string> texts;
    for (const auto& [key, term] : terms)
        texts.push_back(term.Text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"bateau", "course", "port", "voilier"}));
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

TEST(KeywordRelevanceTexts, BandsAndTheWindowInBothLanguages)
{
    const std::string language = App.Language;
    App.Language = "English";
    EXPECT_EQ(TranslateFrenchKey("Pertinence des mots cl\xE9s"), "Keyword relevance");
    EXPECT_EQ(TranslateFrenchKey("Pertinence des &mots cl\xE9s"), "Keyword &relevance");
    const char* const density[] = {"low", "good", "high", "excessive"};
    int i = 0;
    for (DensityBand band : {DensityBand::Low, DensityBand::Good, DensityBand::High, DensityBand::Excessive})
        EXPECT_EQ(TranslateFrenchKey(DensityBandText(band)), density[i++]);
    EXPECT_EQ(DensityBandText(DensityBand::None), "");
    const char* const reading[] = {"very easy",        "easy",      "fairly easy",   "standard",
                                   "fairly difficult", "difficult", "very difficult"};
    i = 0;
    for (double score : {95.0, 85.0, 75.0, 65.0, 55.0, 35.0, 10.0})
        EXPECT_EQ(TranslateFrenchKey(ReadabilityBandText(ReadabilityBandOf(score))), reading[i++]);
    App.Language = LanguageFrench;
    EXPECT_EQ(TranslateFrenchKey(ReadabilityBandText(ReadabilityBand::VeryDifficult)), "tr\xE8s difficile");
    EXPECT_EQ(TranslateFrenchKey(DensityBandText(DensityBand::High)), "\xE9lev\xE9"
                                                                      "e");
    App.Language = language;
}

}  // namespace
}  // namespace kestrova
