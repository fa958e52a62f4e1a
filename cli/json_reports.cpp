#include "cli/json_reports.h"

#include <algorithm>

#include "net/version_list.h"

namespace kestrova::cli {

namespace {

using nlohmann::json;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string Field(const std::vector<std::string>& fields, std::size_t i)
{
    return i < fields.size() ? fields[i] : std::string();
}

// A count as a number when it is one, else the text as it is.
json Count(const std::string& text)
{
    if (!text.empty() && text.size() < 10 && text.find_first_not_of("0123456789") == std::string::npos)
        return std::stoi(text);
    return text;
}

// The positional arguments after the verb, for the documents that name
// their page or folder. Options with a value are skipped with it.
std::vector<std::string> Positional(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    bool optionsDone = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsDone && a == "--") {
            optionsDone = true;
        } else if (!optionsDone && a.size() > 2 && a.compare(0, 2, "--") == 0) {
            if (a != "--create" && a != "--install")
                ++i;
        } else {
            positional.push_back(a);
        }
    }
    return positional;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<std::vector<std::string>> TabLines(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : Lines(text)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

bool AnalyseJson(const ReportOutput& report, json& document)
{
    if (report.Status != 0)
        return false;
    const auto positional = Positional(report.Args);
    document = {{"page", Field(positional, 0)},
                {"title", ""},
                {"description", ""},
                {"keywords", json::array()},
                {"words", json::array()}};
    for (const auto& row : TabLines(report.Out)) {
        const std::string& kind = row[0];
        if (kind == "title" || kind == "description")
            document[kind] = Field(row, 1);
        else if (kind == "keyword")
            document["keywords"].push_back({{"keyword", Field(row, 1)}, {"used", Field(row, 2) == "yes"}});
        else if (kind == "word")
            document["words"].push_back({{"spellings", Field(row, 1)},
                                         {"count", Count(Field(row, 2))},
                                         {"kind", Field(row, 3)},
                                         {"origins", Field(row, 4)}});
    }
    return true;
}

bool MetaJson(const ReportOutput& report, json& document)
{
    if (report.Status != 0)
        return false;
    const auto positional = Positional(report.Args);
    std::string content = report.Out;
    if (!content.empty() && content.back() == '\n')
        content.pop_back();
    document = {{"page", Field(positional, 0)}, {"name", Field(positional, 1)}, {"content", content}};
    return true;
}

bool ImagesJson(const ReportOutput& report, json& document)
{
    if (report.Status != 0)
        return false;
    document = {{"page", Field(Positional(report.Args), 0)}, {"images", json::array()}};
    int number = 0;
    for (const auto& row : TabLines(report.Out))
        document["images"].push_back({{"number", ++number}, {"reference", Field(row, 0)}, {"alt", Field(row, 1)}});
    return true;
}

bool SentencesJson(const ReportOutput& report, json& document)
{
    if (report.Status != 0)
        return false;
    const auto positional = Positional(report.Args);
    document = {{"page", Field(positional, 0)}, {"word", Field(positional, 1)}, {"places", json::array()}};
    for (const auto& row : TabLines(report.Out))
        document["places"].push_back({{"kind", Field(row, 0)}, {"extract", Field(row, 1)}});
    return true;
}

bool SiteJson(const ReportOutput& report, json& document)
{
    if (report.Status != 0)
        return false;
    document = {{"folder", Field(Positional(report.Args), 0)}, {"words", json::array()}};
    for (const auto& row : TabLines(report.Out))
        document["words"].push_back(
            {{"spellings", Field(row, 0)}, {"count", Count(Field(row, 1))}, {"pages", Field(row, 2)}});
    return true;
}

bool UploadJson(const ReportOutput& report, json& document)
{
    if (report.Status == 2)
        return false;  // no such server: nothing was tried
    document = {{"sent", json::array()}, {"unsent", json::array()}, {"complete", report.Status == 0}};
    const std::string arrow = " -> ";
    for (const std::string& line : Lines(report.Out)) {
        if (!StartsWith(line, "sent "))
            continue;
        // The local path is a file name; the destination is the server's.
        const std::size_t at = line.rfind(arrow);
        if (at == std::string::npos || at < 5)
            continue;
        document["sent"].push_back({{"file", line.substr(5, at - 5)}, {"destination", line.substr(at + arrow.size())}});
    }
    const std::string prefix = "kestrova-cli: not sent: ";
    for (const std::string& line : Lines(report.Err)) {
        if (!StartsWith(line, prefix))
            continue;
        const std::string rest = line.substr(prefix.size());
        // "PAGE: reason": a page path is absolute and the reason follows its
        // first ": ".
        const std::size_t colon = rest.find(": ");
        document["unsent"].push_back(
            {{"file", rest.substr(0, colon)}, {"reason", colon == std::string::npos ? "" : rest.substr(colon + 2)}});
    }
    return true;
}

bool UpdateCheckJson(const ReportOutput& report, json& document)
{
    if (report.Status == 2)
        return false;
    const bool install = std::find(report.Args.begin(), report.Args.end(), "--install") != report.Args.end();
    document = {{"installed", CurrentVersion},
                {"status", "up-to-date"},
                {"version", nullptr},
                {"install", install},
                {"messages", json::array()}};
    std::vector<std::string> lines = Lines(report.Out);
    if (report.Status != 0) {
        document["status"] = "failed";
        const std::string prefix = "kestrova-cli: update check failed: ";
        for (const std::string& line : Lines(report.Err))
            if (StartsWith(line, prefix))
                document["reason"] = line.substr(prefix.size());
        for (const std::string& line : lines)
            document["messages"].push_back(line);
        return true;
    }
    // The last line tells the outcome; those above it are the messages of
    // the check.
    const std::string last = lines.empty() ? std::string() : lines.back();
    if (!lines.empty())
        lines.pop_back();
    for (const std::string& line : lines)
        document["messages"].push_back(line);
    const std::string lead = "Kestrova ";
    for (const auto& [ending, status] :
         {std::pair<std::string, const char*>{" is available", "available"}, {" is staged", "staged"}}) {
        const std::size_t at = last.find(ending);
        if (StartsWith(last, lead) && at != std::string::npos) {
            document["status"] = status;
            document["version"] = last.substr(lead.size(), at - lead.size());
        }
    }
    return true;
}

}  // namespace kestrova::cli
