// The rules of the site check: each has an id, a default severity, a
// threshold where it has one, and a description. A finding is one rule met
// at one place of one page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::check {

// From the most to the least serious; Off leaves the rule out.
enum class Severity { Error, Warning, Notice, Off };

// "error", "warning", "notice", "off".
std::string_view SeverityName(Severity severity);
std::optional<Severity> SeverityFromName(std::string_view name);

struct Rule {
    const char* Id;
    Severity DefaultSeverity;
    // -1 for a rule without a threshold.
    int DefaultThreshold;
    // French; translated where shown. "%1" stands for the threshold.
    const char* Description;
};

// Every rule, in the order the reports list them.
const std::vector<Rule>& Rules();
// The rule of that id, or nullptr.
const Rule* FindRule(std::string_view id);
// The rule's description in the current language, its threshold written in.
std::string RuleDescription(const Rule& rule, int threshold);

// Replaces "%1", "%2", ... in a text by the values given.
std::string FillIn(std::string text, const std::vector<std::string>& values);
// The French text, translated, with the values filled in.
std::string Say(const char* french, const std::vector<std::string>& values = {});

struct Finding {
    std::string Rule;
    Severity Level = Severity::Warning;
    // The page, relative to the site's folder, "/"-separated (file-system
    // bytes, UTF-8 on this system).
    std::string Page;
    int Line = 1;
    int Column = 1;
    // Windows-1252 page text (escapes for characters it cannot hold).
    std::string Message;
    // The other pages of a site-wide rule.
    std::vector<std::string> OtherPages;
    // What the finding is about, for the windows: the image reference as
    // written (image rules), or the keyword (keyword rules); "" otherwise.
    std::string Subject;
    // For an image rule, the image's place among the page's images (from 0).
    int ImageIndex = -1;

    bool operator==(const Finding&) const = default;
};

// Page, then line, then column, then rule id.
bool FindingBefore(const Finding& a, const Finding& b);

}  // namespace kestrova::check
