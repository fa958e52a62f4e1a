#include "analysis/keyword_relevance.h"

#include <algorithm>
#include <cmath>

#include "analysis/word_tables.h"
#include "base/paths.h"
#include "base/text_rules.h"
#include "base/unicode_text.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

namespace {

bool IsTagSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The tag's name, lower-cased ("/h1" for an end tag).
std::string TagName(const std::string& tag)
{
    std::size_t start = 0;
    while (start < tag.size() && IsTagSpace(tag[start]))
        ++start;
    std::size_t end = start;
    if (end < tag.size() && tag[end] == '/')
        ++end;
    while (end < tag.size() && !IsTagSpace(tag[end]) && tag[end] != '/')
        ++end;
    return ToLower(tag.substr(start, end - start));
}

// The value of an attribute of a tag (quoted with " or ', or bare), its
// entities decoded; found is false when the tag has no such attribute.
std::string AttributeOf(const std::string& tag, std::string_view name, bool& found)
{
    found = false;
    std::size_t i = 0;
    // Past the tag name.
    while (i < tag.size() && IsTagSpace(tag[i]))
        ++i;
    while (i < tag.size() && !IsTagSpace(tag[i]))
        ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (IsTagSpace(tag[i]) || tag[i] == '/'))
            ++i;
        const std::size_t nameStart = i;
        while (i < tag.size() && !IsTagSpace(tag[i]) && tag[i] != '=' && tag[i] != '/')
            ++i;
        const std::string attribute = ToLower(tag.substr(nameStart, i - nameStart));
        while (i < tag.size() && IsTagSpace(tag[i]))
            ++i;
        std::string value;
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && IsTagSpace(tag[i]))
                ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                const char quote = tag[i++];
                const std::size_t close = tag.find(quote, i);
                const std::size_t end = close == std::string::npos ? tag.size() : close;
                value = tag.substr(i, end - i);
                i = close == std::string::npos ? tag.size() : close + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < tag.size() && !IsTagSpace(tag[i]))
                    ++i;
                value = tag.substr(valueStart, i - valueStart);
            }
        }
        if (attribute.empty()) {
            if (i < tag.size())
                ++i;  // a stray character
            continue;
        }
        if (attribute == name) {
            found = true;
            std::replace_if(
                value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
            return TrimSpaces(DecodeEntities(value));
        }
    }
    return {};
}

// Tags after which the text reads as a new block (and a new sentence).
bool IsBlockTag(std::string_view name)
{
    if (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    static const std::unordered_set<std::string_view> blocks{
        "p",     "div",  "br",      "h1",      "h2",         "h3",      "h4",     "h5",       "h6",     "li",
        "ul",    "ol",   "dl",      "dt",      "dd",         "tr",      "td",     "th",       "table",  "caption",
        "title", "body", "section", "article", "header",     "footer",  "nav",    "aside",    "main",   "blockquote",
        "pre",   "hr",   "form",    "option",  "figcaption", "address", "center", "fieldset", "legend", "head"};
    return blocks.count(name) != 0;
}

// Text of the page with line ends and tabs as spaces.
std::string Spaced(const std::string& text)
{
    std::string spaced = text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return spaced;
}

void AddWords(std::string_view text, std::uint32_t run, RelevancePage& page)
{
    CutTextWords(text, [&](std::string_view word) {
        page.Words.emplace_back(word);
        page.Runs.push_back(run);
    });
}

void AddReadingBlock(RelevancePage& page)
{
    if (!page.ReadingText.empty() && page.ReadingText.back() != '\n')
        page.ReadingText += '\n';
}

}  // namespace

