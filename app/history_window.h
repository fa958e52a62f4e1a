// "Historique de la page": the earlier versions of the page (time, action
// that replaced it, size); the selected one is shown as its difference with
// the page as it is now, and "Restaurer" puts it back as a change of its own.
#pragma once

#include <string>

class QWidget;

namespace kestrova {

// Opens the window (modal) for the page; true when a version was restored.
bool ShowPageHistory(QWidget* owner, const std::string& pagePath);

// Restores version number (0: the version before the last change) after
// asking, when the page changed on disk since Kestrova's last change,
// whether to restore it all the same. Tells the user when nothing was done.
// True when the page was restored.
bool RestorePageVersion(QWidget* owner, const std::string& pagePath, int number);

}  // namespace kestrova
