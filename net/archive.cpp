#include "net/archive.h"

#include <sys/stat.h>
#include <unzip.h>
#include <utime.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <vector>

#include "base/file_io.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

// Entries larger than this are not read into memory.
constexpr unsigned long long MaxEntrySize = 512ull * 1024 * 1024;

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool Match(const char* name, const char* pattern)
{
    for (;;) {
        if (*pattern == '\0')
            return *name == '\0';
        if (*pattern == '*') {
            for (const char* rest = name;; ++rest) {
                if (Match(rest, pattern + 1))
                    return true;
                if (*rest == '\0')
                    return false;
            }
        }
        if (*name == '\0')
            return false;
        if (*pattern != '?' && LowerAscii(*pattern) != LowerAscii(*name))
            return false;
        ++name;
        ++pattern;
    }
}

// Entry names use "/" (some archivers write "\"): both separate folders.
std::string Normalised(std::string name)
{
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return name;
}

bool IsSafeEntryName(const std::string& normalised)
{
    if (normalised.empty() || normalised.front() == '/' ||
        (normalised.size() >= 2 && normalised[1] == ':'))  // "C:..." names a drive
        return false;
    std::size_t start = 0;
    while (start <= normalised.size()) {
        std::size_t end = normalised.find('/', start);
        if (end == std::string::npos)
            end = normalised.size();
        if (normalised.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

bool CurrentEntry(unzFile zip, std::string& name, unz_file_info64& info)
{
    char buffer[4096];
    if (unzGetCurrentFileInfo64(zip, &info, buffer, sizeof buffer, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    name.assign(buffer, std::min<std::size_t>(info.size_filename, sizeof buffer - 1));
    return true;
}

bool ReadCurrentEntry(unzFile zip, const unz_file_info64& info, std::string& data)
{
    if (info.uncompressed_size > MaxEntrySize || unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    data.resize(static_cast<std::size_t>(info.uncompressed_size));
    std::size_t got = 0;
    int n = 0;
    while (got < data.size() &&
           (n = unzReadCurrentFile(zip, data.data() + got,
                                   static_cast<unsigned>(std::min<std::size_t>(data.size() - got, 1u << 20)))) > 0)
        got += static_cast<std::size_t>(n);
    // A damaged entry fails its check when it is closed.
    const bool intact = unzCloseCurrentFile(zip) == UNZ_OK && got == data.size();
    return intact && got > 0;
}

void SetModificationTime(const std::string& path, const tm_unz& date)
{
    std::tm t{};
    t.tm_year = static_cast<int>(date.tm_year) - 1900;
    t.tm_mon = static_cast<int>(date.tm_mon);
    t.tm_mday = static_cast<int>(date.tm_mday);
    t.tm_hour = static_cast<int>(date.tm_hour);
    t.tm_min = static_cast<int>(date.tm_min);
    t.tm_sec = 0;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    if (when == static_cast<std::time_t>(-1))
        return;
    utimbuf times{when, when};
    ::utime(path.c_str(), &times);
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    const std::string p = pattern.empty() ? "*.*" : pattern;
    const std::string n = name.find('.') == std::string::npos ? name + "." : name;
    return Match(n.c_str(), p.c_str());
}

std::string ConvertArchiveName(const std::string& name)
{
    // Code page 437 letters from 0x81 to 0xA5 in Windows-1252; 0 marks the
    // signs that are not letters.
    static const unsigned char Letters[] = {
        0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,        // 81-8F
        0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0,    0,    0,    0,    0x83,  // 90-9F
        0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1};                                                             // A0-A5
    std::string out = name;
    for (char& c : out) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b <= 128)
            continue;
        unsigned char mapped = 0;
        if (b <= 0xA5)
            mapped = Letters[b - 0x81];
        else if (b == 0xE1)
            mapped = 0xDF;  // sharp s
        c = static_cast<char>(mapped != 0 ? mapped : ' ');
    }
    return out;
}

int ExtractArchive(const std::string& archive, const std::string& pattern, const std::string& folder, bool keepFolders)
{
    unzFile zip = unzOpen64(archive.c_str());
    if (zip == nullptr)
        return 0;
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) {
        unzClose(zip);
        return 0;
    }

    // Every name is checked before anything is written: one entry that would
    // land outside the folder refuses the whole archive.
    std::string name;
    unz_file_info64 info{};
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        if (!CurrentEntry(zip, name, info) || !IsSafeEntryName(Normalised(name))) {
            unzClose(zip);
            return 0;
        }
    }

    const fs::path base = fs::path(folder);
    bool folderMade = false;
    int written = 0;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        if (!CurrentEntry(zip, name, info))
            continue;
        const std::string entry = Normalised(name);
        const std::string bare = entry.substr(entry.find_last_of('/') + 1);
        const bool isFolder = info.uncompressed_size == 0;
        if (!(MatchesPattern(bare, pattern) || (keepFolders && isFolder)))
            continue;
        if (isFolder) {
            // A folder entry (or an empty file) writes nothing; with the
            // folders kept, the folder is made.
            if (keepFolders) {
                std::error_code ec;
                fs::create_directories(base / fs::path(entry).parent_path(), ec);
                if (!bare.empty())
                    fs::create_directories(base / entry, ec);
            }
            continue;
        }
        if (bare.empty())
            continue;
        std::string data;
        if (!ReadCurrentEntry(zip, info, data))
            continue;
        std::error_code ec;
        if (!folderMade) {
            fs::create_directories(base, ec);
            folderMade = true;
        }
        fs::path target = base / bare;
        if (keepFolders) {
            target = base / entry;
            fs::create_directories(target.parent_path(), ec);
        }
        if (!ReplaceFileContent(target.string(), data, 0644))
            continue;
        SetModificationTime(target.string(), info.tmu_date);
        ++written;
    }
    unzClose(zip);
    return written;
}

}  // namespace kestrova
