// The rules of the whole site: texts that several pages share, pages no
// other page links to, anchors of other pages, pages competing for the same
// first keyword.
#include <map>

#include "base/text_rules.h"
#include "check/page_check.h"

namespace kestrova::check {

namespace {

// The other pages as a message names them: the first five, then how many
// more (the reports' other-page lists name them all).
std::string JoinPages(const std::vector<std::string>& pages)
{
    constexpr std::size_t shown = 5;
    std::string joined;
    for (std::size_t i = 0; i < pages.size() && i < shown; ++i) {
        if (!joined.empty())
            joined += ", ";
        joined += pages[i];
    }
    if (pages.size() > shown)
        joined += " (+" + std::to_string(pages.size() - shown) + ")";
    return joined;
}

// One finding per page of each group of two pages or more that share a
// value, naming the other pages.
template <typename Key, typename PlaceOf>
void SameOnSeveralPages(const SiteIndex& site, const CheckConfig& config, std::vector<PageOutcome>& pages,
                        const char* rule, const char* message, const Key& keyOf, const PlaceOf& placeOf)
{
    if (!config.Enabled(rule))
        return;
    std::map<std::string, std::vector<int>> groups;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i].Read || pages[i].Excluded)
            continue;
        const std::string key = keyOf(pages[i]);
        if (!key.empty())
            groups[key].push_back(static_cast<int>(i));
    }
    for (const auto& [key, members] : groups) {
        if (members.size() < 2)
            continue;
        for (int page : members) {
            std::vector<std::string> others;
            for (int other : members)
                if (other != page)
                    others.push_back(site.Relative[static_cast<std::size_t>(other)]);
            PageOutcome& outcome = pages[static_cast<std::size_t>(page)];
            FindingSink sink(config, site.Relative[static_cast<std::size_t>(page)], outcome.Findings);
            if (Finding* f = sink.Add(rule, placeOf(outcome), Say(message, {JoinPages(others)})))
                f->OtherPages = std::move(others);
        }
    }
}

bool IsHomePage(const std::string& relative)
{
    if (relative.find('/') != std::string::npos)
        return false;
    const std::string lower = ToLower(relative);
    return lower.starts_with("index.") || lower.starts_with("default.") || lower == "index";
}

}  // namespace

void CheckSiteWide(const SiteIndex& site, const CheckConfig& config, std::vector<PageOutcome>& pages)
{
    SameOnSeveralPages(
        site, config, pages, "title-duplicate", "M\xEAme titre que : %1", [](const PageOutcome& p) { return p.Title; },
        [](const PageOutcome& p) { return p.TitlePlace; });
    SameOnSeveralPages(
        site, config, pages, "description-duplicate", "M\xEAme description que : %1",
        [](const PageOutcome& p) { return p.Description; }, [](const PageOutcome& p) { return p.DescriptionPlace; });
    SameOnSeveralPages(
        site, config, pages, "keyword-competing", "M\xEAme premier mot cl\xE9 que : %1",
        [](const PageOutcome& p) { return ToLower(RemoveAccents(ToLower(p.FirstKeyword))); },
        [](const PageOutcome& p) { return p.KeywordsPlace; });
    // The subject of a competing keyword is the keyword.
    for (PageOutcome& page : pages)
        for (Finding& f : page.Findings)
            if (f.Rule == "keyword-competing")
                f.Subject = page.FirstKeyword;

    // Anchors of other pages.
    if (config.Enabled("link-fragment-missing")) {
        for (std::size_t i = 0; i < pages.size(); ++i) {
            PageOutcome& page = pages[i];
            if (!page.Read || page.Excluded)
                continue;
            FindingSink sink(config, site.Relative[i], page.Findings);
            for (const PageOutcome::FragmentLink& link : page.FragmentLinks) {
                const PageOutcome& target = pages[static_cast<std::size_t>(link.Target)];
                if (target.Read && !target.HasAnchorHash(link.FragmentHash))
                    sink.Add(
                        "link-fragment-missing", link.At,
                        Say("Lien vers une ancre absente : %1", {page.Hrefs.substr(link.HrefStart, link.HrefLength)}));
            }
        }
    }

    // Pages no other page links to.
    if (config.Enabled("orphan-page")) {
        std::vector<bool> linked(pages.size(), false);
        for (const PageOutcome& page : pages)
            for (int target : page.LinkedPages)
                linked[static_cast<std::size_t>(target)] = true;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            PageOutcome& page = pages[i];
            if (!page.Read || page.Excluded || linked[i] || IsHomePage(site.Relative[i]))
                continue;
            FindingSink sink(config, site.Relative[i], page.Findings);
            sink.Add("orphan-page", Place{}, Say("Aucune autre page du site n'a de lien vers cette page"));
        }
    }
}

}  // namespace kestrova::check
