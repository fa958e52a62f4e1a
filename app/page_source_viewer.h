// "Voir le code de la page": the page's HTML source in a plain text window
// with a fixed-pitch font, searched case-insensitively, edited and saved
// back over the page. Saving is a safe change of the page (backup, atomic
// replacement, journal line); the main window's analysis is not refreshed.
#pragma once

#include <string>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kestrova {

// Opens the viewer for the page over MainWindow and returns when it is
// closed. An empty or unreadable page opens nothing. Sets Page.PageReadOnly
// to whether the page cannot be written; "Enregistrer" then stays disabled.
void ShowPageSource(QWidget* MainWindow, const std::string& PagePath, const std::string& PageFolder);

// The search dialog over the viewer: returns the text to search for (the
// old SearchText when cancelled). A confirmed text is looked for from the
// start of the editor's selection and selected when found; "Rechercher
// suivant" is then enabled, or disabled for an empty text.
std::string SearchDialog(QWidget* Viewer, const std::string& SearchText, QPlainTextEdit* Editor,
                         QPushButton* SearchNext);

// Selects the next occurrence of SearchText after the start of the editor's
// selection (case-insensitive, no wrap-around). False when there is none:
// the selection then stays.
bool SearchNext(QPlainTextEdit* Editor, const std::string& SearchText);

}  // namespace kestrova
