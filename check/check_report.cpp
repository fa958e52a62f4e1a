#include "check/check_report.h"

#include <nlohmann/json.hpp>

#include "base/unicode_text.h"

namespace kestrova::check {

namespace {

using nlohmann::json;

std::string Shown(const std::string& pageText)
{
    return PageTextToDisplay(pageText);
}

std::string Dump(const json& doc)
{
    // File names that are not UTF-8 must not stop the report.
    return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

// SARIF's levels.
const char* SarifLevel(Severity level)
{
    switch (level) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Notice:
            return "note";
        case Severity::Off:
            break;
    }
    return "none";
}

// A relative URI: the path's bytes, with those that are not unreserved
// characters or "/" percent-encoded.
std::string UriOf(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string uri;
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

}  // namespace

std::string ShownPath(const std::string& folder, const std::string& page)
{
    if (folder.empty() || folder == "." || folder == "./")
        return page;
    return folder.back() == '/' ? folder + page : folder + "/" + page;
}

std::string SummaryLine(const CheckResult& result)
{
    return Shown(Say("%1 erreur(s), %2 avertissement(s), %3 remarque(s) sur %4 page(s)",
                     {std::to_string(result.Counts[0]), std::to_string(result.Counts[1]),
                      std::to_string(result.Counts[2]), std::to_string(result.Pages)}));
}

std::string TextReport(const CheckResult& result)
{
    std::string text;
    for (const Finding& f : result.Findings) {
        text += ShownPath(result.Folder, f.Page);
        text += ':' + std::to_string(f.Line) + ':' + std::to_string(f.Column) + ": ";
        text += SeverityName(f.Level);
        text += ": ";
        text += Shown(f.Message);
        text += " [" + f.Rule + "]\n";
    }
    text += SummaryLine(result) + "\n";
    return text;
}

std::string JsonReport(const CheckResult& result)
{
    json findings = json::array();
    for (const Finding& f : result.Findings) {
        json item = {{"rule", f.Rule},     {"severity", SeverityName(f.Level)}, {"page", f.Page}, {"line", f.Line},
                     {"column", f.Column}, {"message", Shown(f.Message)}};
        if (!f.OtherPages.empty())
            item["otherPages"] = f.OtherPages;
        findings.push_back(std::move(item));
    }
    const json doc = {
        {"site", result.Folder},
        {"pages", result.Pages},
        {"counts", {{"error", result.Counts[0]}, {"warning", result.Counts[1]}, {"notice", result.Counts[2]}}},
        {"findings", std::move(findings)}};
    return Dump(doc);
}

std::string SarifReport(const CheckResult& result, const CheckConfig& config)
{
    json rules = json::array();
    for (const Rule& rule : Rules()) {
        const RuleSetting& setting = config.Setting(rule.Id);
        json entry = {{"id", rule.Id},
                      {"shortDescription", {{"text", Shown(RuleDescription(rule, setting.Threshold))}}},
                      {"defaultConfiguration", {{"level", SarifLevel(setting.Level)}}}};
        if (setting.Level == Severity::Off)
            entry["defaultConfiguration"]["enabled"] = false;
        rules.push_back(std::move(entry));
    }
    json results = json::array();
    for (const Finding& f : result.Findings) {
        int ruleIndex = 0;
        for (const Rule& rule : Rules()) {
            if (f.Rule == rule.Id)
                break;
            ++ruleIndex;
        }
        json item = {
            {"ruleId", f.Rule},
            {"ruleIndex", ruleIndex},
            {"level", SarifLevel(f.Level)},
            {"message", {{"text", Shown(f.Message)}}},
            {"locations", json::array({{{"physicalLocation",
                                         {{"artifactLocation", {{"uri", UriOf(ShownPath(result.Folder, f.Page))}}},
                                          {"region", {{"startLine", f.Line}, {"startColumn", f.Column}}}}}}})}};
        if (!f.OtherPages.empty()) {
            json related = json::array();
            int id = 0;
            for (const std::string& other : f.OtherPages)
                related.push_back(
                    {{"id", id++},
                     {"physicalLocation", {{"artifactLocation", {{"uri", UriOf(ShownPath(result.Folder, other))}}}}}});
            item["relatedLocations"] = std::move(related);
        }
        results.push_back(std::move(item));
    }
    const json doc = {
        {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
        {"version", "2.1.0"},
        {"runs", json::array({{{"tool", {{"driver", {{"name", "Kestrova"}, {"rules", std::move(rules)}}}}},
                               {"columnKind", "unicodeCodePoints"},
                               {"results", std::move(results)}}})}};
    return Dump(doc);
}

}  // namespace kestrova::check
