// Alt letters (mnemonics) for every button and menu item, in the language of
// the run: the captions come from the translation tables without them, so
// each window gets its letters when it is first shown.
#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace kestrova::ui {

// Gives each text of the group that has no Alt letter yet ("&" before a
// letter) one that no other text of the group uses: the first letter of a
// word if one is free, else any free letter, else none. Letters already
// marked are kept; case does not matter. Only the part before a TAB (a
// shortcut label) is considered.
void MarkAltLetters(std::vector<QString*>& texts);

// Gives the buttons of a window and the titles of its menu bar unique
// letters together, and the items of each of its menus letters unique
// within their menu.
void AddAltLetters(QWidget* window);

// From now on, every window gets its letters when it is shown.
void AddAltLettersToEveryWindow();

// The Alt letter of a text (lower case), or a null character.
QChar AltLetterOf(const QString& text);

}  // namespace kestrova::ui
