// Speed and memory of the site check, end to end as kestrova-cli check runs
// it (page list, every page read once on the reading threads, the rules of
// the whole site, the text report). Builds (once) a site of real pages: the
// folders under /usr/share/doc (or under the folder given with --pages-from)
// that hold an HTML page of 15 to 40 KB (--page-kb MIN-MAX for other sizes),
// each copied whole, over and over,
// until the site holds --pages pages (10 000 by default). Prints pages/s,
// MB/s of wall-clock time, and the peak memory of the process beside the
// size of the site.
//
//   check_bench [FOLDER] [--pages N] [--runs N] [--pages-from DIR] [--workers N] [--page-kb MIN-MAX]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/translate.h"
#include "check/check_report.h"
#include "check/site_check.h"

namespace fs = std::filesystem;
using namespace kestrova;
using Clock = std::chrono::steady_clock;

namespace {

// The sizes of the pages that choose a folder, in KB.
int MinPageKb = 15;
int MaxPageKb = 40;

// The folders holding an HTML page of MinPageKb to MaxPageKb, each taken whole (its
// pages, pictures and style sheets), so that the links between its pages
// resolve as on a real site.
std::vector<fs::path> SourceFolders(const fs::path& from)
{
    std::vector<fs::path> folders;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string ext = it->path().extension().string();
        if ((ext == ".html" || ext == ".htm") && it->is_regular_file() &&
            it->file_size() >= static_cast<std::uintmax_t>(MinPageKb) * 1024 &&
            it->file_size() < static_cast<std::uintmax_t>(MaxPageKb) * 1024)
            folders.push_back(it->path().parent_path());
    }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
}

// Copies the source folders, one after the other and over and over, into
// FOLDER/fN, until the site holds count pages.
void BuildSite(const fs::path& folder, const fs::path& from, int count)
{
    const std::vector<fs::path> sources = SourceFolders(from);
    if (sources.empty()) {
        std::fprintf(stderr, "no pages under %s\n", from.c_str());
        std::exit(2);
    }
    int pages = 0;
    for (std::size_t n = 0; pages < count; ++n) {
        const fs::path& source = sources[n % sources.size()];
        const fs::path target = folder / ("f" + std::to_string(n));
        for (const auto& entry : fs::recursive_directory_iterator(source)) {
            if (pages >= count)
                break;
            if (!entry.is_regular_file() || entry.file_size() > 1024 * 1024)
                continue;
            const std::string ext = entry.path().extension().string();
            const bool page = ext == ".html" || ext == ".htm";
            const fs::path to = target / fs::relative(entry.path(), source);
            fs::create_directories(to.parent_path());
            fs::copy_file(entry.path(), to, fs::copy_options::overwrite_existing);
            pages += page ? 1 : 0;
        }
    }
}

// Number and bytes of the pages (only) below folder.
std::uintmax_t PageBytes(const fs::path& folder, int& pages)
{
    std::uintmax_t bytes = 0;
    pages = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".html" || ext == ".htm")) {
            bytes += entry.file_size();
            ++pages;
        }
    }
    return bytes;
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
        else if (a == "--page-kb" && i + 1 < argc && std::sscanf(argv[i + 1], "%d-%d", &MinPageKb, &MaxPageKb) == 2)
            ++i;
        else if (a == "--pages-from" && i + 1 < argc)
            from = argv[++i];
        else
            folder = a;
    }
    int found = 0;
    if (!fs::exists(folder) || (PageBytes(folder, found), found != pages)) {
        fs::remove_all(folder);
        BuildSite(folder, from, pages);
    }
    const std::uintmax_t bytes = PageBytes(folder, found);
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("site: %d pages, %.1f MB of pages in %s\n", found, mb, folder.c_str());

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
