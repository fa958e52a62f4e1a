// The journal window: the pages changed since the last upload, with the
// time of their change, and the upload of the ticked ones.
#pragma once

#include <string>

class QWidget;

namespace kestrova {

// Opens the window and returns when it is closed. rootFolder is the folder
// of the page being analysed (ending with the separator).
void JournalWindow(QWidget* owner, const std::string& rootFolder);

}  // namespace kestrova
