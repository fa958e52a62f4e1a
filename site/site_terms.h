// The document frequencies of a site for the keyword relevance's TF-IDF:
// for every term (word or two-word phrase, as CollectTerms makes them), the
// number of pages of the site holding it.
//
// The index belongs to its caller and is brought up to date by Refresh: the
// first time it reads every page of the folder (on reading threads); later
// it only lists the folder and compares each page's size and modification
// time, reading again the pages that changed or are new and forgetting the
// pages that are gone. The folders are watched for changes, so that while
// none comes a later call does not even list the folder. Calls are
// serialised by the index's own lock.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "analysis/keyword_relevance.h"

namespace kestrova {

// A page file below a site folder, as the site folder walk takes it.
struct SitePageFile {
    std::string Path;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;  // modification time, nanoseconds
};

// The pages below folder (the rules of WalkSiteFolder: page extensions,
// hidden files skipped, hidden folders walked, links followed without
// loops; but the backup folders "Sauvegarde" are left out, their pages being
// copies), in walk order. Uses nothing shared.
std::vector<SitePageFile> ListSitePageFiles(const std::string& folder);
// The same, calling onFolder with each folder (ending in "/") before its
// entries are looked at.
std::vector<SitePageFile> ListSitePageFiles(const std::string& folder,
                                            const std::function<void(const std::string&)>& onFolder);

class SiteTermIndex : public DocumentFrequencies {
public:
    SiteTermIndex() = default;
    ~SiteTermIndex() override;
    SiteTermIndex(const SiteTermIndex&) = delete;
    SiteTermIndex& operator=(const SiteTermIndex&) = delete;

    struct Settings {
        RelevanceLanguage ProgramLanguage = RelevanceLanguage::French;
        bool WordForms = true;
        std::string UsualWords;
        int Workers = 0;  // reading threads; 0: one per processor, 4 at most
    };
    // Called from the calling thread while pages are read: pages read so
    // far and pages to read.
    using Progress = std::function<void(int done, int total)>;

    // Brings the index up to date for folder; a different folder or
    // different settings start it afresh. Returns the number of pages read.
    int Refresh(const std::string& folder, const Settings& settings, const Progress& progress = {});

    int Pages() const override;
    int Frequency(const std::string& termKey) const override;
    // The folder the index describes ("" before the first Refresh).
    std::string Folder() const;

private:
    struct PageEntry {
        std::int64_t Size = 0;
        std::int64_t ModifiedNs = 0;
        std::vector<std::uint32_t> Terms;  // distinct term ids
    };
    void Forget(PageEntry& entry);
    // The folders of the site are watched (inotify) from the first read on:
    // while no event came, no page changed and nothing is listed. Without
    // a watch (the system's limit reached), every call lists the folder.
    void StartWatching();
    void StopWatching();
    // Reads the pending events; true when there was any.
    bool FolderChanged();
    int watchFd_ = -1;
    bool watching_ = false;

    mutable std::mutex mutex_;
    std::string folder_;
    Settings settings_;
    bool settingsKnown_ = false;
    std::unordered_map<std::string, std::uint32_t> termIds_;
    std::vector<int> frequencies_;  // by term id
    std::unordered_map<std::string, PageEntry> pages_;
};

}  // namespace kestrova
