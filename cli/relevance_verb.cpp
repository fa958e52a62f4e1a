#include "cli/relevance_verb.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "analysis/keyword_relevance.h"
#include "base/app_state.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "cli/cli_verbs.h"
#include "cli/invocation.h"
#include "site/site_terms.h"

namespace kestrova::cli {

namespace {

std::string Shown(const std::string& pageText)
{
    return PageTextToDisplay(pageText);
}

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// Translated and shown.
std::string Tr(const std::string& french)
{
    return Shown(TranslateFrenchKey(french));
}

const char* DensityBandCode(DensityBand band)
{
    switch (band) {
        case DensityBand::None:
            return "none";
        case DensityBand::Low:
            return "low";
        case DensityBand::Good:
            return "good";
        case DensityBand::High:
            return "high";
        case DensityBand::Excessive:
            return "excessive";
    }
    return "none";
}

const char* ReadabilityBandCode(ReadabilityBand band)
{
    switch (band) {
        case ReadabilityBand::VeryEasy:
            return "very easy";
        case ReadabilityBand::Easy:
            return "easy";
        case ReadabilityBand::FairlyEasy:
            return "fairly easy";
        case ReadabilityBand::Standard:
            return "standard";
        case ReadabilityBand::FairlyDifficult:
            return "fairly difficult";
        case ReadabilityBand::Difficult:
            return "difficult";
        case ReadabilityBand::VeryDifficult:
            return "very difficult";
    }
    return "standard";
}

// The WordForms setting of "Kestrova.prefs" in the current folder (on when
// there is none).
bool WordFormsSetting()
{
    std::ifstream in(SettingsFileName, std::ios::binary);
    if (!in)
        return true;
    std::stringstream text;
    text << in.rdbuf();
    std::string value;
    if (!FindSettingValue(text.str(), "WordForms", value))
        return true;
    return std::atoi(value.c_str()) != 0;
}

}  // namespace

std::string RelevanceText(const RelevancePage& page, const RelevanceReport& report)
{
    std::string t;
    auto yesNo = [](bool b) { return Tr(b ? "oui" : "non"); };
    t += "Page: " + Shown(page.FileName) + " (" + LanguageCode(report.Language) + ", " +
         std::to_string(report.PageWords) + " " + Tr("mots") + ")\n";
    t += Tr("Formes des mots") + ": " + yesNo(report.WordForms) + "\n";
    t += Tr("Mots cl\xE9s") + ":\n";
    if (report.Keywords.empty())
        t += "  -\n";
    for (const KeywordRelevance& k : report.Keywords) {
        const KeywordNumbers& n = k.Numbers;
        t += "  " + Shown(k.Keyword) + ": " + Tr("Occurrences") + " " + std::to_string(n.Occurrences) + ", " +
             Tr("Densit\xE9") + " " + Fixed(n.Density, 2) + " %";
        if (n.Band != DensityBand::None)
            t += " (" + Tr(DensityBandText(n.Band)) + ")";
        t += ", " + Tr("Pro\xE9minence") + " " + Fixed(n.Prominence, 1) + " %\n";
        const KeywordPlacement& p = k.Placement;
        t += "    " + Tr("Titre") + " " + yesNo(p.Title) + ", Description " + yesNo(p.Description) + ", H1 " +
             yesNo(p.H1) + ", " + Tr("Autres titres") + " " + yesNo(p.OtherHeading) + ", " + Tr("100 premiers mots") +
             " " + yesNo(p.First100Words) + ", " + Tr("Textes alt") + " " + yesNo(p.AltText) + ", " +
             Tr("Nom du fichier") + " " + yesNo(p.FileName) + "\n";
    }
    t += Tr("Lisibilit\xE9") + ": ";
    if (report.Reading.Measured)
        t += Fixed(report.Reading.Score, 1) + " (" + Tr(ReadabilityBandText(report.Reading.Band)) + "), ";
    else
        t += "-, ";
    t += std::to_string(report.Reading.Sentences) + " " + Tr("phrases") + ", " + std::to_string(report.Reading.Words) +
         " " + Tr("mots") + ", " + std::to_string(report.Reading.Syllables) + " " + Tr("syllabes") + "\n";
    t += "TF-IDF (" + std::to_string(report.SitePages) + " pages):\n";
    int rank = 0;
    for (const TermScore& term : report.Terms) {
        t += "  " + std::to_string(++rank) + ". " + Shown(term.Text) + "\t" + Fixed(term.Score, 5) + "\ttf " +
             Fixed(term.Tf, 5) + "\tidf " + Fixed(term.Idf, 4) + "\tdf " + std::to_string(term.Frequency) + "\t" +
             Tr(term.Declared ? "d\xE9"
                                "clar\xE9"
                              : "non d\xE9"
                                "clar\xE9") +
             "\n";
    }
    t += "Suggestions:";
    for (std::size_t i = 0; i < report.Suggestions.size(); ++i)
        t += (i == 0 ? " " : ", ") + Shown(report.Suggestions[i]);
    t += "\n";
    return t;
}

std::string RelevanceJson(const RelevancePage& page, const RelevanceReport& report)
{
    using nlohmann::json;
    json j;
    j["page"] = page.Path;
    j["language"] = LanguageCode(report.Language);
    j["wordForms"] = report.WordForms;
    j["words"] = report.PageWords;
    json keywords = json::array();
    for (const KeywordRelevance& k : report.Keywords) {
        const KeywordNumbers& n = k.Numbers;
        const KeywordPlacement& p = k.Placement;
        keywords.push_back({{"keyword", Shown(k.Keyword)},
                            {"occurrences", n.Occurrences},
                            {"density", n.Density},
                            {"densityBand", DensityBandCode(n.Band)},
                            {"prominence", n.Prominence},
                            {"placement",
                             {{"title", p.Title},
                              {"description", p.Description},
                              {"h1", p.H1},
                              {"otherHeading", p.OtherHeading},
                              {"first100Words", p.First100Words},
                              {"altText", p.AltText},
                              {"fileName", p.FileName}}}});
    }
    j["keywords"] = keywords;
    json reading = {{"sentences", report.Reading.Sentences},
                    {"words", report.Reading.Words},
                    {"syllables", report.Reading.Syllables}};
    if (report.Reading.Measured) {
        reading["score"] = report.Reading.Score;
        reading["band"] = ReadabilityBandCode(report.Reading.Band);
    } else {
        reading["score"] = nullptr;
        reading["band"] = nullptr;
    }
    j["readability"] = reading;
    j["sitePages"] = report.SitePages;
    json terms = json::array();
    for (const TermScore& term : report.Terms)
        terms.push_back({{"term", Shown(term.Text)},
                         {"count", term.Count},
                         {"df", term.Frequency},
                         {"tf", term.Tf},
                         {"idf", term.Idf},
                         {"score", term.Score},
                         {"declared", term.Declared}});
    j["terms"] = terms;
    json suggestions = json::array();
    for (const std::string& s : report.Suggestions)
        suggestions.push_back(Shown(s));
    j["suggestions"] = suggestions;
    // A path that is not UTF-8 is printed with replacement characters
    // rather than failing the whole report.
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

int RelevanceVerb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> positional;
    std::string site, format = JsonWanted() ? "json" : "text", lang;
    bool siteGiven = false, formatGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--site" || a == "--format" || a == "--lang") {
            if (i + 1 >= args.size()) {
                err << "kestrova-cli: " << a << " needs a value\n";
                return ExitUsage;
            }
            const std::string& value = args[++i];
            bool& given = a == "--site" ? siteGiven : formatGiven;
            if (a == "--lang") {
                if (!lang.empty()) {
                    err << "kestrova-cli: --lang given twice\n";
                    return ExitUsage;
                }
                lang = value;
                continue;
            }
            if (given) {
                err << "kestrova-cli: " << a << " given twice\n";
                return ExitUsage;
            }
            given = true;
            (a == "--site" ? site : format) = value;
        } else if (a.size() > 1 && a.compare(0, 2, "--") == 0) {
            err << "kestrova-cli: unknown option " << a << "\n";
            return ExitUsage;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1) {
        err << "kestrova-cli: relevance takes 1 argument, " << positional.size() << " given\n";
        return ExitUsage;
    }
    if (format != "text" && format != "json") {
        err << "kestrova-cli: --format takes text or json\n";
        return ExitUsage;
    }
    std::string language = "English";
    if (!lang.empty()) {
        language = LanguageForCode(lang);
        if (language.empty()) {
            err << "kestrova-cli: --lang takes fr or en\n";
            return ExitUsage;
        }
    }
    if (siteGiven && site.empty()) {
        err << "kestrova-cli: the site folder is empty\n";
        return ExitUsage;
    }
    Session session(err, language, false);
    const std::string& pagePath = positional[0];
    if (!CheckPage(session, pagePath, false))
        return ExitFailure;
    RelevancePage page;
    if (!ReadRelevancePage(pagePath, page)) {
        session.Error(pagePath + ": not an HTML page, or it cannot be read");
        return ExitFailure;
    }
    std::error_code ec;
    if (!siteGiven)
        site = std::filesystem::absolute(pagePath, ec).parent_path().string();
    if (!std::filesystem::is_directory(site, ec)) {
        session.Error("cannot read the folder \"" + site + "\"");
        return ExitFailure;
    }
    const RelevanceLanguage programLanguage = ProgramRelevanceLanguage(App.Language);
    const bool wordForms = WordFormsSetting();
    SiteTermIndex index;
    index.Refresh(site, SiteTermIndex::Settings{programLanguage, wordForms, App.UsualWords, 0});
    RelevanceTools tools(wordForms, App.UsualWords);
    const RelevanceReport report = MeasureRelevance(page, programLanguage, tools, &index);
    out << (format == "json" ? RelevanceJson(page, report) : RelevanceText(page, report));
    return ExitOk;
}

}  // namespace kestrova::cli
