// Speed of the keyword relevance over a large site. Builds (once) a site of
// real pages: the HTML pages under /usr/share/doc smaller than 40 KB (or
// those under --pages-from), copied into folders of 100 pages until the site
// holds --pages pages (10 000 by default). Then, as the program and
// kestrova-cli relevance do:
//   1. the first relevance of a page: one read of the site (the document
//      frequencies, on the reading threads) and the page's own numbers;
//   2. the relevance of --later other pages of the site, each timed alone
//      (the index only checks that no page changed);
//   3. one page changed: the index reads that page alone again.
// Prints the times; exits with 1 when a later page took 50 ms or more.
//
//   relevance_bench [FOLDER] [--pages N] [--later N] [--pages-from DIR] [--workers N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/keyword_relevance.h"
#include "base/app_state.h"
#include "site/site_terms.h"

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

void BuildSite(const fs::path& root, int count, const fs::path& from)
{
    const std::vector<fs::path> sources = SourcePages(from);
    if (sources.empty()) {
        std::fprintf(stderr, "no pages under %s\n", from.c_str());
        std::exit(1);
    }
    for (int i = 0; i < count; ++i) {
        const fs::path dir = root / ("d" + std::to_string(1000 + i / 100));
        fs::create_directories(dir);
        const fs::path& source = sources[static_cast<std::size_t>(i) % sources.size()];
        fs::copy_file(source, dir / ("p" + std::to_string(i) + ".htm"), fs::copy_options::overwrite_existing);
    }
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv)
{
    fs::path root = fs::temp_directory_path() / "kestrova-relevance-bench";
    int pages = 10000, later = 50, workers = 0;
    fs::path from = "/usr/share/doc";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--pages" && i + 1 < argc)
            pages = std::atoi(argv[++i]);
        else if (a == "--later" && i + 1 < argc)
            later = std::atoi(argv[++i]);
        else if (a == "--workers" && i + 1 < argc)
            workers = std::atoi(argv[++i]);
        else if (a == "--pages-from" && i + 1 < argc)
            from = argv[++i];
        else
            root = a;
    }
    const fs::path marker = root / (".built-" + std::to_string(pages));
    if (!fs::exists(marker)) {
        fs::remove_all(root);
        BuildSite(root, pages, from);
        std::ofstream(marker.string()) << "built\n";
    }
    ResetAppState();
    const std::string folder = root.string();
    const SiteTermIndex::Settings settings{RelevanceLanguage::French, true, App.UsualWords, workers};
    std::vector<SitePageFile> files = ListSitePageFiles(folder);
    std::printf("site: %zu pages in %s\n", files.size(), folder.c_str());
    if (files.size() < 2)
        return 1;

    // The tools (stemmers, hyphenation patterns) are kept from one page to
    // the next, as the program keeps them.
    RelevanceTools tools(settings.WordForms, settings.UsualWords);
    double refreshMs = 0, measureMs = 0;
    auto relevance = [&](SiteTermIndex& index, const std::string& page, int& read) {
        const auto t0 = Clock::now();
        read = index.Refresh(folder, settings);
        const auto t1 = Clock::now();
        RelevancePage p;
        ReadRelevancePage(page, p);
        const RelevanceReport report = MeasureRelevance(p, settings.ProgramLanguage, tools, &index);
        refreshMs += Ms(t1 - t0);
        measureMs += Ms(Clock::now() - t1);
        return report.Terms.size();
    };

    SiteTermIndex index;
    int read = 0;
    auto start = Clock::now();
    relevance(index, files[0].Path, read);
    std::printf("first page: %.0f ms (%d pages read)\n", Ms(Clock::now() - start), read);

    std::vector<double> times;
    int readLater = 0;
    refreshMs = measureMs = 0;
    const std::size_t step = std::max<std::size_t>(1, files.size() / static_cast<std::size_t>(std::max(later, 1)));
    for (std::size_t i = step; i < files.size() && static_cast<int>(times.size()) < later; i += step) {
        start = Clock::now();
        relevance(index, files[i].Path, read);
        times.push_back(Ms(Clock::now() - start));
        readLater += read;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2], worst = times.back();
    std::printf("later pages: %zu, median %.1f ms, slowest %.1f ms (%d pages read again)\n", times.size(), median,
                worst, readLater);
    std::printf("  of which, on average: %.1f ms checking the site, %.1f ms reading and measuring the page\n",
                refreshMs / static_cast<double>(times.size()), measureMs / static_cast<double>(times.size()));

    // One page changed: read alone again.
    {
        std::ofstream(files[1].Path, std::ios::app) << "<p>ajout</p>\n";
        start = Clock::now();
        relevance(index, files[2].Path, read);
        std::printf("after one page changed: %.1f ms (%d page read again)\n", Ms(Clock::now() - start), read);
    }
    if (worst >= 50.0) {
        std::printf("FAIL: a later page took %.1f ms (limit 50 ms)\n", worst);
        return 1;
    }
    return 0;
}