bool ReadRelevancePage(const std::string& path, RelevancePage& page)
{
    page = RelevancePage{};
    page.Path = path;
    page.FileName = DisplayFileName(path);
    PageState state;
    const WalkOptions options{.Owner = ui::MainWindowId,
                              .ReportErrors = false,
                              .SetTitle = false,
                              .ShowProgress = false,
                              .WriteCopy = false,
                              .PumpEvents = false,
                              .State = &state};
    bool titlePending = false;
    bool titleTaken = false;
    int heading = 0;  // 1 to 6 inside a heading
    std::string headingText;
    std::uint32_t run = 0;
    const int walked =
        WalkPage(path, options, [&](std::int64_t, const std::string&, const std::string&, const std::string&) {
            const std::string& tag = state.CurrentTag;
            if (!tag.empty()) {
                const std::string name = TagName(tag);
                bool found = false;
                if (name == "title") {
                    if (!titleTaken)
                        titlePending = true;
                } else if (name == "html") {
                    const std::string lang = AttributeOf(tag, "lang", found);
                    if (found)
                        page.Lang = ToLower(lang);
                } else if (name == "meta") {
                    const std::string metaName = ToLower(AttributeOf(tag, "name", found));
                    if (metaName == "description") {
                        page.Description = AttributeOf(tag, "content", found);
                    } else if (metaName == "keywords") {
                        const std::string content = AttributeOf(tag, "content", found);
                        page.Keywords.clear();  // the last keywords tag wins
                        std::size_t start = 0;
                        for (;;) {
                            const std::size_t comma = content.find(',', start);
                            const std::string part = TrimSpaces(content.substr(start, comma - start));
                            if (!part.empty())
                                page.Keywords.push_back(part);
                            if (comma == std::string::npos)
                                break;
                            start = comma + 1;
                        }
                    }
                } else if (name == "img") {
                    const std::string alt = AttributeOf(tag, "alt", found);
                    if (!alt.empty())
                        page.AltTexts.push_back(alt);
                } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
                    // A heading left open ends where the next one starts.
                    if (heading != 0)
                        (heading == 1 ? page.H1Texts : page.OtherHeadingTexts).push_back(TrimSpaces(headingText));
                    heading = name[1] - '0';
                    headingText.clear();
                } else if (name.size() == 3 && name[0] == '/' && name[1] == 'h' && name[2] >= '1' && name[2] <= '6') {
                    if (heading != 0)
                        (heading == 1 ? page.H1Texts : page.OtherHeadingTexts).push_back(TrimSpaces(headingText));
                    heading = 0;
                }
                if (IsBlockTag(name))
                    AddReadingBlock(page);
            }
            const std::string& text = state.CurrentText;
            if (text.empty())
                return;
            if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
                // Space between two inline elements still parts their words.
                if (!page.ReadingText.empty() && page.ReadingText.back() != '\n' && page.ReadingText.back() != ' ')
                    page.ReadingText += ' ';
                return;
            }
            page.Utf8 = state.PageUtf8;
            const std::string decoded = DecodeEntities(Spaced(text));
            if (titlePending) {
                titlePending = false;
                titleTaken = true;
                page.Title = TrimSpaces(decoded);
                AddWords(Spaced(text), 0, page);
                AddReadingBlock(page);
                EncodeUtf8PageText(page.Title, page.ReadingText);
                page.ReadingText += '\n';
                return;
            }
            ++run;
            AddWords(text, run, page);
            if (heading != 0) {
                headingText += ' ';
                headingText += decoded;
            }
            EncodeUtf8PageText(decoded, page.ReadingText);
        });
    if (heading != 0)
        (heading == 1 ? page.H1Texts : page.OtherHeadingTexts).push_back(TrimSpaces(headingText));
    page.Utf8 = page.Utf8 || state.PageUtf8;
    return walked != 0;
}

RelevanceLanguage LangAttributeLanguage(const std::string& lang, RelevanceLanguage otherwise)
{
    if (lang.compare(0, 2, "fr") == 0)
        return RelevanceLanguage::French;
    if (lang.compare(0, 2, "en") == 0)
        return RelevanceLanguage::English;
    return otherwise;
}

RelevanceLanguage PageLanguage(const RelevancePage& page, RelevanceLanguage otherwise)
{
    return LangAttributeLanguage(page.Lang, otherwise);
}

RelevanceTools::RelevanceTools(bool wordForms, const std::string& usualWords) : wordForms_(wordForms)
{
    std::size_t start = 0;
    while (start < usualWords.size()) {
        std::size_t slash = usualWords.find('/', start);
        if (slash == std::string::npos)
            slash = usualWords.size();
        if (slash > start)
            usual_.insert(usualWords.substr(start, slash - start));
        start = slash + 1;
    }
}

RelevanceTools::~RelevanceTools() = default;

WordFormMatcher& RelevanceTools::Matcher(RelevanceLanguage language)
{
    auto& matcher = matchers_[language == RelevanceLanguage::English ? 1 : 0];
    if (!matcher)
        matcher = std::make_unique<WordFormMatcher>(language, wordForms_);
    return *matcher;
}

SyllableCounter& RelevanceTools::Syllables(RelevanceLanguage language)
{
    auto& counter = syllables_[language == RelevanceLanguage::English ? 1 : 0];
    if (!counter)
        counter = std::make_unique<SyllableCounter>(language);
    return *counter;
}

