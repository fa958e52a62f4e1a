// Fuzz target for the site check. Each input becomes a small site: the
// bytes up to the first NUL are "index.htm", those up to the next NUL
// "sous/page.htm", and the rest, when there is a rest, the site's
// "kestrova-check.json". Then:
//  - a configuration that cannot be used is refused with a problem named;
//  - the site checked on one reading thread and on two gives the same
//    findings, in the reports' order, and the same counts per severity;
//  - every finding names a rule of the table at a severity that is not
//    "off", a page of the site, and a place inside that page (the line
//    exists, the column is at most one past the line's last character);
//  - the text report has one line per finding and the summary; the JSON
//    report and the SARIF log are JSON, with one entry per finding.
#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/app_state.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "check/check_report.h"
#include "check/site_check.h"
#include "fuzz/fuzz_support.h"

using namespace kestrova;
using namespace kestrova::check;

namespace {

constexpr fuzz::Checker Check{"check_page_fuzz"};

void Setup()
{
    static ui::SilentUi silent;
    ui::SetUi(&silent);
    ResetAppState();
    App.Language = LanguageEnglish;
}

// The line (from 1) exists in the page and the column is at most one past
// its last byte (a column counts characters, which are never more than the
// bytes).
bool InsidePage(const std::string& page, int line, int column)
{
    if (line < 1 || column < 1)
        return false;
    std::size_t start = 0;
    for (int l = 1; l < line; ++l) {
        const std::size_t lf = page.find('\n', start);
        if (lf == std::string::npos)
            return false;
        start = lf + 1;
    }
    const std::size_t end = std::min(page.find('\n', start), page.size());
    return static_cast<std::size_t>(column) <= end - start + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = (Setup(), true);
    (void)ready;
    static const fuzz::TempFolder folder("check-fuzz");
    const std::string input(reinterpret_cast<const char*>(data), size);

    // The site, afresh.
    std::error_code ec;
    std::filesystem::remove_all(folder.File("site"), ec);
    std::filesystem::create_directories(folder.File("site/sous"));
    const std::size_t firstNul = input.find('\0');
    const std::string index = input.substr(0, firstNul);
    std::string sub;
    std::string config;
    bool hasConfig = false;
    if (firstNul != std::string::npos) {
        const std::size_t secondNul = input.find('\0', firstNul + 1);
        sub = input.substr(firstNul + 1, secondNul == std::string::npos ? std::string::npos : secondNul - firstNul - 1);
        if (secondNul != std::string::npos) {
            config = input.substr(secondNul + 1);
            hasConfig = true;
        }
    }
    const std::string site = folder.File("site");
    fuzz::WriteFile(site + "/index.htm", index);
    if (firstNul != std::string::npos)
        fuzz::WriteFile(site + "/sous/page.htm", sub);
    if (hasConfig)
        fuzz::WriteFile(site + "/" + ConfigFileName, config);

    CheckConfig settings;
    std::string problem;
    if (!LoadCheckConfig(site, "", settings, problem)) {
        Check(!problem.empty(), "a configuration was refused without a problem named");
        settings = CheckConfig{};
    }

    CheckResult one;
    CheckResult two;
    Check(CheckSite(site, settings, one, {}, 1), "the site could not be read");
    Check(CheckSite(site, settings, two, {}, 2), "the site could not be read on two threads");
    Check(!one.Cancelled && !two.Cancelled, "a check without progress was cancelled");
    Check(one.Findings == two.Findings, "the findings depend on the reading threads");
    Check(one.Counts == two.Counts && one.Pages == two.Pages, "the counts depend on the reading threads");
    Check(std::is_sorted(one.Findings.begin(), one.Findings.end(), FindingBefore), "the findings are not in order");

    std::array<int, 3> counts{};
    for (const Finding& finding : one.Findings) {
        Check(FindRule(finding.Rule) != nullptr, "a finding names no rule of the table");
        Check(finding.Level != Severity::Off, "a finding of a rule that is off");
        ++counts[static_cast<std::size_t>(finding.Level)];
        const std::string* page = finding.Page == "index.htm"       ? &index
                                  : finding.Page == "sous/page.htm" ? &sub
                                                                    : nullptr;
        Check(page != nullptr, "a finding names no page of the site");
        Check(InsidePage(*page, finding.Line, finding.Column), "a finding's place is outside its page");
    }
    Check(counts == one.Counts, "the counts per severity are not the findings'");

    const std::string text = TextReport(one);
    Check(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= one.Findings.size() + 1,
          "the text report has fewer lines than findings");
    const nlohmann::json json = nlohmann::json::parse(JsonReport(one), nullptr, false);
    Check(!json.is_discarded(), "the JSON report is not JSON");
    Check(json.contains("findings") && json["findings"].size() == one.Findings.size(),
          "the JSON report has not one entry per finding");
    const nlohmann::json sarif = nlohmann::json::parse(SarifReport(one, settings), nullptr, false);
    Check(!sarif.is_discarded(), "the SARIF log is not JSON");
    Check(sarif["runs"][0]["results"].size() == one.Findings.size(), "the SARIF log has not one result per finding");
    return 0;
}
