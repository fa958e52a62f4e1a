// Readability: the Flesch reading ease of a text, in English (Flesch, 1948)
// or in French (Kandel and Moles, 1958), from its sentences (cut by ICU's
// sentence break iterator), its words (ICU's word break iterator) and their
// syllables (hyphenation points plus one, from the hyphenation patterns of
// the language).
#pragma once

#include <string>
#include <string_view>

#include "analysis/word_forms.h"

struct _HyphenDict;

namespace kestrova {

// Hyphenation patterns of one language, read once. Hyphenating reads them
// only, but the buffers are the counter's own: one counter per thread.
class SyllableCounter {
public:
    explicit SyllableCounter(RelevanceLanguage language);
    ~SyllableCounter();
    SyllableCounter(const SyllableCounter&) = delete;
    SyllableCounter& operator=(const SyllableCounter&) = delete;

    // False when the patterns could not be read (every word then counts one
    // syllable per group of vowels).
    bool Loaded() const { return dict_ != nullptr; }
    // Syllables of one lower-case UTF-8 word: hyphenation points plus one.
    int Count(std::string_view word);

private:
    _HyphenDict* dict_ = nullptr;
    std::string hyphens_;
};

// Where the patterns of a language are looked for.
std::string HyphenationPatternsPath(RelevanceLanguage language);

enum class ReadabilityBand { VeryEasy, Easy, FairlyEasy, Standard, FairlyDifficult, Difficult, VeryDifficult };

struct Readability {
    int Sentences = 0;  // sentences holding at least one word
    int Words = 0;
    int Syllables = 0;
    // False for a text without words (no score).
    bool Measured = false;
    double Score = 0;
    ReadabilityBand Band = ReadabilityBand::Standard;
};

// English: 206.835 - 1.015 * words per sentence - 84.6 * syllables per word.
// French: 207 - 1.015 * words per sentence - 73.6 * syllables per word.
double ReadingEase(RelevanceLanguage language, int sentences, int words, int syllables);

// 90 and above very easy, 80 easy, 70 fairly easy, 60 standard, 50 fairly
// difficult, 30 difficult, below 30 very difficult.
ReadabilityBand ReadabilityBandOf(double score);
// The band's French text ("très facile" ...), the key of its translation.
std::string ReadabilityBandText(ReadabilityBand band);

// Measures a UTF-8 text. A line break ends a sentence (the page's blocks
// are written one per line).
Readability MeasureReadability(std::string_view utf8Text, RelevanceLanguage language, SyllableCounter& syllables);

}  // namespace kestrova