bool RelevanceTools::IsUsual(std::string_view word) const
{
    return usual_.count(std::string(word)) != 0;
}

std::vector<std::string> WordKeys(const std::vector<std::string>& words, WordFormMatcher& matcher)
{
    std::vector<std::string> keys;
    keys.reserve(words.size());
    for (const std::string& word : words)
        keys.push_back(matcher.Key(word));
    return keys;
}

std::vector<std::string> TextKeys(std::string_view text, WordFormMatcher& matcher)
{
    std::vector<std::string> keys;
    CutTextWords(text, [&](std::string_view word) { keys.push_back(matcher.Key(word)); });
    return keys;
}

DensityBand DensityBandOf(double density, int pageWords)
{
    if (pageWords < DensityBandMinimumWords)
        return DensityBand::None;
    if (density < 0.5)
        return DensityBand::Low;
    if (density <= 3.0)
        return DensityBand::Good;
    if (density <= 4.0)
        return DensityBand::High;
    return DensityBand::Excessive;
}

std::string DensityBandText(DensityBand band)
{
    switch (band) {
        case DensityBand::None:
            return {};
        case DensityBand::Low:
            return "faible";
        case DensityBand::Good:
            return "bonne";
        case DensityBand::High:
            return "\xE9lev\xE9"
                   "e";
        case DensityBand::Excessive:
            return "excessive";
    }
    return {};
}

double Prominence(int pageWords, int occurrences, std::int64_t positionSum)
{
    if (pageWords <= 0 || occurrences <= 0)
        return 0;
    const double W = pageWords;
    return (W - static_cast<double>(positionSum - 1) / occurrences) * 100.0 / W;
}

KeywordNumbers CountKeyword(const std::vector<std::string>& keywordKeys, const std::vector<std::string>& pageKeys)
{
    KeywordNumbers numbers;
    numbers.KeywordWords = static_cast<int>(keywordKeys.size());
    numbers.PageWords = static_cast<int>(pageKeys.size());
    const std::size_t length = keywordKeys.size();
    std::int64_t positionSum = 0;
    if (length > 0) {
        for (std::size_t i = 0; i + length <= pageKeys.size();) {
            if (std::equal(keywordKeys.begin(), keywordKeys.end(), pageKeys.begin() + static_cast<std::ptrdiff_t>(i))) {
                numbers.Positions.push_back(static_cast<int>(i + 1));
                positionSum += static_cast<std::int64_t>(i + 1);
                i += length;
            } else {
                ++i;
            }
        }
    }
    numbers.Occurrences = static_cast<int>(numbers.Positions.size());
    if (numbers.PageWords > 0)
        numbers.Density = 100.0 * numbers.Occurrences * numbers.KeywordWords / numbers.PageWords;
    numbers.Band = DensityBandOf(numbers.Density, numbers.PageWords);
    numbers.Prominence = Prominence(numbers.PageWords, numbers.Occurrences, positionSum);
    return numbers;
}

KeywordNumbers MeasureKeyword(const RelevancePage& page, const std::string& keyword, RelevanceLanguage programLanguage,
                              RelevanceTools& tools)
{
    WordFormMatcher& matcher = tools.Matcher(PageLanguage(page, programLanguage));
    return CountKeyword(TextKeys(keyword, matcher), WordKeys(page.Words, matcher));
}

bool HoldsPhrase(const std::vector<std::string>& words, const std::vector<std::string>& phrase)
{
    if (phrase.empty() || phrase.size() > words.size())
        return false;
    return std::search(words.begin(), words.end(), phrase.begin(), phrase.end()) != words.end();
}

double InverseDocumentFrequency(int pages, int frequency)
{
    return std::log((1.0 + pages) / (1.0 + frequency)) + 1.0;
}

void CollectTerms(const RelevancePage& page, const std::vector<std::string>& pageKeys, const RelevanceTools& tools,
                  PageTermMap& terms)
{
    terms.clear();
    const std::size_t count = std::min(page.Words.size(), pageKeys.size());
    std::vector<char> usual(count);
    for (std::size_t i = 0; i < count; ++i)
        usual[i] = tools.IsUsual(page.Words[i]) ? 1 : 0;
    auto add = [&](std::string key, const std::string& text) {
        PageTerm& term = terms[std::move(key)];
        if (term.Count++ == 0)
            term.Text = text;
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (usual[i])
            continue;
        add(pageKeys[i], page.Words[i]);
        if (i + 1 < count && !usual[i + 1] && page.Runs[i] == page.Runs[i + 1])
            add(pageKeys[i] + ' ' + pageKeys[i + 1], page.Words[i] + ' ' + page.Words[i + 1]);
    }
}

