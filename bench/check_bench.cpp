// Speed and memory of the site check, end to end as kestrova-cli check runs
// it (page list, every page read once on the reading threads, the rules of
// the whole site, the text report). Builds (once) a site of real pages: the
// HTML pages under /usr/share/doc of 15 to 40 KB (or those under the folder
// given with --pages-from), copied over and over into folders of 100 pages
// until --pages pages (10 000 by default, about 250 MB). Prints pages/s,
// MB/s of wall-clock time, and the peak memory of the process beside the
// size of the site.
//
//   check_bench [FOLDER] [--pages N] [--runs N] [--pages-from DIR] [--workers N]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "check/check_report.h"
#include "check/site_check.h"

namespace fs = std::filesystem;
using namespace kestrova;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<fs::path> SourcePages(const fs::path& from)
{
    std::vector<fs::path> pages;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string ext = it->path().extension().string();
        if ((ext == ".html" || ext == ".htm") && it->is_regular_file() && it->file_size() >= 15 * 1024 &&
            it->file_size() < 40 * 1024)
            pages.push_back(it->path());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::uintmax_t SiteBytes(const fs::path& folder, int& pages)
{
    std::uintmax_t bytes = 0;
    pages = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) {
            bytes += entry.file_size();
            ++pages;
        }
    return bytes;
}

void BuildSite(const fs::path& folder, const fs::path& from, int count)
{
    const std::vector<fs::path> sources = SourcePages(from);
    if (sources.empty()) {
        std::fprintf(stderr, "no pages under %s\n", from.c_str());
        std::exit(2);
    }
    for (int i = 0; i < count; ++i) {
        const fs::path dir = folder / ("f" + std::to_string(i / 100));
        fs::create_directories(dir);
        const fs::path& source = sources[static_cast<std::size_t>(i) % sources.size()];
        fs::copy_file(source, dir / (std::to_string(i) + "-" + source.filename().string()),
                      fs::copy_options::overwrite_existing);
    }
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv)
{
    fs::path folder = fs::temp_directory_path() / "kestrova-check-bench";
    fs::path from = "/usr/share/doc";
    int pages = 10000, runs = 3, workers = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--pages" && i + 1 < argc)
            pages = std::atoi(argv[++i]);
        else if (a == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (a == "--workers" && i + 1 < argc)
            workers = std::atoi(argv[++i]);
        else if (a == "--pages-from" && i + 1 < argc)
            from = argv[++i];
        else
            folder = a;
    }
    int found = 0;
    if (!fs::exists(folder) || (SiteBytes(folder, found), found != pages)) {
        fs::remove_all(folder);
        BuildSite(folder, from, pages);
    }
    const std::uintmax_t bytes = SiteBytes(folder, found);
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("site: %d pages, %.1f MB in %s\n", found, mb, folder.c_str());

    ResetAppState();
    App.Language = LanguageEnglish;
    const check::CheckConfig config;
    double best = 1e9;
    std::size_t findings = 0, reportSize = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        check::CheckResult result;
        if (!check::CheckSite(folder.string(), config, result, {}, workers)) {
            std::fprintf(stderr, "cannot read %s\n", folder.c_str());
            return 2;
        }
        const std::string report = check::TextReport(result);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, seconds);
        findings = result.Findings.size();
        reportSize = report.size();
        std::printf("run %d: %.2f s, %.0f pages/s, %.1f MB/s, %zu findings\n", run + 1, seconds, found / seconds,
                    mb / seconds, findings);
    }
    std::printf("best: %.2f s, %.1f MB/s; report %.1f MB; peak memory %.1f MB (site %.1f MB)\n", best, mb / best,
                static_cast<double>(reportSize) / 1e6, PeakKilobytes() / 1024.0, mb);
    return 0;
}
