// Keeps text typed in an editor window from being lost when the window
// closes: Escape, the close box and "Fermer" ask first whether to save it.
#pragma once

#include <functional>

class QDialog;

namespace kestrova {

// From now on, while hasTypedText() is true, a request to close the window
// (Escape, the close box, a button connected to reject()) asks save /
// discard / cancel. "Enregistrer" runs save and closes the window only when
// nothing typed is left unsaved afterwards (a refused save keeps it open);
// "Ne pas enregistrer" closes it; "Annuler" keeps it open. Without typed
// text the window closes at once.
void AskBeforeClosingWithTypedText(QDialog* window, std::function<bool()> hasTypedText, std::function<void()> save);

}  // namespace kestrova
