// The information message on how the program is meant to be used.
#pragma once

#include <string>

namespace kestrova {

// Its text (Windows-1252): French when the language is "Français", English
// otherwise.
std::string InfoMessageText();

// Shows the text in a message box titled "Infos" with one OK button.
void ShowInfoMessage();

}  // namespace kestrova
