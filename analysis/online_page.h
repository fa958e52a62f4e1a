// The analysis of a page on the web: the address the user typed, the fetch
// of the page into "temp.htm" in the working folder, and its analysis as a
// page that may not be edited. The fetch itself is the caller's (the network
// layer sits beside this one), given as a function.
#pragma once

#include <functional>
#include <string>

#include "analysis/analysis_driver.h"

namespace kestrova {

// The file an online page is kept in, in the working folder.
constexpr char OnlinePageFile[] = "temp.htm";

// Whether Page.CurrentPagePath names an online page: it begins with "http".
bool IsOnlineAddress(const std::string& path);

// The answer of the address dialog made an address: false when nothing was
// typed (the dialog's "http://" left as it was). Otherwise "http://" is put
// in front of an answer that holds no "http" (an empty answer too), and a
// doubled "http://http://" at the front is given once.
bool NormaliseOnlineAddress(std::string& answer);

// Line ends made CR LF: CR LF becomes CR, then LF becomes CR, then every CR
// becomes CR LF.
std::string NormaliseLineEnds(const std::string& text);

// Fetches the page at an address and returns its text ("" when nothing
// came). Runs on the caller's thread; it takes its turn on the fetch service
// and shows whatever wait window the caller has.
using PageFetcher = std::function<std::string(const std::string& address)>;

// Analyses the online page at Page.CurrentPagePath: the page is read-only;
// its text, with CR LF line ends, replaces "temp.htm", which becomes
// Page.CurrentPagePath. When nothing came, Page.CurrentPagePath is emptied
// and "Impossible de lire l'URL fournie !" is shown, the lists keeping their
// content; when the page came but "temp.htm" cannot be written, the message
// says so and names the working folder. The caption names the page by its address.
AnalysisResult AnalyseOnlinePage(const PageFetcher& fetch);

}  // namespace kestrova
