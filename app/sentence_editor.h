// The window "Phrases contenant": every place of the current page where a
// word occurs (text runs, image names and alt texts, meta tag contents), and
// the rewriting of one of them.
#pragma once

#include <string>

class QWidget;

namespace kestrova {

// Opens the window for word on the current page (nothing when no page is
// loaded or the word is empty) and returns when it closes. True when the
// page changed, so that the caller analyses it again.
bool SentenceEditor(QWidget* owner, const std::string& word);

}  // namespace kestrova
