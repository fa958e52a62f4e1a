#include "analysis/readability.h"

#include <hyphen.h>
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <memory>

namespace kestrova {

namespace {

// Longest word handed to the hyphenation (the library's own limit is near).
constexpr std::size_t LongestHyphenatedWord = 96;

bool IsVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y' || (c & 0x80) != 0;
}

// One syllable per group of vowels (any non-ASCII byte counted as a vowel),
// at least one: only when no patterns could be read, or for a very long word.
int VowelGroups(std::string_view word)
{
    int groups = 0;
    bool inGroup = false;
    for (char c : word) {
        const bool vowel = IsVowel(c);
        if (vowel && !inGroup)
            ++groups;
        inGroup = vowel;
    }
    return groups > 0 ? groups : 1;
}

}  // namespace

std::string HyphenationPatternsPath(RelevanceLanguage language)
{
    return language == RelevanceLanguage::English ? "/usr/share/hyphen/hyph_en_US.dic"
                                                  : "/usr/share/hyphen/hyph_fr.dic";
}

SyllableCounter::SyllableCounter(RelevanceLanguage language)
    : dict_(hnj_hyphen_load(HyphenationPatternsPath(language).c_str()))
{
}

SyllableCounter::~SyllableCounter()
{
    if (dict_ != nullptr)
        hnj_hyphen_free(dict_);
}

int SyllableCounter::Count(std::string_view word)
{
    if (word.empty())
        return 0;
    if (dict_ == nullptr || word.size() > LongestHyphenatedWord)
        return VowelGroups(word);
    hyphens_.assign(word.size() + 5, '\0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    // Every point the patterns allow, however near the ends of the word.
    const int failed = hnj_hyphen_hyphenate3(dict_, word.data(), static_cast<int>(word.size()), hyphens_.data(),
                                             nullptr, &rep, &pos, &cut, 1, 1, 1, 1);
    int points = 0;
    if (failed == 0) {
        for (std::size_t i = 0; i + 1 < word.size(); ++i)
            if ((hyphens_[i] & 1) != 0)
                ++points;
    }
    if (rep != nullptr) {
        for (std::size_t i = 0; i < word.size(); ++i)
            std::free(rep[i]);
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
    return points + 1;
}

double ReadingEase(RelevanceLanguage language, int sentences, int words, int syllables)
{
    if (sentences <= 0 || words <= 0)
        return 0;
    const double wordsPerSentence = static_cast<double>(words) / sentences;
    const double syllablesPerWord = static_cast<double>(syllables) / words;
    if (language == RelevanceLanguage::English)
        return 206.835 - 1.015 * wordsPerSentence - 84.6 * syllablesPerWord;
    return 207.0 - 1.015 * wordsPerSentence - 73.6 * syllablesPerWord;
}

ReadabilityBand ReadabilityBandOf(double score)
{
    if (score >= 90)
        return ReadabilityBand::VeryEasy;
    if (score >= 80)
        return ReadabilityBand::Easy;
    if (score >= 70)
        return ReadabilityBand::FairlyEasy;
    if (score >= 60)
        return ReadabilityBand::Standard;
    if (score >= 50)
        return ReadabilityBand::FairlyDifficult;
    if (score >= 30)
        return ReadabilityBand::Difficult;
    return ReadabilityBand::VeryDifficult;
}

std::string ReadabilityBandText(ReadabilityBand band)
{
    switch (band) {
        case ReadabilityBand::VeryEasy:
            return "tr\xE8s facile";
        case ReadabilityBand::Easy:
            return "facile";
        case ReadabilityBand::FairlyEasy:
            return "assez facile";
        case ReadabilityBand::Standard:
            return "standard";
        case ReadabilityBand::FairlyDifficult:
            return "assez difficile";
        case ReadabilityBand::Difficult:
            return "difficile";
        case ReadabilityBand::VeryDifficult:
            return "tr\xE8s difficile";
    }
    return "standard";
}

Readability MeasureReadability(std::string_view utf8Text, RelevanceLanguage language, SyllableCounter& syllables)
{
    Readability result;
    const icu::Locale locale(language == RelevanceLanguage::English ? "en" : "fr");
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8Text.data(), static_cast<int32_t>(utf8Text.size())));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> sentencesIt(icu::BreakIterator::createSentenceInstance(locale, status));
    if (U_FAILURE(status))
        return result;
    std::unique_ptr<icu::BreakIterator> wordsIt(icu::BreakIterator::createWordInstance(locale, status));
    if (U_FAILURE(status))
        return result;
    sentencesIt->setText(text);
    std::string word;
    int32_t start = sentencesIt->first();
    for (int32_t end = sentencesIt->next(); end != icu::BreakIterator::DONE; start = end, end = sentencesIt->next()) {
        const icu::UnicodeString sentence(text, start, end - start);
        wordsIt->setText(sentence);
        int wordsHere = 0;
        int32_t wordStart = wordsIt->first();
        for (int32_t wordEnd = wordsIt->next(); wordEnd != icu::BreakIterator::DONE;
             wordStart = wordEnd, wordEnd = wordsIt->next()) {
            const int32_t rule = wordsIt->getRuleStatus();
            const bool letters = rule >= UBRK_WORD_LETTER && rule < UBRK_WORD_IDEO_LIMIT;
            const bool number = rule >= UBRK_WORD_NUMBER && rule < UBRK_WORD_NUMBER_LIMIT;
            if (!letters && !number)
                continue;
            ++wordsHere;
            if (number) {
                ++result.Syllables;
                continue;
            }
            icu::UnicodeString lower(sentence, wordStart, wordEnd - wordStart);
            lower.toLower(locale);
            word.clear();
            lower.toUTF8String(word);
            result.Syllables += syllables.Count(word);
        }
        if (wordsHere > 0) {
            ++result.Sentences;
            result.Words += wordsHere;
        }
    }
    if (result.Words > 0) {
        result.Measured = true;
        result.Score = ReadingEase(language, result.Sentences, result.Words, result.Syllables);
        result.Band = ReadabilityBandOf(result.Score);
    }
    return result;
}

}  // namespace kestrova
