// Keyword relevance: how well one page serves its declared keywords, and
// which words set it apart from the rest of its site.
//
// For each declared keyword: its occurrences as a whole phrase in the
// visible text (title and body text, cut into words as the analysis cuts
// them), its density and density band, its prominence and where it is
// placed (title, description, h1, other headings, first 100 words, alt
// texts, file name). For the page: its readability, and its best terms by
// TF-IDF against the document frequencies of the site.
//
// Everything here works on values the caller owns (a RelevancePage, a
// RelevanceTools per thread), so pages may be measured on several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "analysis/readability.h"
#include "analysis/word_forms.h"

namespace kestrova {

// What the relevance reads of a page.
struct RelevancePage {
    std::string Path;
    std::string FileName;  // without folder, as the program's texts show it (DisplayFileName)
    bool Utf8 = false;     // the page was read as UTF-8
    std::string Lang;      // the lang attribute of the html tag, lower-cased ("" when none)
    std::string Title;     // decoded page text
    std::string Description;
    std::vector<std::string> Keywords;  // declared (decoded, trimmed, none empty)
    // The visible words (title, then the text runs, in page order) as the
    // analysis cuts them, usual words included; Runs[i] numbers the text run
    // word i comes from (the title is run 0).
    std::vector<std::string> Words;
    std::vector<std::uint32_t> Runs;
    std::vector<std::string> H1Texts;
    std::vector<std::string> OtherHeadingTexts;  // h2 to h6
    std::vector<std::string> AltTexts;
    // The visible text in UTF-8, one block (title, paragraph, heading, list
    // item, cell ...) per line: what the readability measures.
    std::string ReadingText;
};

// Reads the page (through the page walker, with a state of its own: safe on
// any thread). False when the page cannot be read or is not HTML.
bool ReadRelevancePage(const std::string& path, RelevancePage& page);

// The language of the page: its lang attribute when it is French or
// English, else the given one.
RelevanceLanguage PageLanguage(const RelevancePage& page, RelevanceLanguage otherwise);
// The same from the lang attribute's value ("fr", "en-GB", ...).
RelevanceLanguage LangAttributeLanguage(const std::string& lang, RelevanceLanguage otherwise);

// Per-thread tools: one matcher and one syllable counter per language,
// made when first needed, and the usual words.
class RelevanceTools {
public:
    // usualWords: "/le/la/.../" (App.UsualWords).
    RelevanceTools(bool wordForms, const std::string& usualWords);
    ~RelevanceTools();
    RelevanceTools(const RelevanceTools&) = delete;
    RelevanceTools& operator=(const RelevanceTools&) = delete;

