#include "check/page_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "base/unicode_text.h"

namespace kestrova::check {

namespace {

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

}  // namespace

void SiteIndex::Build(const std::string& root, std::vector<std::string> paths)
{
    Root = WithSlash(root);
    Paths = std::move(paths);
    Relative.clear();
    ByPath.clear();
    for (std::size_t i = 0; i < Paths.size(); ++i) {
        const std::string& path = Paths[i];
        Relative.push_back(path.starts_with(Root) ? path.substr(Root.size()) : path);
        ByPath.emplace(path, static_cast<int>(i));
    }
}

int SiteIndex::PageOf(const std::string& path, bool* exists) const
{
    if (const auto it = ByPath.find(path); it != ByPath.end()) {
        if (exists)
            *exists = true;
        return it->second;
    }
    struct stat info {};
    const bool found = stat(path.c_str(), &info) == 0;
    if (exists)
        *exists = found;
    if (!found || !S_ISDIR(info.st_mode))
        return -1;
    // A folder stands for its index page.
    static const char* const indexNames[] = {"index.html", "index.htm",   "index.shtml",  "index.shtm", "index.php",
                                             "index.asp",  "default.htm", "default.html", "default.asp"};
    const std::string folder = WithSlash(path);
    for (const char* name : indexNames)
        if (const auto it = ByPath.find(folder + name); it != ByPath.end())
            return it->second;
    return -1;
}

Finding* FindingSink::Add(const char* rule, const Place& at, std::string message, std::string subject)
{
    const RuleSetting& setting = config_.Setting(rule);
    if (setting.Level == Severity::Off)
        return nullptr;
    Finding finding;
    finding.Rule = rule;
    finding.Level = setting.Level;
    finding.Page = page_;
    finding.Line = at.Line;
    finding.Column = at.Column;
    finding.Message = std::move(message);
    finding.Subject = std::move(subject);
    out_.push_back(std::move(finding));
    return &out_.back();
}

std::uint64_t PageOutcome::AnchorHash(const std::string& anchor)
{
    return std::hash<std::string>{}(anchor);
}

bool PageOutcome::HasAnchorHash(std::uint64_t hash) const
{
    return std::binary_search(AnchorHashes.begin(), AnchorHashes.end(), hash);
}

int TextLength(const std::string& text)
{
    return static_cast<int>(PageTextLength(text));
}

void CheckPage(const SiteIndex& site, const CheckConfig& config, int index, const PageFacts& facts,
               PageOutcome& outcome)
{
    outcome.Read = true;
    outcome.Title = facts.TitleCount > 0 ? facts.Title : std::string();
    outcome.TitlePlace = facts.TitlePlace;
    outcome.Description = facts.DescriptionCount > 0 ? facts.Description : std::string();
    outcome.DescriptionPlace = facts.DescriptionPlace;
    outcome.FirstKeyword = facts.Keywords.empty() ? std::string() : facts.Keywords.front();
    outcome.KeywordsPlace = facts.KeywordsPlace;
    outcome.AnchorHashes.reserve(facts.Anchors.size());
    for (const std::string& anchor : facts.Anchors)
        outcome.AnchorHashes.push_back(PageOutcome::AnchorHash(anchor));
    std::sort(outcome.AnchorHashes.begin(), outcome.AnchorHashes.end());
    FindingSink sink(config, site.Relative[static_cast<std::size_t>(index)], outcome.Findings);
    CheckTexts(facts, sink);
    CheckHead(facts, sink);
    CheckImagesAndLinks(site, index, facts, sink, outcome);
    CheckKeywords(facts, sink);
}

}  // namespace kestrova::check
