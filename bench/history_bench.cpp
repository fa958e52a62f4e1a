// Cost of the page history on a big site. Builds a site of N pages (default
// 10 000, in folders of 100, about 4 KB each), makes M changes (default
// 10 000) of random pages' titles through the rewrite engine, plus 60
// changes of one page so that its history is full, then prints the disk
// space the histories take against the pages' own size times the depth, and
// the time of listing the history of a page and of undoing its last change
// (each the best and the worst of several runs). The journal is emptied
// every 500 changes, as uploads would.
//
//   history_bench [FOLDER] [--pages N] [--changes N]
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

#include "base/app_state.h"
#include "base/headless_ui.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/journal.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "page/page_undo.h"

namespace fs = std::filesystem;
using namespace kestrova;
using Clock = std::chrono::steady_clock;

namespace {

std::string PageText(int n)
{
    std::string page = "<html>\r\n<head>\r\n<title>Page " + std::to_string(n) +
                       "</title>\r\n<meta name=\"keywords\" content=\"voilier, ketch\">\r\n</head>\r\n<body>\r\n";
    while (page.size() < 4000)
        page += "<p>Un voilier de croisi\xE8re \xE0 vendre, bon \xE9tat, visible au port.</p>\r\n";
    return page + "</body>\r\n</html>\r\n";
}

// The bytes of the pages (history false) or of their histories (true);
// the one-generation backups are neither.
std::uintmax_t FolderBytes(const fs::path& folder, bool history)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().string();
        const bool inHistory = path.find(HistoryFolderName) != std::string::npos;
        const bool isPage = entry.path().extension() == ".htm" && path.find("/Sauvegarde/") == std::string::npos;
        if (history ? inHistory : isPage)
            total += entry.file_size();
    }
    return total;
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv)
{
    fs::path folder = fs::temp_directory_path() / "kestrova-history-bench";
    int pages = 10000;
    int changes = 10000;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--pages" && i + 1 < argc)
            pages = std::atoi(argv[++i]);
        else if (a == "--changes" && i + 1 < argc)
            changes = std::atoi(argv[++i]);
        else
            folder = a;
    }
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int n = 0; n < pages; ++n) {
        const fs::path dir = folder / ("d" + std::to_string(n / 100));
        fs::create_directories(dir);
        const fs::path path = dir / ("p" + std::to_string(n) + ".htm");
        std::ofstream(path, std::ios::binary) << PageText(n);
        paths.push_back(path.string());
    }
    if (::chdir(folder.c_str()) != 0)
        return 1;
    ui::HeadlessUi quiet;
    ui::SetUi(&quiet);
    App.Language = LanguageFrench;

    std::mt19937 random(42);
    const auto started = Clock::now();
    auto change = [&](const std::string& path, int n) {
        Page.CurrentPagePath = path;
        ReplaceTitle("Titre " + std::to_string(n));
        if (n % 500 == 0)
            fs::remove(JournalFileName);
    };
    for (int n = 1; n <= changes; ++n)
        change(paths[random() % paths.size()], n);
    const std::string hot = paths[0];
    for (int n = 1; n <= 60; ++n)
        change(hot, changes + n);
    const double changeMs = Ms(Clock::now() - started) / (changes + 60);

    const std::uintmax_t pageBytes = FolderBytes(folder, false);
    const std::uintmax_t historyBytes = FolderBytes(folder, true);
    const int depth = HistoryDepth();
    std::printf("site: %d pages, %.1f MB; %d changes (%.2f ms each)\n", pages, pageBytes / 1e6, changes + 60, changeMs);
    std::printf("history: %.1f MB = %.3f of the pages' size; the bound (pages x depth %d) is %.1f MB\n",
                historyBytes / 1e6, static_cast<double>(historyBytes) / static_cast<double>(pageBytes), depth,
                pageBytes * static_cast<double>(depth) / 1e6);

    double listBest = 1e9, listWorst = 0, undoBest = 1e9, undoWorst = 0;
    std::size_t versions = 0;
    for (int run = 0; run < 10; ++run) {
        auto t = Clock::now();
        versions = PageHistory(hot).size();
        const double list = Ms(Clock::now() - t);
        t = Clock::now();
        const UndoOutcome outcome = UndoPageChange(hot, 0, false, 0, false);
        const double undo = Ms(Clock::now() - t);
        if (outcome != UndoOutcome::Restored) {
            std::printf("undo failed\n");
            return 1;
        }
        listBest = std::min(listBest, list);
        listWorst = std::max(listWorst, list);
        undoBest = std::min(undoBest, undo);
        undoWorst = std::max(undoWorst, undo);
    }
    std::printf("one page with %zu versions: history %.2f to %.2f ms, undo %.2f to %.2f ms\n", versions, listBest,
                listWorst, undoBest, undoWorst);
    ui::SetUi(nullptr);
    return 0;
}
