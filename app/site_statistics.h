// "Pertinence du site": the word statistics of a whole site folder, and the
// window that shows them.
#pragma once

#include <string>

class QWidget;

namespace kestrova {

struct ReportList;

// The menu command: asks for the site folder ("Choisissez le dossier du
// site"), counts the words of every page below it with a progress window
// (the window keeps repainting), then shows the results window. A cancelled
// folder choice changes nothing.
void SiteWordStatistics(QWidget* MainWindow);

// The results window "Pertinence du site" for the present WordTables: words,
// total count and pages of the first 10000 rows, in table order. Returns
// when the window is closed ("Fermer", the close box or Escape).
void ShowSiteWordStatistics(QWidget* MainWindow, const std::string& Folder);

// The rows the results window shows (filled when it opens).
extern ReportList SiteWordList;

}  // namespace kestrova
