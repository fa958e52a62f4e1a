// Commands of the main window whose windows live in their own modules. Each
// receives the main window, which gives access to every gadget the command
// needs (the page's lists, buttons, fields and SentenceBox).
#pragma once

#include <string>

namespace kestrova {

class MainWindow;

// "Analyser une page en ligne": the address dialog, then the analysis.
void OpenOnlinePage(MainWindow& window);
// "Modifier les zones ''Meta''": the meta tags editor.
void ShowMetaEditor(MainWindow& window);
// "Images de la page": the page images editor.
void ShowImagesEditor(MainWindow& window);
// "Voir le code de la page": the page source viewer for the current page.
void ShowPageSource(MainWindow& window);
// "Pertinence du site": the site word statistics.
void ShowSiteStatistics(MainWindow& window);
// "Préférences": returns the new Preferences value (the current one when
// the window is cancelled).
std::string ShowPreferencesWindow(MainWindow& window, const std::string& preferences);
// "Aide": the information message, then the help page.
void ShowHelp(MainWindow& window);
// "A propos de": the about window.
void ShowAboutWindow(MainWindow& window);
// "Journal des modifications": the journal window for a site folder.
void ShowJournalWindow(MainWindow& window, const std::string& folder);
// "Modifier la phrase": the sentence editor for a found word.
void ShowSentenceEditor(MainWindow& window, const std::string& word);

// The advertising banner along the bottom of the main window.
void CreateBannerGadgets(MainWindow& window);
void RemoveBannerGadgets(MainWindow& window);
// Places the banner gadgets for the current layout of the window.
void PlaceBannerGadgets(MainWindow& window);

}  // namespace kestrova
