#include "cli/check_verb.h"

#include <map>
#include <ostream>

#include "check/check_report.h"
#include "check/site_check.h"
#include "cli/cli_verbs.h"

namespace kestrova::cli {

namespace {

int Bad(std::ostream& err, const std::string& problem)
{
    // The tool prints the verb's usage after this line.
    err << "kestrova-cli: " << problem << "\n";
    return ExitUsage;
}

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        if (comma > start)
            items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

}  // namespace

int CheckVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    bool optionsDone = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            positional.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--format" || a == "--fail-on" || a == "--config" || a == "--only" || a == "--lang") {
            if (i + 1 >= args.size())
                return Bad(err, a + " needs a value");
            if (!values.emplace(a, args[++i]).second)
                return Bad(err, a + " given twice");
        } else {
            return Bad(err, "unknown option " + a + " for check");
        }
    }
    if (positional.size() != 1)
        return Bad(err, "check takes 1 argument, " + std::to_string(positional.size()) + " given");
    auto value = [&](const char* option, const char* fallback) {
        const auto it = values.find(option);
        return it == values.end() ? std::string(fallback) : it->second;
    };
    const std::string format = value("--format", "text");
    if (format != "text" && format != "json" && format != "sarif")
        return Bad(err, "--format takes text, json or sarif");
    const auto failOn = check::SeverityFromName(value("--fail-on", "error"));
    if (!failOn || *failOn == check::Severity::Off)
        return Bad(err, "--fail-on takes error, warning or notice");
    const std::string language = LanguageForCode(value("--lang", "en"));
    if (language.empty())
        return Bad(err, "--lang takes fr or en");
    Session session(err, language, false);

    const std::string& folder = positional[0];
    check::CheckConfig config;
    std::string problem;
    if (!check::LoadCheckConfig(folder, value("--config", ""), config, problem)) {
        session.Error("bad configuration: " + problem);
        return ExitUsage;
    }
    if (values.count("--only") != 0) {
        const std::vector<std::string> only = SplitCommas(values.at("--only"));
        if (only.empty())
            return Bad(err, "--only needs at least one rule");
        if (!config.KeepOnly(only, problem))
            return Bad(err, "--only: " + problem);
    }

    check::CheckResult result;
    if (!check::CheckSite(folder, config, result)) {
        session.Error("cannot read the folder \"" + folder + "\"");
        return ExitUsage;
    }
    if (format == "json")
        out << check::JsonReport(result);
    else if (format == "sarif")
        out << check::SarifReport(result, config);
    else
        out << check::TextReport(result);
    return result.Reaches(*failOn) ? ExitFailure : ExitOk;
}

}  // namespace kestrova::cli
