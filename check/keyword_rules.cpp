// The rules of the declared keywords.
#include "check/keyword_rules.h"

#include <cstdio>

#include "analysis/keyword_relevance.h"
#include "analysis/word_forms.h"
#include "base/app_state.h"
#include "base/text_rules.h"
#include "base/unicode_text.h"
#include "check/page_check.h"

namespace kestrova::check {

namespace {

std::string LowerWord(const std::string& word)
{
    std::string lower = ToLower(word);
    return HoldsEscape(lower) ? LowerEscapedCharacters(lower) : lower;
}

bool WordPresent(const std::string& part, const std::unordered_set<std::string>& words)
{
    if (words.contains(part) || words.contains(part + "s"))
        return true;
    return part.size() > 1 && part.back() == 's' && words.contains(part.substr(0, part.size() - 1));
}

std::unordered_set<std::string> WordsOf(const std::string& text)
{
    std::vector<std::string> list;
    CutWords(text, list);
    return {list.begin(), list.end()};
}

// Whether the analysis would mark the keyword used: every part among the
// counted words (usual words count only from attribute texts).
bool KeywordCounted(const std::vector<std::string>& parts, const PageFacts& facts)
{
    if (parts.empty())
        return false;
    for (const std::string& part : parts) {
        auto counted = [&](const std::vector<std::string>& words, bool usualCount) {
            for (const std::string& w : words)
                if (SameWord(w, part) && (usualCount || !IsUsualWord(w)))
                    return true;
            return false;
        };
        if (!counted(facts.AttributeWords, true) && !counted(facts.TextWords, false) &&
            !counted(facts.TitleWords, false))
            return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> KeywordParts(const std::string& keyword)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < keyword.size()) {
        const std::size_t end = keyword.find_first_of(" -_", start);
        const std::string part = keyword.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty())
            return {};
        parts.push_back(LowerWord(part));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

bool SameWord(const std::string& word, const std::string& part)
{
    if (word == part)
        return true;
    if (word.size() == part.size() + 1)
        return word.back() == 's' && word.compare(0, part.size(), part) == 0;
    if (part.size() == word.size() + 1)
        return part.back() == 's' && part.compare(0, word.size(), word) == 0;
    return false;
}

bool KeywordIn(const std::vector<std::string>& parts, const std::unordered_set<std::string>& words)
{
    if (parts.empty())
        return false;
    for (const std::string& part : parts)
        if (!WordPresent(part, words))
            return false;
    return true;
}

void CheckKeywords(const PageFacts& facts, FindingSink& sink)
{
    if (facts.Keywords.empty())
        return;
    const Place at = facts.KeywordsPlace;
    std::vector<std::vector<std::string>> parts;
    for (const std::string& keyword : facts.Keywords)
        parts.push_back(KeywordParts(keyword));

    for (std::size_t k = 0; k < facts.Keywords.size(); ++k)
        if (!KeywordCounted(parts[k], facts))
            sink.Add("keyword-unused", at, Say("Mot cl\xE9 absent de la page : %1", {facts.Keywords[k]}),
                     facts.Keywords[k]);

    auto anyIn = [&](const std::string& text) {
        const std::unordered_set<std::string> words = WordsOf(text);
        for (const auto& p : parts)
            if (KeywordIn(p, words))
                return true;
        return false;
    };
    if (sink.On("keyword-not-in-title") && facts.TitleCount > 0 && !facts.Title.empty() && !anyIn(facts.Title))
        sink.Add("keyword-not-in-title", facts.TitlePlace, Say("Aucun mot cl\xE9 dans le titre"),
                 facts.Keywords.front());
    if (sink.On("keyword-not-in-description") && facts.DescriptionCount > 0 && !facts.Description.empty() &&
        !anyIn(facts.Description))
        sink.Add("keyword-not-in-description", facts.DescriptionPlace, Say("Aucun mot cl\xE9 dans la description"),
                 facts.Keywords.front());

    // Keyword stuffing uses the numbers of the keyword relevance: the words
    // of the title and the text, keyword and words compared by their keys
    // (word forms as the setting says, in the page's language).
    if (!sink.On("keyword-stuffing"))
        return;
    WordFormMatcher matcher(LangAttributeLanguage(facts.HtmlLangValue, ProgramRelevanceLanguage(App.Language)),
                            App.WordForms);
    std::vector<std::string> pageKeys = WordKeys(facts.TitleWords, matcher);
    for (std::string& key : WordKeys(facts.TextWords, matcher))
        pageKeys.push_back(std::move(key));
    if (static_cast<int>(pageKeys.size()) < StuffingMinimumWords)
        return;
    const int threshold = sink.Threshold("keyword-stuffing");
    for (const std::string& keyword : facts.Keywords) {
        const KeywordNumbers numbers = CountKeyword(TextKeys(keyword, matcher), pageKeys);
        if (numbers.Density > threshold) {
            char shown[32];
            std::snprintf(shown, sizeof shown, "%.1f", numbers.Density);
            sink.Add("keyword-stuffing", at,
                     Say("Mot cl\xE9 trop r\xE9p\xE9t\xE9 : %1 (%2 % des mots, au plus %3 %)",
                         {keyword, shown, std::to_string(threshold)}),
                     keyword);
        }
    }
}

}  // namespace kestrova::check
