// kestrova-cli on a page on the web: an argument beginning with "http" is
// fetched into "temp.htm" in the current folder and analysed from there, as
// the program analyses an online page. Ctrl+C aborts the fetch.
#pragma once

#include <string>

#include "analysis/analysis_driver.h"
#include "cli/cli_verbs.h"

namespace kestrova::cli {

// Fetches and analyses the page at the address. False when nothing usable
// came (the fetch's error text, or the interruption, is printed on the
// error stream) or the page could not be analysed.
bool AnalyseOnlineAddress(Session& session, const std::string& address, AnalysisResult& result);

}  // namespace kestrova::cli
