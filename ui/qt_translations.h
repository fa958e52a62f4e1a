// Qt's own texts (the buttons and labels of the standard file, input and
// message dialogs) in the language of the interface.
#pragma once

#include <string>

namespace kestrova::ui {

// Installs Qt's translation for the language (App.Language values:
// "Français" gives French, any other language leaves Qt's English), in
// place of one installed before. Qt's translations are read from the
// system's Qt translation folder. Returns false when the language needs a
// translation that could not be loaded (Qt then speaks English).
bool InstallQtTranslations(const std::string& language);

}  // namespace kestrova::ui
