// The word matching of the keyword rules.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace kestrova::check {

// The parts of a declared keyword (cut at spaces, hyphens and underscores),
// lower-cased; empty when one part is empty (such a keyword is never used).
std::vector<std::string> KeywordParts(const std::string& keyword);

// Whether the word is the part, or one of them with a plural "s".
bool SameWord(const std::string& word, const std::string& part);

// Whether every part is among the words.
bool KeywordIn(const std::vector<std::string>& parts, const std::unordered_set<std::string>& words);

// Pages shorter than this are not judged for keyword stuffing.
constexpr int StuffingMinimumWords = 100;

}  // namespace kestrova::check
