// The site check: every page below a folder read once, on reading threads,
// each page's rules run where it was read, then the rules of the whole site.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "check/check_config.h"
#include "check/check_rules.h"

namespace kestrova::check {

struct CheckResult {
    std::string Folder;  // as given
    int Pages = 0;       // pages read
    bool Cancelled = false;
    // Sorted by page, line, column and rule.
    std::vector<Finding> Findings;
    // Findings per severity: error, warning, notice.
    std::array<int, 3> Counts{};

    // Whether a finding is at least as serious as level.
    bool Reaches(Severity level) const;
};

// Called on the calling thread while pages are read, with the pages done
// and their number; returning false stops the check (Cancelled is then set
// and the findings are those of no page).
using CheckProgress = std::function<bool(int done, int total)>;

// The reading threads of a check: two per processor, 8 at most.
int DefaultCheckWorkers();

// Checks the site below folder. workers: reading threads, 0 for
// DefaultCheckWorkers(), 1 for reading on the calling thread. False when
// the folder cannot be read.
bool CheckSite(const std::string& folder, const CheckConfig& config, CheckResult& result,
               const CheckProgress& progress = {}, int workers = 0);

// Checks the pages given (absolute or relative paths) with the rules of one
// page; links from the site's root resolve against root.
void CheckPages(const std::string& root, const std::vector<std::string>& pages, const CheckConfig& config,
                CheckResult& result, const CheckProgress& progress = {}, int workers = 0);

// The configuration of a site: the defaults, then configFile when given,
// else the folder's "kestrova-check.json" when there is one. False with
// the problem (English) for a configuration that cannot be read or is bad.
bool LoadCheckConfig(const std::string& folder, const std::string& configFile, CheckConfig& config,
                     std::string& problem);

}  // namespace kestrova::check
