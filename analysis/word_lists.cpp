#include "analysis/word_lists.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <numeric>

#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "base/unicode_text.h"

namespace kestrova {

namespace {

// ToLower, and Unicode's lower case for the characters of a UTF-8 page that
// Windows-1252 cannot hold (as the words were lower-cased when counted).
std::string LowerWord(const std::string& text)
{
    std::string lower = ToLower(text);
    return HoldsEscape(lower) ? LowerEscapedCharacters(lower) : lower;
}

// The spellings of a "/"-separated list, empty ones left out.
std::vector<std::string> SplitForms(const std::string& forms)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = forms.find('/', start);
        std::string part = forms.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty())
            out.push_back(std::move(part));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return out;
}

bool IsUsualRow(const std::string& forms)
{
    for (const auto& spelling : SplitForms(forms))
        if (App.UsualWords.find("/" + spelling + "/") != std::string::npos)
            return true;
    return false;
}

bool IsPartFound(const std::string& part)
{
    const std::string wanted = "/" + part + "/";
    const std::string wantedPlural = "/" + part + "s/";
    for (int row = 0; row < WordTableRows && !WordTables.WordForms[row].empty(); ++row) {
        const std::string forms = ToLower(WordTables.WordForms[row]);
        const std::string wrapped = "/" + forms + "/";
        if (wrapped.find(wanted) != std::string::npos)
            return true;
        if (("/" + forms + "s/").find(wanted) != std::string::npos)
            return true;
        if (wrapped.find(wantedPlural) != std::string::npos)
            return true;
    }
    return false;
}

std::string FirstCell(const std::vector<std::string>& row)
{
    return row.empty() ? std::string() : row[0];
}

bool SameWord(const std::string& keyword, const std::string& word)
{
    return keyword == word || keyword + "s" == word || keyword == word + "s";
}

// ---- Sorting ----------------------------------------------------------------

constexpr std::size_t SortedLength = 199;

// A cell prepared for comparing: its text cut to 199 characters, whether it
// reads as a positive number and that number, and its accent-folded
// lower-case text.
struct SortCell {
    std::string Plain;
    bool Numeric = false;
    double Number = 0;
    std::string Folded;
};

// Reads a decimal number at the start of text (spaces skipped, an optional
// sign, digits with an optional fraction); 0 when there is none. "12h" reads
// as 12. Locale-independent on purpose.
double LeadingNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t begin = i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    std::string number = text.substr(begin, i - begin);
    if (number.back() == '.')
        number.pop_back();
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return negative ? -value : value;
}

SortCell MakeSortCell(const std::vector<std::string>& row, int column)
{
    SortCell cell;
    if (column >= 0 && static_cast<std::size_t>(column) < row.size())
        cell.Plain = row[column].substr(0, SortedLength);
    cell.Number = LeadingNumber(cell.Plain);
    cell.Numeric = cell.Number > 0;
    if (!cell.Numeric)
        cell.Folded = ToLower(RemoveAccents(cell.Plain));
    return cell;
}

int CompareBytes(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);  // memcmp compares as unsigned bytes
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The comparison as the lists have always sorted is: equal cells are equal;
// a cell that reads as a positive number compares numerically with the other
// cell (which reads as 0 or less when it is text); any other cell compares as
// accent-folded lower-case text. That is not an order: "10" comes after "abc"
// when "10" is the left cell, but "abc" compared with "10" compares as text and
// comes after it too, and cells that fold to the same text ("ete", "été")
// each come before the other. Sorting with such a comparison is undefined
// (std::sort may read out of range). So the positive numbers are put after all
// other cells, in numeric order, the other cells keep the text order, and the
// remaining ties are settled by the plain bytes. Wherever the old comparison
// was consistent this gives the same answer, and it is a strict weak order.
int CompareAscending(const SortCell& a, const SortCell& b)
{
    if (a.Plain == b.Plain)
        return 0;
    if (a.Numeric != b.Numeric)
        return a.Numeric ? 1 : -1;
    if (a.Numeric) {
        if (a.Number != b.Number)
            return a.Number > b.Number ? 1 : -1;
    } else {
        const int c = CompareBytes(a.Folded, b.Folded);
        if (c != 0)
            return c;
    }
    return CompareBytes(a.Plain, b.Plain);
}

int SpecColumn(std::uint32_t spec)
{
    return static_cast<int>(spec & 0xFFFFu);
}

bool SpecAscending(std::uint32_t spec)
{
    return (spec >> 16) != 0;
}

}  // namespace

