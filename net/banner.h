// The advertising banner of the main window.
#pragma once

namespace kestrova {

// Prepares the banner pictures of the interface language (French set for
// "Français", English set otherwise). Called at start when the banner is on
// and this is not a first start.
void LoadBannerPictures();

}  // namespace kestrova
