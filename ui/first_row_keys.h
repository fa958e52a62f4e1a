// Lists and the arrow keys: in a list with no row selected, the first Down
// or Up selects the first row. (A view makes its first row current, but not
// selected, when it takes the focus, so the first Down would otherwise
// select the second row.)
#pragma once

namespace kestrova::ui {

// From now on, in every list of the program.
void StartArrowKeysAtTheFirstRow();

}  // namespace kestrova::ui
