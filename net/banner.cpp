#include "net/banner.h"

namespace kestrova {

// The banner has no pictures yet; the main window shows none.
void LoadBannerPictures() {}

}  // namespace kestrova
