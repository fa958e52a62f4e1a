#include "net/update.h"

namespace kestrova {

// No update is ever staged yet, and no check runs: the version check and
// the installer are not part of the program so far.
void ApplyPendingUpdate() {}

void StartUpdateCheck() {}

}  // namespace kestrova
