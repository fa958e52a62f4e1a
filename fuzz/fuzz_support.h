// What the fuzz targets share: stopping on a broken property, a temporary
// folder for the files an input becomes, and whole-file reads and writes.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kestrova::fuzz {

// Checks a property of one target: a broken one names the target and the
// property and aborts, so that libFuzzer keeps the input.
struct Checker {
    const char* Target;
    void operator()(bool ok, const char* what) const
    {
        if (!ok) {
            std::fprintf(stderr, "%s: %s\n", Target, what);
            std::abort();
        }
    }
};

// A folder of its own for the target's files, memory-backed where the
// machine has /dev/shm (the program's commits flush to the disk), removed
// when the fuzzer ends.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
    {
        std::string shm = "/dev/shm/kestrova-" + name + "-XXXXXX";
        std::string tmp = "/tmp/kestrova-" + name + "-XXXXXX";
        const char* made = mkdtemp(shm.data());
        if (made == nullptr)
            made = mkdtemp(tmp.data());
        if (made == nullptr)
            std::abort();
        path_ = made;
        homeFd_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folderFd_ = open(made, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (homeFd_ < 0 || folderFd_ < 0)
            std::abort();
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // Makes the folder the current one for its lifetime (the program writes
    // its journal in the current folder), then gives the fuzzer, which reads
    // its corpus by relative paths, its own folder back.
    class Inside {
    public:
        explicit Inside(const TempFolder& folder) : homeFd_(folder.homeFd_)
        {
            if (fchdir(folder.folderFd_) != 0)
                std::abort();
        }
        ~Inside()
        {
            if (fchdir(homeFd_) != 0)
                std::abort();
        }
        Inside(const Inside&) = delete;
        Inside& operator=(const Inside&) = delete;

    private:
        int homeFd_;
    };

private:
    std::string path_;
    int homeFd_ = -1;
    int folderFd_ = -1;
};

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace kestrova::fuzz
