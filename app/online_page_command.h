// "Analyser une page en ligne": the address dialog, the fetch of the page
// behind the abortable wait window, and its analysis in the main window.
#pragma once

#include "analysis/analysis_driver.h"

namespace kestrova {

class MainWindow;

// Fetches the online page at Page.CurrentPagePath with the wait window of
// the main window open, and analyses it (a read-only page).
AnalysisResult AnalyseOnlineAddress(MainWindow& window);

}  // namespace kestrova
