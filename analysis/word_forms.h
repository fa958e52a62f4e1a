// Word forms: the key two words of a page are compared by in the keyword
// relevance. With word forms on, a word is reduced to its stem by the
// Snowball stemmer of the page's language (voilier and voiliers, sail and
// sailing share a key); off, only case and accents are set aside.
#pragma once

#include <string>
#include <string_view>

struct sb_stemmer;

namespace kestrova {

enum class RelevanceLanguage { French, English };

// "fr" or "en" for the language, as the lang attribute writes it.
const char* LanguageCode(RelevanceLanguage language);

// The language of App.Language ("English" gives English, anything else
// French).
RelevanceLanguage ProgramRelevanceLanguage(const std::string& appLanguage);

// Keys for one language. Holds a stemmer, which is not safe to share
// between threads: each thread keeps its own.
class WordFormMatcher {
public:
    WordFormMatcher(RelevanceLanguage language, bool wordForms);
    ~WordFormMatcher();
    WordFormMatcher(const WordFormMatcher&) = delete;
    WordFormMatcher& operator=(const WordFormMatcher&) = delete;

    // The key of a word cut from a page (lower-case page text: Windows-1252
    // bytes, escaped characters of a UTF-8 page): its stem with word forms
    // on, then accents removed.
    std::string Key(std::string_view word);

    bool WordForms() const { return stemmer_ != nullptr; }
    RelevanceLanguage Language() const { return language_; }

private:
    RelevanceLanguage language_;
    sb_stemmer* stemmer_ = nullptr;
    std::string utf8_;
};

}  // namespace kestrova
