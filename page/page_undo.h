// Undo: a page goes back to a version of its history through the same
// change as any edit (backup, history version, journal line), so the
// restored page is uploaded like any change and the undo itself can be
// undone.
#pragma once

#include <cstdint>
#include <string>

#include "base/ui_port.h"

namespace kestrova {

enum class UndoOutcome {
    Restored,        // the page holds the version
    Unchanged,       // the page already held it: nothing was written
    NothingToUndo,   // the page has no earlier version
    NoSuchVersion,   // the version asked for is not in the history
    ChangedOutside,  // the page changed after Kestrova's last change
    Failed,          // the change failed (it was reported); the page is as it was
};

// Restores version `number` of the page's history (1 the newest), or with
// number 0 the version before the last change (stepping past earlier
// undos, see UndoTarget). Refuses a page that changed on disk after
// Kestrova's last change unless force. In a DryRun nothing is written.
UndoOutcome UndoPageChange(const std::string& pagePath, int number, bool force, ui::WindowId owner, bool reportErrors);

// The French text that tells the user why an undo did nothing ("" for
// Restored).
std::string UndoOutcomeText(UndoOutcome outcome);

}  // namespace kestrova
