// The first start of an installed copy: the offer to open the sample site.
#pragma once

namespace kestrova {

class MainWindow;

// Asks whether to open the sample site of the data folder; on Yes, opens the
// home page of the user's copy of it (in the journal's folder), which can be
// edited, unlike the installed one.
void OfferSampleSite(MainWindow& window);

}  // namespace kestrova
