// The result lists of an analysis: the counted words split into usual and
// other words, the declared keywords marked as used or not, the detail shown
// for a selected word, and the order every report list is sorted in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "page/page_state.h"

namespace kestrova {

// Adds one row (spellings, LF, count) per row of the word tables: to
// UsualWordList when one of the spellings is a usual word, else to
// OtherWordList. The lists are not cleared first.
void FillWordLists(ReportList& OtherWordList, ReportList& UsualWordList);

// Sets the second column of every row of Page.KeywordList to the translated
// "Oui" when the keyword is used in the page.
void MarkUsedKeywords();

// 1 when every part of the keyword (cut at spaces, hyphens and underscores)
// is a counted spelling, allowing a plural "s" on either side; else 0.
int IsKeywordUsed(const std::string& Keyword);

// The row of Page.KeywordList (from StartRow on) declaring one of the
// "/"-separated spellings in Forms, case and accents ignored and a plural "s"
// allowed; -1 when none does.
int FindKeywordRow(const std::string& Forms, int StartRow);

// What the detail box and its two buttons show for the selected row of a
// found-word list. When Selected is false only the buttons change (both
// disabled); Text is then empty and the box keeps what it holds.
struct WordDetail {
    bool Selected = false;
    std::string Text;
    bool AddEnabled = false;
    bool SentenceEnabled = false;
};

WordDetail ShowWordDetail(const ReportList& WordList);

// SortSpec: the column in the low 16 bits, 1 (ascending) or 0 (descending)
// in the high 16 bits.
std::uint32_t MakeSortSpec(int Column, bool Ascending);

// The order of every report list: negative when RowA comes first, 0 when the
// two sorted cells are the same (within their first 199 characters),
// positive when RowB comes first.
int CompareListRows(const std::vector<std::string>& RowA, const std::vector<std::string>& RowB, std::uint32_t SortSpec);

// Sorts the rows (stable) and keeps the same row selected; returns the
// selected row's new index, or -1 when none is selected.
int SortReportList(ReportList& List, std::uint32_t SortSpec);
int SortReportList(ReportList& List, int Column, bool Ascending);

}  // namespace kestrova
