// The entity table applied the plain way, row after row, each row replacing
// every occurrence in the whole text: the definition the fast decoder and
// encoder are checked against.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kestrova::test {

// The 45 rows (entity, character) in decoding order.
const std::vector<std::pair<std::string, std::string>>& EntityRows();
// Every occurrence of `from` replaced by `to`, left to right.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
// Decoding row by row, then LF, CR and TAB deleted.
std::string DecodeRowByRow(std::string text);
// Encoding: "&" first, then the apostrophe, then every other encode row.
std::string EncodeRowByRow(std::string text);

}  // namespace kestrova::test