    WordFormMatcher& Matcher(RelevanceLanguage language);
    SyllableCounter& Syllables(RelevanceLanguage language);
    // Whether the lower-case word is one of the usual words (as written).
    bool IsUsual(std::string_view word) const;
    bool WordForms() const { return wordForms_; }

private:
    bool wordForms_;
    std::unordered_set<std::string> usual_;
    std::unique_ptr<WordFormMatcher> matchers_[2];
    std::unique_ptr<SyllableCounter> syllables_[2];
};

// The keys of a list of words (WordFormMatcher::Key of each).
std::vector<std::string> WordKeys(const std::vector<std::string>& words, WordFormMatcher& matcher);
// The keys of the words of a text (a keyword, a heading), cut as the
// analysis cuts words.
std::vector<std::string> TextKeys(std::string_view text, WordFormMatcher& matcher);

enum class DensityBand { None, Low, Good, High, Excessive };

// Pages shorter than this get no density band.
constexpr int DensityBandMinimumWords = 100;

// No band under 100 words; under 0.5 % low; 0.5 to 3 % good; over 3 % high;
// over 4 % excessive.
DensityBand DensityBandOf(double density, int pageWords);
// French text of the band ("faible", "bonne", "élevée", "excessive"; "" for
// None), the key of its translation.
std::string DensityBandText(DensityBand band);

// (W - (S - 1) / n) * 100 / W, W the words of the page, n the occurrences,
// S the sum of their 1-based positions; 0 without occurrences.
double Prominence(int pageWords, int occurrences, std::int64_t positionSum);

// The occurrences of a keyword in a page, and the numbers made from them.
// The site check's keyword rules use the same numbers.
struct KeywordNumbers {
    int Occurrences = 0;
    int KeywordWords = 0;  // words of the keyword
    int PageWords = 0;
    std::vector<int> Positions;  // 1-based position of the first word of each occurrence
    // occurrences * keyword words / page words * 100
    double Density = 0;
    DensityBand Band = DensityBand::None;
    double Prominence = 0;
};

// Counts the keyword (its word keys) in the page (its word keys) as a whole
// phrase, occurrences not overlapping, and makes the numbers. A keyword
// without words has no occurrence.
KeywordNumbers CountKeyword(const std::vector<std::string>& keywordKeys, const std::vector<std::string>& pageKeys);

// The numbers of one keyword in a read page, as the relevance shows them
// (word forms as tools has them, the page's language): what the site check's
// keyword rules use (a keyword unused: no occurrence; keyword stuffing: the
// density over 4 %, DensityBand::Excessive).
KeywordNumbers MeasureKeyword(const RelevancePage& page, const std::string& keyword, RelevanceLanguage programLanguage,
                              RelevanceTools& tools);

// Whether the phrase occurs as a whole in the words.
bool HoldsPhrase(const std::vector<std::string>& words, const std::vector<std::string>& phrase);

struct KeywordPlacement {
    bool Title = false;
    bool Description = false;
    bool H1 = false;
    bool OtherHeading = false;
    bool First100Words = false;  // an occurrence lies wholly within the first 100 words
    bool AltText = false;
    bool FileName = false;  // the page's file name without extension
};

// Words of the page an occurrence must lie within to count as early.
constexpr int EarlyWords = 100;

// The TF-IDF of the site. Pages: N; Frequency: pages holding the term.
class DocumentFrequencies {
public:
    virtual ~DocumentFrequencies() = default;
    virtual int Pages() const = 0;
    virtual int Frequency(const std::string& termKey) const = 0;
};

// ln((1 + N) / (1 + df)) + 1
double InverseDocumentFrequency(int pages, int frequency);

// The terms of a page: its words that are not usual words, and its
// two-word phrases (two neighbours of the same text run, neither a usual
// word). Key: the word keys joined by a space; the shown text is the first
// spelling met.
struct PageTerm {
    std::string Text;
    int Count = 0;
};
using PageTermMap = std::unordered_map<std::string, PageTerm>;
void CollectTerms(const RelevancePage& page, const std::vector<std::string>& pageKeys, const RelevanceTools& tools,
                  PageTermMap& terms);

struct TermScore {
    std::string Text;
    std::string Key;
    int Count = 0;
    int Frequency = 0;  // pages of the site holding it
    double Tf = 0;      // count / page words
    double Idf = 0;
    double Score = 0;  // tf * idf
    bool Declared = false;
};

// Terms listed at most.
constexpr int BestTermCount = 20;
// Undeclared terms among the best that are offered as keywords.
constexpr int SuggestionCount = 5;

struct KeywordRelevance {
    std::string Keyword;
    KeywordNumbers Numbers;
    KeywordPlacement Placement;
};

struct RelevanceReport {
    RelevanceLanguage Language = RelevanceLanguage::French;
    bool WordForms = true;
    int PageWords = 0;
    std::vector<KeywordRelevance> Keywords;  // in declared order
    Readability Reading;
    int SitePages = 0;             // N of the TF-IDF (0 without site)
    std::vector<TermScore> Terms;  // best first, at most BestTermCount
    // The texts of the best undeclared terms, best first.
    std::vector<std::string> Suggestions;
};

// The whole relevance of a read page. site may be null (then N is 1, the
// page alone, and every term has df 1).
RelevanceReport MeasureRelevance(const RelevancePage& page, RelevanceLanguage programLanguage, RelevanceTools& tools,
                                 const DocumentFrequencies* site);

}  // namespace kestrova
