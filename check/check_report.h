// The reports of a site check: text lines as compilers write them, a JSON
// document, and SARIF 2.1.0 for code-scanning services. All UTF-8.
#pragma once

#include <string>

#include "check/check_config.h"
#include "check/site_check.h"

namespace kestrova::check {

// The page as the reports name it: the folder as given, then the page
// below it ("site/a/b.htm"; only "a/b.htm" for the folder ".").
std::string ShownPath(const std::string& folder, const std::string& page);

// One line per finding, "PATH:LINE:COLUMN: SEVERITY: MESSAGE [RULE]", then
// the summary line.
std::string TextReport(const CheckResult& result);
// The summary line alone (without its line end).
std::string SummaryLine(const CheckResult& result);
std::string JsonReport(const CheckResult& result);
std::string SarifReport(const CheckResult& result, const CheckConfig& config);

}  // namespace kestrova::check
