// The question window with "Oui", "Non" and "Oui pour toutes", used when an
// edit is applied to many pages at once.
#pragma once

#include <string>

class QWidget;

namespace kestrova::ui {

// Asks the question in a modal window 350 x 100 centred on the screen.
// Returns 1 for "Oui", 2 for "Oui pour toutes", 0 for "Non", the close box or
// Escape (Escape only reaches the window while it has the focus).
// Title and text are Windows-1252.
int AskYesNoAllWindow(QWidget* owner, const std::string& title, const std::string& text);

}  // namespace kestrova::ui
