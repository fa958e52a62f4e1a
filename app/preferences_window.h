// The preferences window: the three option words of the Preferences value.
#pragma once

#include <string>

class QWidget;

namespace kestrova {

// Shows the window over `parent` with the boxes set from `preferences`.
// On OK returns the new value ("pub|", "bulle|", "disableupdates", in that
// order, each when its box is checked) and sets App.DisableUpdates from the
// third box; on cancel returns `preferences` unchanged and leaves
// App.DisableUpdates alone. The banner box is greyed on a first start.
std::string ShowPreferencesDialog(QWidget* parent, const std::string& preferences);

}  // namespace kestrova
