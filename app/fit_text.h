// Texts of the small windows at fixed pixel sizes: a caption or a text that
// the desktop font makes a little too large is shown in a smaller font
// rather than cut.
#pragma once

class QAbstractButton;
class QLabel;

namespace kestrova {

// Shrinks the button's font, half a point at a time and by 30 % at most,
// until its caption fits its current width. Call after setGeometry.
void FitCaption(QAbstractButton* button);

// The same for a word-wrapped label: until its text fits its current height.
void FitWrappedText(QLabel* label);

}  // namespace kestrova
