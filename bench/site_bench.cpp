// Speed of the site scan. Builds (once) a site of real pages: the HTML pages
// under /usr/share/doc smaller than 40 KB (or those under the folder given
// with --pages-from), copied over and over into folders of 100 pages, the
// first half under FOLDER/a and the second under FOLDER/b; the copies keep
// their names. Then scans the
// half and the whole site a few times each, as kestrova-cli site does (scan
// and report), and prints pages/s and MB/s of wall-clock time, so that the
// half and the whole show whether the time grows linearly. Each is scanned
// with the pages read on this thread alone, then on one thread per
// processor (or with the number of reading threads given).
//
//   site_bench [FOLDER] [--pages N] [--runs N] [--pages-from DIR] [--workers N]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/headless_ui.h"
#include "cli/site_verb.h"
#include "site/site_scan.h"

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
        if ((ext == ".html" || ext == ".htm") && it->is_regular_file() && it->file_size() < 40 * 1024)
            pages.push_back(it->path());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Total bytes of the pages below folder.
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

void BuildSite(const fs::path& root, int count, const fs::path& from)
{
    const std::vector<fs::path> sources = SourcePages(from);
    if (sources.empty()) {
        std::fprintf(stderr, "no pages under %s\n", from.c_str());
        std::exit(1);
    }
    for (int i = 0; i < count; ++i) {
        const int folder = i / 100;
        const fs::path dir = root / (folder < count / 200 ? "a" : "b") / ("d" + std::to_string(1000 + folder));
        fs::create_directories(dir);
        // The pages keep their names, so the copies of a page in different
        // folders share one entry in the page lists, as on a real site.
        const fs::path& source = sources[static_cast<std::size_t>(i) % sources.size()];
        fs::path target = dir / source.filename();
        while (fs::exists(target))
            target = dir / ("x" + target.filename().string());
        fs::copy_file(source, target);
    }
}

// CPU time of the process, in seconds (the machine may be busy with other
// work: wall-clock time alone would measure the load too).
double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double ScanSeconds(const fs::path& folder, int workers, std::string& report, double& cpuSeconds)
{
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    ScanSiteFolder(folder.string() + "/", {}, workers);
    report = cli::SiteReport();
    const std::chrono::duration<double> took = Clock::now() - start;
    cpuSeconds = CpuSeconds() - cpuStart;
    return took.count();
}

}  // namespace

int main(int argc, char** argv)
{
    fs::path root = fs::temp_directory_path() / "kestrova_site_bench";
    fs::path from = "/usr/share/doc";
    int count = 10000;
    int runs = 3;
    std::vector<int> workerCounts{1, 0};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pages" && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--workers" && i + 1 < argc)
            workerCounts = {std::atoi(argv[++i])};
        else if (arg == "--pages-from" && i + 1 < argc)
            from = argv[++i];
        else
            root = arg;
    }
    if (!fs::exists(root)) {
        std::printf("building %d pages in %s\n", count, root.c_str());
        BuildSite(root, count, from);
    }
    ResetAppState();
    ui::SilentUi silent;
    ui::SetUi(&silent);

    std::map<std::string, std::string> reports;
    for (const int workers : workerCounts)
        for (const fs::path& folder : {root / "a", root}) {
            int pages = 0;
            const double megabytes = static_cast<double>(SiteBytes(folder, pages)) / 1e6;
            std::vector<double> times, cpuTimes;
            std::string report;
            for (int run = 0; run < runs; ++run) {
                double cpu = 0;
                times.push_back(ScanSeconds(folder, workers, report, cpu));
                cpuTimes.push_back(cpu);
            }
            std::sort(times.begin(), times.end());
            std::sort(cpuTimes.begin(), cpuTimes.end());
            const double cpuBest = cpuTimes.front();
            const double best = times.front();
            const double median = times[times.size() / 2];
            const int threads = workers > 0 ? workers : static_cast<int>(std::thread::hardware_concurrency());
            std::printf("%d reading thread%s %-24s %6d pages %6.1f MB | wall best %.3f s (%6.0f pages/s, %6.1f MB/s), "
                        "median %.3f s | "
                        "CPU best %.3f s (%6.0f pages/s, %6.1f MB/s) | report %zu bytes\n",
                        threads, threads > 1 ? "s" : "", folder.c_str(), pages, megabytes, best, pages / best,
                        megabytes / best, median, cpuBest, pages / cpuBest, megabytes / cpuBest, report.size());
            // The report must not depend on the number of reading threads.
            auto [first, added] = reports.emplace(folder.string(), report);
            if (!added && first->second != report) {
                std::printf("the report differs from the one of the first scan of %s\n", folder.c_str());
                return 1;
            }
        }
    ui::SetUi(nullptr);
    return 0;
}