RelevanceReport MeasureRelevance(const RelevancePage& page, RelevanceLanguage programLanguage, RelevanceTools& tools,
                                 const DocumentFrequencies* site)
{
    RelevanceReport report;
    report.Language = PageLanguage(page, programLanguage);
    report.WordForms = tools.WordForms();
    report.PageWords = static_cast<int>(page.Words.size());
    WordFormMatcher& matcher = tools.Matcher(report.Language);
    const std::vector<std::string> pageKeys = WordKeys(page.Words, matcher);

    const std::vector<std::string> titleKeys = TextKeys(page.Title, matcher);
    const std::vector<std::string> descriptionKeys = TextKeys(page.Description, matcher);
    auto keysOf = [&](const std::vector<std::string>& texts) {
        std::vector<std::vector<std::string>> keys;
        for (const std::string& text : texts)
            keys.push_back(TextKeys(text, matcher));
        return keys;
    };
    const auto h1Keys = keysOf(page.H1Texts);
    const auto headingKeys = keysOf(page.OtherHeadingTexts);
    const auto altKeys = keysOf(page.AltTexts);
    std::string fileBase = page.FileName;
    if (const std::size_t dot = fileBase.rfind('.'); dot != std::string::npos && dot > 0)
        fileBase.erase(dot);
    const std::vector<std::string> fileKeys = TextKeys(fileBase, matcher);
    auto inAny = [](const std::vector<std::vector<std::string>>& all, const std::vector<std::string>& phrase) {
        return std::any_of(all.begin(), all.end(), [&](const auto& words) { return HoldsPhrase(words, phrase); });
    };

    std::vector<std::string> declaredKeys;
    for (const std::string& keyword : page.Keywords) {
        KeywordRelevance row;
        row.Keyword = keyword;
        const std::vector<std::string> keys = TextKeys(keyword, matcher);
        row.Numbers = CountKeyword(keys, pageKeys);
        const int length = static_cast<int>(keys.size());
        row.Placement.Title = HoldsPhrase(titleKeys, keys);
        row.Placement.Description = HoldsPhrase(descriptionKeys, keys);
        row.Placement.H1 = inAny(h1Keys, keys);
        row.Placement.OtherHeading = inAny(headingKeys, keys);
        row.Placement.AltText = inAny(altKeys, keys);
        row.Placement.FileName = HoldsPhrase(fileKeys, keys);
        row.Placement.First100Words =
            !row.Numbers.Positions.empty() && row.Numbers.Positions.front() + length - 1 <= EarlyWords;
        std::string joined;
        for (const std::string& key : keys)
            joined += (joined.empty() ? "" : " ") + key;
        declaredKeys.push_back(joined);
        report.Keywords.push_back(std::move(row));
    }

    report.Reading = MeasureReadability(page.ReadingText, report.Language, tools.Syllables(report.Language));

    PageTermMap terms;
    CollectTerms(page, pageKeys, tools, terms);
    report.SitePages = site != nullptr ? site->Pages() : 1;
    std::vector<TermScore> scores;
    scores.reserve(terms.size());
    for (const auto& [key, term] : terms) {
        TermScore score;
        score.Key = key;
        score.Text = term.Text;
        score.Count = term.Count;
        score.Frequency = site != nullptr ? site->Frequency(key) : 1;
        score.Tf = report.PageWords > 0 ? static_cast<double>(term.Count) / report.PageWords : 0;
        score.Idf = InverseDocumentFrequency(report.SitePages, score.Frequency);
        score.Score = score.Tf * score.Idf;
        score.Declared = std::find(declaredKeys.begin(), declaredKeys.end(), key) != declaredKeys.end();
        scores.push_back(std::move(score));
    }
    const std::size_t best = std::min<std::size_t>(BestTermCount, scores.size());
    std::partial_sort(scores.begin(), scores.begin() + static_cast<std::ptrdiff_t>(best), scores.end(),
                      [](const TermScore& a, const TermScore& b) {
                          if (a.Score != b.Score)
                              return a.Score > b.Score;
                          return a.Text < b.Text;
                      });
    scores.resize(best);
    report.Terms = std::move(scores);
    for (const TermScore& term : report.Terms)
        if (!term.Declared && static_cast<int>(report.Suggestions.size()) < SuggestionCount)
            report.Suggestions.push_back(term.Text);
    return report;
}

}  // namespace kestrova
