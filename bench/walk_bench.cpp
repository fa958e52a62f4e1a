// Speed and memory of the page walk. Generated pages of 10 KB, 1 MB and
// 20 MB (and the HTML pages found under /usr/share/doc, or the folders given
// on the command line) are walked with a trivial handler, with the analysis
// handler, and in write mode with a handler that changes nothing (copy,
// comparison, no commit). Prints MB/s per case (per second of CPU time of
// the walking thread, and per second of wall-clock time) and the peak
// resident memory.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/word_tables.h"
#include "base/headless_ui.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace fs = std::filesystem;
using namespace kestrova;
using Clock = std::chrono::steady_clock;

namespace {

using ui::SilentUi;

long PeakKilobytes()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Writes a page of about `size` bytes without holding it in memory: a head
// with title and meta tags, then paragraphs of words with entities, links,
// images with alternative texts, and now and then a script or a style.
void GeneratePage(const std::string& path, std::size_t size, unsigned seed)
{
    static const char* words[] = {"le",
                                  "la",
                                  "maison",
                                  "jardin",
                                  "soleil",
                                  "vacances",
                                  "location",
                                  "mer",
                                  "montagne",
                                  "r&eacute;servation",
                                  "h&ocirc;tel",
                                  "caf&eacute;",
                                  "prix",
                                  "chambre",
                                  "piscine",
                                  "plage",
                                  "randonn&eacute;e",
                                  "village",
                                  "Bretagne",
                                  "Provence",
                                  "week-end",
                                  "2006",
                                  "famille",
                                  "enfants",
                                  "calme",
                                  "vue"};
    const int wordCount = static_cast<int>(sizeof words / sizeof *words);
    std::mt19937 rng(seed);
    auto word = [&]() -> std::string {
        if (rng() % 5 == 0) {  // an invented word, so that the tables keep growing
            std::string w;
            for (int i = 0, n = 3 + static_cast<int>(rng() % 7); i < n; ++i)
                w.push_back(static_cast<char>('a' + rng() % 26));
            return w;
        }
        return words[rng() % wordCount];
    };
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string chunk = "<html>\r\n<head>\r\n<title>Location de vacances en Bretagne</title>\r\n"
                        "<meta name=\"keywords\" content=\"location, vacances, mer, Bretagne\">\r\n"
                        "<meta name=\"description\" content=\"Maison de vacances avec vue sur la mer\">\r\n"
                        "</head>\r\n<body background=\"fond.gif\">\r\n";
    std::size_t written = 0;
    while (written + chunk.size() < size) {
        switch (rng() % 8) {
            case 0:
                chunk +=
                    "<img src=\"images/" + word() + ".jpg\" alt=\"" + word() + " " + word() + "\" width=\"120\">\r\n";
                break;
            case 1:
                chunk += "<a href=\"" + word() + ".htm\" title=\"" + word() + "\">" + word() + " " + word() + "</a> ";
                break;
            case 2:
                if (rng() % 4 == 0)
                    chunk += "<script language=\"javascript\">\r\n// " + word() + " </div>\r\nvar s = \"<b>" + word() +
                             "</b>\"; if (a<b) a = b;\r\n</script>\r\n";
                else
                    chunk += "<style type=\"text/css\">p { margin: 0; }</style>";
                break;
            default: {
                chunk += "<p class=\"texte\">";
                for (int i = 0, n = 5 + static_cast<int>(rng() % 60); i < n; ++i)
                    chunk += word() + (rng() % 9 == 0 ? ", " : " ");
                chunk += "</p>\r\n";
                break;
            }
        }
        if (chunk.size() > 65536) {
            out << chunk;
            written += chunk.size();
            chunk.clear();
        }
    }
    chunk += "</body>\r\n</html>\r\n";
    out << chunk;
}

std::size_t gPieces = 0;
void CountPiece(std::int64_t, const std::string&, const std::string&, const std::string&)
{
    ++gPieces;
}
void Nothing(std::int64_t, const std::string&, const std::string&, const std::string&) {}

// CPU time of this thread: the machine may be busy with other work, and the
// walk runs on one core.
double ThreadSeconds()
{
    struct timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Result {
    double megabytesPerSecond;  // per second of CPU time
    double wallMegabytesPerSecond;
    int runs;
};

// Walks the pages again and again for about `seconds`; only the walks are timed.
Result Measure(const std::vector<std::string>& pages, std::uintmax_t bytes, const PieceHandler& handler, bool write,
               bool resetTables, double seconds)
{
    double spent = 0;
    double wall = 0;
    int runs = 0;
    while (spent < seconds || runs < 3) {
        for (const std::string& page : pages) {
            if (resetTables)
                ResetWordTables();
            Page.CurrentPagePath = page;
            Page.PageTitle.clear();
            auto start = Clock::now();
            double cpuStart = ThreadSeconds();
            int ok = WalkPage(Page.CurrentPagePath, WalkOptions{.Owner = 1, .ShowProgress = true, .WriteCopy = write},
                              handler);
            spent += ThreadSeconds() - cpuStart;
            wall += std::chrono::duration<double>(Clock::now() - start).count();
            if (ok != 1) {
                std::fprintf(stderr, "walk failed: %s\n", page.c_str());
                std::exit(1);
            }
        }
        ++runs;
    }
    return {static_cast<double>(bytes) * runs / spent / 1e6, static_cast<double>(bytes) * runs / wall / 1e6, runs};
}

void Report(const char* name, std::uintmax_t bytes, std::size_t files, const std::vector<std::string>& pages)
{
    Result trivial = Measure(pages, bytes, CountPiece, false, false, 1.0);
    Result analysis = Measure(pages, bytes, AnalysisHandler, false, true, 1.0);
    Result write = Measure(pages, bytes, Nothing, true, false, 1.0);
    std::printf("%-16s %7.2f MB %4zu file(s) | MB/s (CPU time; wall) trivial %7.1f; %7.1f | analysis %6.1f; %6.1f"
                " | write, unchanged %6.1f; %6.1f\n",
                name, static_cast<double>(bytes) / 1e6, files, trivial.megabytesPerSecond,
                trivial.wallMegabytesPerSecond, analysis.megabytesPerSecond, analysis.wallMegabytesPerSecond,
                write.megabytesPerSecond, write.wallMegabytesPerSecond);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    SilentUi silent;
    ui::SetUi(&silent);
    char templ[] = "/tmp/kestrova-bench-XXXXXX";
    if (!mkdtemp(templ))
        return 1;
    const fs::path folder = templ;
    long baseline = PeakKilobytes();
    std::printf("peak resident memory before the walks: %ld KB\n", baseline);

    const std::pair<const char*, std::size_t> sizes[] = {
        {"generated 10 KB", 10 * 1000}, {"generated 1 MB", 1000 * 1000}, {"generated 20 MB", 20 * 1000 * 1000}};
    unsigned seed = 1;
    for (const auto& [name, size] : sizes) {
        std::string path = (folder / ("page" + std::to_string(seed) + ".htm")).string();
        GeneratePage(path, size, seed++);
        Report(name, fs::file_size(path), 1, {path});
        std::printf("    peak resident memory so far: %ld KB\n", PeakKilobytes());
    }

    // Real pages: the folders named on the command line, else /usr/share/doc.
    std::vector<std::string> roots;
    for (int i = 1; i < argc; ++i)
        roots.push_back(argv[i]);
    if (roots.empty())
        roots.push_back("/usr/share/doc");
    std::vector<std::string> pages;
    std::uintmax_t bytes = 0;
    for (const std::string& root : roots) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const fs::path& p = it->path();
            std::string ext = p.extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
            if ((ext == ".html" || ext == ".htm") && it->is_regular_file(ec) && it->file_size(ec) > 0) {
                // Walk copies: write mode must not touch the originals.
                std::string copy = (folder / ("real" + std::to_string(pages.size()) + ".htm")).string();
                if (fs::copy_file(p, copy, fs::copy_options::overwrite_existing, ec)) {
                    pages.push_back(copy);
                    bytes += fs::file_size(copy);
                }
            }
        }
    }
    // Only HTML pages take part (a page the HTML test refuses would stop Measure).
    std::vector<std::string> html;
    std::uintmax_t htmlBytes = 0;
    for (const std::string& page : pages) {
        Page.CurrentPagePath = page;
        if (WalkPage(Page.CurrentPagePath, WalkOptions{.Owner = 0, .ReportErrors = false}, Nothing) == 1) {
            html.push_back(page);
            htmlBytes += fs::file_size(page);
        }
    }
    if (!html.empty())
        Report("real pages", htmlBytes, html.size(), html);
    else
        std::printf("no real HTML pages found\n");
    (void)bytes;

    std::printf("peak resident memory at the end: %ld KB (%ld KB above the start)\n", PeakKilobytes(),
                PeakKilobytes() - baseline);
    std::printf("pieces given to the trivial handler: %zu\n", gPieces);
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
