// The current-page state shared by the page walker, its piece handlers and
// the windows, and the three result lists the analysis fills.
// One set for the whole program: only one walk runs at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

// A report list as the engine sees it: rows of column texts, and the
// selected row (-1 for none). The main window shows these lists.
struct ReportList {
    std::vector<std::vector<std::string>> Rows;
    int Selected = -1;
    // The column the rows were last sorted on (-1: not sorted since the
    // list was emptied), and in which direction; windows show it in the
    // column headers.
    int SortColumn = -1;
    bool SortAscending = true;

    void Clear()
    {
        Rows.clear();
        Selected = -1;
        SortColumn = -1;
    }
    // Adds a row given as its column texts joined by a line feed.
    void AddRow(const std::string& joinedByLf);
};

struct PageState {
    std::string CurrentPagePath;
    std::string CurrentText;
    std::string CurrentTag;
    std::int64_t PieceOffset = 0;
    // Where the current piece starts in the page file: line and column,
    // both from 1 (a line ends at LF; a column counts characters, a UTF-8
    // sequence being one). Kept only by walks with WalkOptions::CountLines.
    std::int64_t PieceLine = 1;
    std::int64_t PieceColumn = 1;
    std::string PageTitle;
    std::string PageDescription;
    bool PageReadOnly = false;
    bool KeywordAccentsBad = false;
    bool MetaInserted = false;
    // The last walk read the page as UTF-8 (page/page_encoding.h).
    bool PageUtf8 = false;
    // Pieces of the last walk that were longer than a piece may be: copied
    // unchanged and never shown to the handler. A handler that must see a
    // whole stretch of the page (the title, every meta tag) compares the
    // count before and after it.
    std::int64_t LongPieces = 0;

    ReportList KeywordList;    // Mots clés | Utilisés
    ReportList UsualWordList;  // Mots usuels | Nb occurences
    ReportList OtherWordList;  // Autre mots | Nb occurences
};

extern PageState Page;

}  // namespace kestrova
