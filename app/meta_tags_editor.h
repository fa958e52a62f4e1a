// The window "Balises Meta": the known meta tags, which of them the current
// page holds and what they contain, and the setting of one tag's content on
// the page or on pages of the site.
#pragma once

class QWidget;

namespace kestrova {

// Opens the window for the current page (nothing when no page is loaded)
// and returns when it closes. True when the page changed, so that the caller
// analyses it again.
bool MetaTagsEditor(QWidget* owner);

}  // namespace kestrova
