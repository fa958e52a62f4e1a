// Whether the texts of a window fit their gadgets in the font they are shown
// in, and the widening of fixed-size windows so that they do. Gadgets keep
// their pixel positions and sizes as a minimum: a window only grows.
#pragma once

#include <QString>
#include <QStringList>

class QHeaderView;
class QWidget;

namespace kestrova::ui {

// The width a gadget needs to show its whole one-line text (a button's
// caption with its margins, a check box's box and caption, a label's text, a
// frame's caption), or 0 for a gadget without such a text.
int NeededTextWidth(const QWidget* gadget);

// The width a header section needs for its title (with the sort mark when
// the header shows one).
int NeededSectionWidth(const QHeaderView* header, int section);

// The texts of a window that do not fit: gadgets narrower than their text,
// header sections narrower than their title, and column titles cut by the
// right edge of their list. One line per problem, naming the gadget; empty
// when everything fits. Hidden gadgets are skipped.
QStringList ClippedTexts(QWidget* window);

// For a window placed by hand (gadgets at fixed positions, no layout):
// widens each gadget whose text does not fit, moving what lies to its right
// and widening what spans past it by as much, and the window with them;
// widens narrow list columns, taking the room they add from the widest
// column when it has some to spare. A window of fixed size keeps a fixed size.
void WidenToFitTexts(QWidget* window);

// From now on, every window without a layout widens to fit its texts when
// it is first shown.
void WidenEveryWindowToFitTexts();

}  // namespace kestrova::ui
