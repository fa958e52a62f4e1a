// Time of `kestrova-cli images` and `kestrova-cli alt N --set` on a page of
// many images (40 000 by default, or the number given): both must grow with
// the page, not with the square of its images. Fails when the list or the
// alt text written is wrong.
//   cmake --build build-bench --target images_bench && build-bench/bench/images_bench [IMAGES]
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Timed {
    int Status = 0;
    double Wall = 0;
    double Cpu = 0;
};

Timed Run(const std::vector<std::string>& args, std::ostringstream& out, std::ostringstream& err)
{
    out.str({});
    err.str({});
    const auto started = Clock::now();
    const double cpu = CpuSeconds();
    Timed t;
    t.Status = kestrova::cli::RunCli(args, out, err);
    t.Cpu = CpuSeconds() - cpu;
    t.Wall = std::chrono::duration<double>(Clock::now() - started).count();
    return t;
}

}  // namespace

int main(int argc, char** argv)
{
    const int images = argc > 1 ? std::atoi(argv[1]) : 40000;
    if (images < 1) {
        std::fprintf(stderr, "usage: images_bench [IMAGES]\n");
        return 2;
    }
    char templ[] = "/tmp/kestrova-images-bench-XXXXXX";
    if (mkdtemp(templ) == nullptr)
        return 1;
    const fs::path folder = templ;
    fs::current_path(folder);  // the journal is written here
    const std::string page = (folder / "images.htm").string();
    {
        // The src first, after another attribute, after the alt, bare: every
        // way an image may be written.
        std::ofstream out(page, std::ios::binary);
        out << "<html><head><title>Images</title></head><body>\n";
        for (int i = 1; i <= images; ++i) {
            const std::string name = "img/i" + std::to_string(i) + ".gif";
            switch (i % 4) {
                case 0:
                    out << "<img src=\"" << name << "\">";
                    break;
                case 1:
                    out << "<img border=0 src=\"" << name << "\" alt=\"Image " << i << "\">";
                    break;
                case 2:
                    out << "<img alt=\"Image " << i << "\" src='" << name << "'>";
                    break;
                default:
                    out << "<p>texte " << i << "</p><img class=c src=" << name << ">";
                    break;
            }
            out << '\n';
        }
        out << "</body></html>\n";
    }
    std::printf("page: %d images, %.1f MB\n", images, static_cast<double>(fs::file_size(page)) / 1e6);

    std::ostringstream out, err;
    bool ok = true;
    const Timed list = Run({"images", page}, out, err);
    const std::string listed = out.str();
    std::size_t lines = 0;
    for (char c : listed)
        lines += c == '\n' ? 1 : 0;
    std::printf("images:            %.3f s wall, %.3f s CPU, %zu rows\n", list.Wall, list.Cpu, lines);
    ok = ok && list.Status == 0 && lines == static_cast<std::size_t>(images);

    const std::string text = "Le dernier";
    const Timed alt = Run({"alt", page, std::to_string(images), "--set", text}, out, err);
    std::printf("alt %d --set:   %.3f s wall, %.3f s CPU, exit %d\n", images, alt.Wall, alt.Cpu, alt.Status);
    if (alt.Status != 0)
        std::fprintf(stderr, "%s", err.str().c_str());
    ok = ok && alt.Status == 0;

    Run({"images", page}, out, err);
    const std::string after = out.str();
    const std::string last = after.substr(after.rfind('\n', after.size() - 2) + 1);
    ok = ok && last.find("\t" + text + "\n") != std::string::npos;

    std::error_code ec;
    fs::current_path("/", ec);
    fs::remove_all(folder, ec);
    if (!ok) {
        std::fprintf(stderr, "images_bench: wrong result\n%s", err.str().c_str());
        return 1;
    }
    return 0;
}
