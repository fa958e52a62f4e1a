// The export of the analysis shown in the main window: the bytes of the
// export file and the text left on the clipboard. Built only from what the
// window shows (its title, the title and description fields and the three
// report lists), never from the page file, so that the program's export and
// "kestrova-cli export" give the same bytes. All texts are Windows-1252
// page text; the file of a UTF-8 page is UTF-8.
#pragma once

#include <string>
#include <vector>

#include "page/page_state.h"

namespace kestrova {

// One report list as the window shows it: its rows in display order and its
// column titles (as shown, i.e. already translated).
struct ExportList {
    const ReportList* List = nullptr;
    std::vector<std::string> ColumnTitles;
};

struct ExportSource {
    std::string WindowTitle;      // caption of the main window
    std::string TitleText;        // content of the title field
    std::string DescriptionText;  // content of the description field
    ExportList Keywords;
    ExportList UsualWords;
    ExportList OtherWords;
    // The page is UTF-8: the export file is written in UTF-8 (the clipboard
    // text stays page text).
    bool Utf8File = false;
};

struct ExportData {
    std::string FileBytes;      // what the export file holds
    std::string ClipboardText;  // what the clipboard holds afterwards
};

// The translated column titles of the main window's lists.
std::vector<std::string> KeywordColumnTitles();  // "Mots clés", "Utilisés"
std::vector<std::string> UsualColumnTitles();    // "Mots usuels", "Nb occurences"
std::vector<std::string> OtherColumnTitles();    // "Autre mots", "Nb occurences"

// The source for the three lists of the current page state (Page.*List) with
// the translated column titles.
ExportSource MainWindowExportSource(const std::string& windowTitle, const std::string& titleText,
                                    const std::string& descriptionText);

// The text of one report list as it is copied to the clipboard: the column
// titles each followed by TAB, then CR CR; then every row, each cell followed
// by TAB and the row by CR.
std::string ListText(const ReportList& list, const std::vector<std::string>& columnTitles);

// The whole export text (the clipboard text).
std::string ExportText(const ExportSource& source);

// The file bytes (a line holding one space, then the export text without its
// leading and trailing spaces, each ended by CR LF) and the clipboard text.
ExportData BuildExport(const ExportSource& source);

// Writes the export file; false when it cannot be created or written.
bool WriteExportFile(const std::string& path, const ExportData& data);

}  // namespace kestrova
