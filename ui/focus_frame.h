// A clearly visible frame around the gadget of a window that has the
// keyboard focus, whatever the style draws for the focus itself.
#pragma once

class QFocusFrame;
class QWidget;

namespace kestrova::ui {

// From now on the gadget of `window` that has the focus is framed (the menu
// bar excepted). Returns the frame, owned by the window.
QFocusFrame* ShowFocusClearly(QWidget* window);

}  // namespace kestrova::ui
