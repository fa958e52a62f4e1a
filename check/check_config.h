// What a site check runs: the severity and threshold of each rule, and the
// pages and folders left out. Read from "kestrova-check.json" at the site's
// root, or from a file named on the command line:
//
//   {
//     "rules": {
//       "title-too-long": { "severity": "error", "threshold": 60 },
//       "viewport-missing": "off"
//     },
//     "exclude": [ "drafts/", "old/page.htm" ]
//   }
//
// A rule takes a severity ("error", "warning", "notice" or "off") or an
// object with "severity" and/or "threshold" (a whole number of at least 0,
// only for rules that have one). An exclude entry is a page, or a folder
// (all pages below it), relative to the site's root with "/" separators.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "check/check_rules.h"

namespace kestrova::check {

inline constexpr char ConfigFileName[] = "kestrova-check.json";

struct RuleSetting {
    Severity Level = Severity::Warning;
    int Threshold = -1;
};

struct CheckConfig {
    // One entry per rule id.
    std::map<std::string, RuleSetting, std::less<>> Rules;
    std::vector<std::string> Exclude;

    // The defaults of the rule table.
    CheckConfig();

    const RuleSetting& Setting(std::string_view id) const;
    bool Enabled(std::string_view id) const { return Setting(id).Level != Severity::Off; }
    int Threshold(std::string_view id) const { return Setting(id).Threshold; }
    // Whether the page (relative to the site's root) is left out.
    bool Excluded(const std::string& relativePage) const;
    // Leaves on only the rules named (each must exist; false and the
    // unknown id in problem otherwise).
    bool KeepOnly(const std::vector<std::string>& ids, std::string& problem);
};

// Applies the JSON text to config. False with a message naming the rule, the
// key or the value at fault (English, UTF-8) otherwise; config may then be
// partly changed.
bool ApplyConfigText(const std::string& json, CheckConfig& config, std::string& problem);
// Reads the file and applies it; a file that cannot be read is a problem.
bool ApplyConfigFile(const std::string& path, CheckConfig& config, std::string& problem);

}  // namespace kestrova::check
