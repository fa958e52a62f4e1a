#include "analysis/word_forms.h"

#include <libstemmer.h>

#include "base/codec.h"
#include "base/text_rules.h"
#include "base/unicode_text.h"

namespace kestrova {

const char* LanguageCode(RelevanceLanguage language)
{
    return language == RelevanceLanguage::English ? "en" : "fr";
}

RelevanceLanguage ProgramRelevanceLanguage(const std::string& appLanguage)
{
    return appLanguage == "English" ? RelevanceLanguage::English : RelevanceLanguage::French;
}

WordFormMatcher::WordFormMatcher(RelevanceLanguage language, bool wordForms) : language_(language)
{
    if (wordForms)
        stemmer_ = sb_stemmer_new(language == RelevanceLanguage::English ? "english" : "french", "UTF_8");
}

WordFormMatcher::~WordFormMatcher()
{
    sb_stemmer_delete(stemmer_);
}

std::string WordFormMatcher::Key(std::string_view word)
{
    if (stemmer_ == nullptr)
        return RemoveAccents(std::string(word));
    utf8_.clear();
    EncodeUtf8PageText(word, utf8_);
    const sb_symbol* stem =
        sb_stemmer_stem(stemmer_, reinterpret_cast<const sb_symbol*>(utf8_.data()), static_cast<int>(utf8_.size()));
    if (stem == nullptr)  // out of memory: the word as it stands
        return RemoveAccents(std::string(word));
    const std::string stemmed(reinterpret_cast<const char*>(stem),
                              static_cast<std::size_t>(sb_stemmer_length(stemmer_)));
    std::string back;
    if (Utf8ToCp1252(stemmed, back))
        return RemoveAccents(back);
    // A word in another script: its UTF-8 stem, marked so that it never
    // equals a Windows-1252 key.
    return "\x01" + stemmed;
}

}  // namespace kestrova
