// The rules of one page, run on the thread that read it, and what the page
// leaves for the rules of the whole site.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "check/check_config.h"
#include "check/check_rules.h"
#include "check/page_facts.h"

namespace kestrova::check {

// The pages of the site being checked; read-only while pages are checked.
struct SiteIndex {
    std::string Root;                             // absolute, ends with "/"
    std::vector<std::string> Paths;               // absolute, normalised
    std::vector<std::string> Relative;            // below Root, "/"-separated
    std::unordered_map<std::string, int> ByPath;  // Paths -> index

    void Build(const std::string& root, std::vector<std::string> paths);
    // The page a file-system path names (a folder names its index page);
    // -1 when it is no page of the site. exists: whether the path is there
    // at all (one look at the file system).
    int PageOf(const std::string& path, bool* exists = nullptr) const;
};

// What is kept of a page for the site-wide rules, and its own findings.
struct PageOutcome {
    bool Read = false;
    bool Excluded = false;
    std::string Title;
    Place TitlePlace;
    std::string Description;
    Place DescriptionPlace;
    std::string FirstKeyword;  // as declared
    Place KeywordsPlace;
    // The page's ids and names, kept as sorted hashes: pages of a big site
    // hold thousands of them, and only links from other pages ask.
    std::vector<std::uint64_t> AnchorHashes;
    bool HasAnchor(const std::string& anchor) const { return HasAnchorHash(AnchorHash(anchor)); }
    bool HasAnchorHash(std::uint64_t hash) const;
    static std::uint64_t AnchorHash(const std::string& anchor);
    std::vector<int> LinkedPages;  // other pages of the site it links to
    // Links "page#id" to other pages, kept small: the anchor as its hash,
    // the link as written in Hrefs (all of the page's, one after the other).
    struct FragmentLink {
        int Target;
        std::uint32_t HrefStart;
        std::uint32_t HrefLength;
        std::uint64_t FragmentHash;
        Place At;
    };
    std::string Hrefs;
    std::vector<FragmentLink> FragmentLinks;  // to other pages
    std::vector<Finding> Findings;
};

// Adds findings of enabled rules at their configured severity.
class FindingSink {
public:
    FindingSink(const CheckConfig& config, const std::string& page, std::vector<Finding>& out)
        : config_(config), page_(page), out_(out)
    {
    }
    bool On(const char* rule) const { return config_.Enabled(rule); }
    int Threshold(const char* rule) const { return config_.Threshold(rule); }
    Finding* Add(const char* rule, const Place& at, std::string message, std::string subject = {});

private:
    const CheckConfig& config_;
    const std::string& page_;
    std::vector<Finding>& out_;
};

// Runs every rule of one page on its facts.
void CheckPage(const SiteIndex& site, const CheckConfig& config, int index, const PageFacts& facts,
               PageOutcome& outcome);

// The groups of rules CheckPage runs.
void CheckTexts(const PageFacts& facts, FindingSink& sink);
void CheckHead(const PageFacts& facts, FindingSink& sink);
void CheckImagesAndLinks(const SiteIndex& site, int index, const PageFacts& facts, FindingSink& sink,
                         PageOutcome& outcome);
void CheckKeywords(const PageFacts& facts, FindingSink& sink);

// The rules of the whole site, once every page was checked; their findings
// go to the pages' outcomes.
void CheckSiteWide(const SiteIndex& site, const CheckConfig& config, std::vector<PageOutcome>& pages);

// The number of characters of a page text (an escaped character is one).
int TextLength(const std::string& text);

}  // namespace kestrova::check
