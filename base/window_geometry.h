// The main window's size and position as the settings file keeps them: in
// device-independent pixels (the units of the window system's logical
// coordinates, the same with or without a scaled display).
#pragma once

#include <string>

#include "base/settings.h"

namespace kestrova {

// The geometry the settings file asks for, as written in it (before it is
// fitted to the screen); absent keys give 712 x 600, centred (-1).
WindowGeometry AskedWindowGeometry(const std::string& settingsText);

// The geometry to write when the program ends. `given` is what the window
// was opened with (the asked geometry fitted to the screen), `now` what it
// has at the end. A size, or a position, that the user left as it was given
// is written as it was asked: a screen that had to shrink or move the window
// (a smaller screen, or a scaled display, smaller in device-independent
// pixels) does not make the next start open smaller.
WindowGeometry GeometryToSave(const WindowGeometry& asked, const WindowGeometry& given, const WindowGeometry& now);

}  // namespace kestrova