void FillWordLists(ReportList& OtherWordList, ReportList& UsualWordList)
{
    for (int row = 0; row < WordTableRows && !WordTables.WordForms[row].empty(); ++row) {
        std::vector<std::string> cells{WordTables.WordForms[row], std::to_string(WordTables.WordCounts[row])};
        if (IsUsualRow(WordTables.WordForms[row]))
            UsualWordList.Rows.push_back(std::move(cells));
        else
            OtherWordList.Rows.push_back(std::move(cells));
    }
}

void MarkUsedKeywords()
{
    const std::string used = TranslateFrenchKey("Oui");
    for (auto& row : Page.KeywordList.Rows) {
        if (IsKeywordUsed(FirstCell(row)) != 1)
            continue;
        if (row.size() < 2)
            row.resize(2);
        row[1] = used;
    }
}

int IsKeywordUsed(const std::string& Keyword)
{
    // An empty keyword has no part to look for; it is not used.
    if (Keyword.empty())
        return 0;
    std::size_t start = 0;
    while (start < Keyword.size()) {
        const std::size_t end = Keyword.find_first_of(" -_", start);
        const std::string part =
            LowerWord(Keyword.substr(start, end == std::string::npos ? std::string::npos : end - start));
        // An empty part (two separators in a row, or one at the start) is never found.
        if (part.empty() || !IsPartFound(part))
            return 0;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return 1;
}

int FindKeywordRow(const std::string& Forms, int StartRow)
{
    const auto& rows = Page.KeywordList.Rows;
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const auto& row : rows)
        keys.push_back(RemoveAccents(LowerWord(FirstCell(row))));

    int result = -1;
    for (const auto& spelling : SplitForms(Forms)) {
        const std::string word = RemoveAccents(LowerWord(spelling));
        for (int r = std::max(StartRow, 0); r < static_cast<int>(rows.size()); ++r) {
            if (SameWord(keys[r], word)) {
                result = r;
                break;
            }
        }
    }
    return result;
}

WordDetail ShowWordDetail(const ReportList& WordList)
{
    WordDetail detail;
    std::string word;
    if (WordList.Selected >= 0 && static_cast<std::size_t>(WordList.Selected) < WordList.Rows.size())
        word = FirstCell(WordList.Rows[WordList.Selected]);
    if (word.empty())
        return detail;

    for (int row = 0; row < WordTableRows && !WordTables.WordForms[row].empty(); ++row) {
        if (WordTables.WordForms[row] == word) {
            detail.Text = WordTables.WordOrigins[row];
            break;
        }
    }
    if (!detail.Text.empty())
        detail.Text = TranslateFrenchKey("Mot trouv\xE9 dans : ") + detail.Text;

    if (FindKeywordRow(word, 0) >= 0) {
        detail.AddEnabled = false;
        detail.Text += "\n\n" + TranslateFrenchKey("Pr\xE9sent dans la liste des mots cl\xE9s.");
    } else {
        detail.AddEnabled = !Page.PageReadOnly;
        detail.Text += "\n\n" + TranslateFrenchKey("Absent de la liste des mots cl\xE9s.");
    }
    detail.SentenceEnabled = !Page.PageReadOnly;
    detail.Selected = true;
    return detail;
}

std::uint32_t MakeSortSpec(int Column, bool Ascending)
{
    return (static_cast<std::uint32_t>(Ascending ? 1 : 0) << 16) | (static_cast<std::uint32_t>(Column) & 0xFFFFu);
}

int CompareListRows(const std::vector<std::string>& RowA, const std::vector<std::string>& RowB, std::uint32_t SortSpec)
{
    const int column = SpecColumn(SortSpec);
    const int result = CompareAscending(MakeSortCell(RowA, column), MakeSortCell(RowB, column));
    return SpecAscending(SortSpec) ? result : -result;
}

int SortReportList(ReportList& List, std::uint32_t SortSpec)
{
    const int column = SpecColumn(SortSpec);
    const bool ascending = SpecAscending(SortSpec);
    const std::size_t count = List.Rows.size();

    std::vector<SortCell> cells;
    cells.reserve(count);
    for (const auto& row : List.Rows)
        cells.push_back(MakeSortCell(row, column));

    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareAscending(cells[a], cells[b]);
        return ascending ? c < 0 : c > 0;
    });

    std::vector<std::vector<std::string>> sorted;
    sorted.reserve(count);
    int selected = -1;
    for (std::size_t i = 0; i < count; ++i) {
        if (static_cast<int>(order[i]) == List.Selected)
            selected = static_cast<int>(i);
        sorted.push_back(std::move(List.Rows[order[i]]));
    }
    List.Rows = std::move(sorted);
    List.Selected = selected;
    List.SortColumn = column;
    List.SortAscending = ascending;
    return selected;
}

int SortReportList(ReportList& List, int Column, bool Ascending)
{
    return SortReportList(List, MakeSortSpec(Column, Ascending));
}

}  // namespace kestrova
