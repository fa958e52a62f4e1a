// "Pertinence des mots clés": how well the page of the main window serves
// its declared keywords (occurrences, density and its band, prominence,
// placement), its readability, and the terms that set it apart from the
// rest of its site (TF-IDF), with "Ajouter aux mots clés" on a term.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace kestrova {

class MainWindow;

// The menu command: the window for Page.CurrentPagePath, over the pages of
// its folder (an online page has no site: it is measured alone); a keyword
// added from it is added to the main window's list.
void ShowKeywordRelevance(MainWindow& window);

// The window over owner for the page at pagePath (Page.CurrentPagePath,
// which the keyword change edits), over the pages below siteFolder (none
// when empty). readOnly: no keyword may be added. keywordAdded is called
// with each keyword added to the page. Returns when the window is closed.
void ShowKeywordRelevance(QWidget* owner, const std::string& pagePath, const std::string& siteFolder, bool readOnly,
                          const std::function<void(const std::string&)>& keywordAdded);

}  // namespace kestrova
