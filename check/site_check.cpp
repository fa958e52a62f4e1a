#include "check/site_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "check/page_check.h"
#include "check/page_facts.h"
#include "check/site_adapter.h"

namespace kestrova::check {

int DefaultCheckWorkers()
{
    // A reading thread waits for the disk about as long as it works on what
    // it read: two per processor keep them all busy on a site that is not
    // in memory yet.
    return std::clamp(2 * static_cast<int>(std::thread::hardware_concurrency()), 2, 8);
}

bool CheckResult::Reaches(Severity level) const
{
    for (int i = 0; i <= static_cast<int>(level) && i < 3; ++i)
        if (Counts[static_cast<std::size_t>(i)] > 0)
            return true;
    return false;
}

namespace {

// Reads and checks every page of the index on the reading threads; the
// calling thread reports progress meanwhile. False when stopped.
bool CheckAllPages(const SiteIndex& site, const CheckConfig& config, std::vector<PageOutcome>& outcomes,
                   const CheckProgress& progress, int workers)
{
    const std::size_t total = site.Paths.size();
    outcomes.assign(total, PageOutcome{});
    auto checkOne = [&](std::size_t i) {
        PageOutcome& outcome = outcomes[i];
        outcome.Excluded = config.Excluded(site.Relative[i]);
        PageFacts facts;
        if (!ReadPageFacts(site.Paths[i], facts))
            return;
        CheckPage(site, config, static_cast<int>(i), facts, outcome);
        if (outcome.Excluded)
            outcome.Findings.clear();
    };
    if (workers <= 0)
        workers = DefaultCheckWorkers();
    if (workers <= 1 || total < 2) {
        for (std::size_t i = 0; i < total; ++i) {
            if (progress && !progress(static_cast<int>(i), static_cast<int>(total)))
                return false;
            checkOne(i);
        }
        return !progress || progress(static_cast<int>(total), static_cast<int>(total));
    }

    if (progress && !progress(0, static_cast<int>(total)))
        return false;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t done = 0;
    std::exception_ptr error;
    auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= total || stop.load())
                return;
            try {
                checkOne(i);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!error)
                    error = std::current_exception();
                stop = true;
            }
            {
                std::lock_guard lock(mutex);
                ++done;
            }
            changed.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);
    bool stopped = false;
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait_for(lock, std::chrono::milliseconds(50));
            const std::size_t now = done;
            const bool finished = now >= total || stop.load();
            lock.unlock();
            const bool goOn = !progress || progress(static_cast<int>(now), static_cast<int>(total));
            lock.lock();
            if (!goOn) {
                stop = true;
                stopped = true;
            }
            if (finished || stopped)
                break;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    if (error)
        std::rethrow_exception(error);
    return !stopped;
}

void Collect(std::vector<PageOutcome>& outcomes, CheckResult& result)
{
    std::size_t total = 0;
    for (const PageOutcome& outcome : outcomes)
        total += outcome.Findings.size();
    result.Findings.reserve(total);
    for (PageOutcome& outcome : outcomes) {
        result.Pages += outcome.Read && !outcome.Excluded ? 1 : 0;
        for (Finding& finding : outcome.Findings)
            result.Findings.push_back(std::move(finding));
        outcome.Findings = {};
    }
    std::sort(result.Findings.begin(), result.Findings.end(), FindingBefore);
    for (const Finding& f : result.Findings)
        if (f.Level != Severity::Off)
            ++result.Counts[static_cast<std::size_t>(f.Level)];
}

std::string Normalised(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        absolute = path;
    return absolute.lexically_normal().string();
}

}  // namespace

bool CheckSite(const std::string& folder, const CheckConfig& config, CheckResult& result, const CheckProgress& progress,
               int workers)
{
    result = CheckResult{};
    result.Folder = folder;
    std::vector<std::string> pages;
    if (!ListSitePages(folder, pages))
        return false;
    SiteIndex site;
    site.Build(Normalised(folder), std::move(pages));
    std::vector<PageOutcome> outcomes;
    if (!CheckAllPages(site, config, outcomes, progress, workers)) {
        result.Cancelled = true;
        return true;
    }
    CheckSiteWide(site, config, outcomes);
    Collect(outcomes, result);
    return true;
}

void CheckPages(const std::string& root, const std::vector<std::string>& pages, const CheckConfig& config,
                CheckResult& result, const CheckProgress& progress, int workers)
{
    result = CheckResult{};
    result.Folder = root;
    std::vector<std::string> paths;
    for (const std::string& page : pages)
        paths.push_back(Normalised(page));
    SiteIndex site;
    site.Build(Normalised(root), std::move(paths));
    std::vector<PageOutcome> outcomes;
    if (!CheckAllPages(site, config, outcomes, progress, workers)) {
        result.Cancelled = true;
        return;
    }
    Collect(outcomes, result);
}

bool LoadCheckConfig(const std::string& folder, const std::string& configFile, CheckConfig& config,
                     std::string& problem)
{
    config = CheckConfig{};
    if (!configFile.empty())
        return ApplyConfigFile(configFile, config, problem);
    const std::string own = (std::filesystem::path(folder) / ConfigFileName).string();
    struct stat info {};
    if (stat(own.c_str(), &info) != 0)
        return true;
    return ApplyConfigFile(own, config, problem);
}

}  // namespace kestrova::check
