// The language choice, asked on the very first start and from the menu.
#pragma once

class QWidget;

namespace kestrova {

// Modal dialog "Langue/Language" with the choices "English" and "Français".
// On OK sets App.Language to the chosen one and returns true; on cancel
// (button, close box or Escape) leaves it unchanged and returns false.
// parent may be null (at start).
bool ShowLanguageDialog(QWidget* parent);

}  // namespace kestrova
