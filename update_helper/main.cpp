// Installs a staged update, then starts the program again.
//
// Run by the program from its working folder, with the program's path as the
// only argument, just before the program ends. The folder "UpdateProg" holds
// the new files under their bare names and "Paths.txt", whose first line
// lists the items separated by "|": a path relative to the program folder
// (Windows "\" separators allowed) of a file to replace, or "execute:" + a
// path of a program to start once the update is in place.
//
// Every file is written under a temporary name beside its target and then
// renamed over it, so that no target is ever half written; the replaced files
// are kept until all are in place and put back if any step fails, so the
// program is either wholly updated or left as it was.
//
// The outcome is left in "UpdateOutcome.txt" in the working folder ("ok" or
// "failed", then the version from "UpdateProg/UpdateVersion.txt"), for the
// program to tell the user at its next start.
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/relative_path.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const Staging = "UpdateProg";

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A relative path inside the program folder: not absolute, no drive, no
// ".." part, no empty last part.
bool IsSafe(const std::string& path)
{
    return kestrova::IsRelativeInside(path);
}

std::string Slashes(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

void Start(const std::string& program)
{
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0)
        std::fprintf(stderr, "UpdateProg: cannot start %s\n", program.c_str());
}

struct Replaced {
    fs::path Target;
    fs::path Backup;
    bool HadOld = false;
};

bool SyncFile(const fs::path& path)
{
    FILE* f = std::fopen(path.c_str(), "rb+");
    if (f == nullptr)
        return false;
    const bool ok = ::fsync(fileno(f)) == 0;
    std::fclose(f);
    return ok;
}

// Puts one staged file in place; records what it replaced.
bool InstallOne(const std::string& item, bool executable, std::vector<Replaced>& done)
{
    const fs::path target = fs::path(Slashes(item));
    const fs::path staged = fs::path(Staging) / target.filename();
    const fs::path temporary = fs::path(target.string() + ".update-new");
    std::error_code ec;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    fs::remove(temporary, ec);
    if (!fs::copy_file(staged, temporary, ec) || !SyncFile(temporary)) {
        fs::remove(temporary, ec);
        return false;
    }
    // The new file keeps the permissions of the one it replaces; a new
    // program to run is made executable.
    const bool hadOld = fs::exists(fs::symlink_status(target, ec));
    fs::perms perms = fs::status(staged, ec).permissions();
    if (hadOld)
        perms = fs::status(target, ec).permissions();
    if (executable)
        perms |= fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    fs::permissions(temporary, perms, ec);

    Replaced entry{target, fs::path(target.string() + ".update-old"), hadOld};
    if (hadOld) {
        fs::remove(entry.Backup, ec);
        fs::rename(target, entry.Backup, ec);
        if (ec) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        if (hadOld)
            fs::rename(entry.Backup, target, ignored);
        fs::remove(temporary, ignored);
        return false;
    }
    done.push_back(entry);
    return true;
}

void RollBack(std::vector<Replaced>& done)
{
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        std::error_code ec;
        if (it->HadOld)
            fs::rename(it->Backup, it->Target, ec);
        else
            fs::remove(it->Target, ec);
        if (ec)
            std::fprintf(stderr, "UpdateProg: cannot restore %s\n", it->Target.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Let the program end first.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::string program = argc > 1 ? argv[1] : "";

    std::string line;
    std::ifstream list(fs::path(Staging) / "Paths.txt", std::ios::binary);
    if (list)
        std::getline(list, line);
    if (const std::size_t end = line.find_first_of("\r\n"); end != std::string::npos)
        line.erase(end);

    std::vector<std::string> files;
    std::vector<std::string> programs;
    bool safe = true;
    std::set<std::string> seen;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find('|', start);
        if (end == std::string::npos)
            end = line.size();
        const std::string item = Trim(line.substr(start, end - start));
        start = end + 1;
        if (item.empty())
            continue;
        const bool execute = item.rfind("execute:", 0) == 0;
        const std::string path = execute ? item.substr(8) : item;
        if (!IsSafe(path)) {
            std::fprintf(stderr, "UpdateProg: refused, outside the program folder: %s\n", item.c_str());
            safe = false;
        } else if (execute) {
            programs.push_back(Slashes(path));
        } else if (seen.insert(Slashes(path)).second) {
            files.push_back(path);
        }
    }

    int status = 0;
    if (!safe) {
        status = 1;
    } else {
        std::vector<Replaced> done;
        for (const std::string& file : files) {
            bool executable = false;
            for (const std::string& p : programs)
                executable = executable || p == Slashes(file);
            executable =
                executable || (!program.empty() && fs::path(program).filename() == fs::path(Slashes(file)).filename());
            if (!InstallOne(file, executable, done)) {
                std::fprintf(stderr, "Error while updating %s\n", file.c_str());
                RollBack(done);
                done.clear();
                status = 1;
                break;
            }
        }
        for (const Replaced& entry : done) {
            std::error_code ec;
            if (entry.HadOld)
                fs::remove(entry.Backup, ec);
        }
    }

    // The outcome, for the program's next start.
    std::string version;
    std::ifstream versionFile(fs::path(Staging) / "UpdateVersion.txt", std::ios::binary);
    if (versionFile)
        std::getline(versionFile, version);
    if (const std::size_t end = version.find_first_of("\r\n"); end != std::string::npos)
        version.erase(end);
    if (std::FILE* outcome = std::fopen("UpdateOutcome.txt", "wb")) {
        std::fprintf(outcome, "%s\r\n%s\r\n", status == 0 ? "ok" : "failed", version.c_str());
        std::fclose(outcome);
    }

    std::error_code ec;
    fs::remove_all(Staging, ec);

    if (!program.empty())
        Start(program);
    if (status == 0)
        for (const std::string& p : programs)
            Start((fs::current_path(ec) / p).string());
    return status;
}
