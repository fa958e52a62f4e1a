#include "net/archive.h"

#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>
#include <utime.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "base/file_io.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

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

enum class EntryRead { Written, Empty, Damaged, TooLarge, NotWritten };

// Inflates the current entry block by block into `target` (replaced in one
// step through a temporary file beside it), adding what it writes to
// `total`; stops past `limit` (0: none). The size the entry's header
// announces allocates nothing; an entry that does not inflate to exactly
// that size is damaged.
EntryRead StreamCurrentEntry(unzFile zip, const fs::path& target, std::uint64_t announced, std::uint64_t& total,
                             std::uint64_t limit)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return EntryRead::Damaged;
    const fs::path partial = target.string() + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr) {
        unzCloseCurrentFile(zip);
        return EntryRead::NotWritten;
    }
    std::vector<char> block(64 * 1024);
    std::uint64_t got = 0;
    EntryRead outcome = EntryRead::Written;
    for (;;) {
        const int n = unzReadCurrentFile(zip, block.data(), static_cast<unsigned>(block.size()));
        if (n < 0) {
            outcome = EntryRead::Damaged;
            break;
        }
        if (n == 0)
            break;
        got += static_cast<std::uint64_t>(n);
        total += static_cast<std::uint64_t>(n);
        if (limit != 0 && total > limit) {
            outcome = EntryRead::TooLarge;
            break;
        }
        if (std::fwrite(block.data(), 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
            outcome = EntryRead::NotWritten;
            break;
        }
    }
    // A damaged entry fails its check when it is closed.
    const bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
    const bool flushed = std::fflush(out) == 0 && ::fsync(fileno(out)) == 0;
    std::fclose(out);
    if (outcome == EntryRead::Written && (!intact || got != announced))
        outcome = EntryRead::Damaged;
    if (outcome == EntryRead::Written && got == 0)
        outcome = EntryRead::Empty;
    if (outcome == EntryRead::Written && !flushed)
        outcome = EntryRead::NotWritten;
    std::error_code ec;
    if (outcome != EntryRead::Written) {
        fs::remove(partial, ec);
        return outcome;
    }
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        return EntryRead::NotWritten;
    }
    return EntryRead::Written;
}

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
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

namespace {

ExtractOutcome Extract(const std::string& archive, const std::string& pattern, const std::string& folder,
                       bool keepFolders, const ExtractLimits& limits)
{
    ExtractOutcome outcome;
    unzFile zip = unzOpen64(archive.c_str());
    if (zip == nullptr) {
        outcome.Unreadable = true;
        return outcome;
    }
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) {
        unzClose(zip);
        outcome.Unreadable = true;
        return outcome;
    }

    // Every name is checked before anything is written: one entry that would
    // land outside the folder refuses the whole archive.
    std::string name;
    unz_file_info64 info{};
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        if (!CurrentEntry(zip, name, info) || !IsSafeEntryName(Normalised(name))) {
            unzClose(zip);
            outcome.Unreadable = true;
            return outcome;
        }
    }

    const fs::path base = fs::path(folder);
    bool folderMade = false;
    std::uint64_t total = 0;
    std::vector<fs::path> written;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK && !outcome.TooLarge; status = unzGoToNextFile(zip)) {
        if (!CurrentEntry(zip, name, info))
            continue;
        const std::string entry = Normalised(name);
        const std::string bare = entry.substr(entry.find_last_of('/') + 1);
        // A folder entry ends with "/"; a file's announced size of 0 may lie.
        const bool isFolder = bare.empty() || (keepFolders && info.uncompressed_size == 0);
        if (!(MatchesPattern(bare, pattern) || (keepFolders && isFolder)))
            continue;
        if (!limits.Names.empty()) {
            bool listed = false;
            for (const std::string& wanted : limits.Names)
                listed = listed || SameNameNoCase(wanted, bare) || SameNameNoCase(wanted, ConvertArchiveName(bare));
            if (!listed)
                continue;
        }
        if (isFolder) {
            // With the folders kept, the folder is made.
            if (keepFolders) {
                std::error_code ec;
                fs::create_directories(base / fs::path(entry).parent_path(), ec);
                if (!bare.empty())
                    fs::create_directories(base / entry, ec);
            }
            continue;
        }
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
        switch (StreamCurrentEntry(zip, target, info.uncompressed_size, total, limits.MaxTotalBytes)) {
            case EntryRead::Written:
                SetModificationTime(target.string(), info.tmu_date);
                written.push_back(target);
                ++outcome.Written;
                break;
            case EntryRead::TooLarge:
                outcome.TooLarge = true;
                break;
            case EntryRead::Damaged:
                outcome.Damaged = true;
                break;
            case EntryRead::Empty:
            case EntryRead::NotWritten:
                break;
        }
    }
    unzClose(zip);
    if (outcome.TooLarge) {
        // Past the limit nothing of this archive is kept.
        std::error_code ec;
        for (const fs::path& file : written)
            fs::remove(file, ec);
        outcome.Written = 0;
    }
    return outcome;
}

}  // namespace

int ExtractArchive(const std::string& archive, const std::string& pattern, const std::string& folder, bool keepFolders)
{
    const ExtractOutcome outcome = Extract(archive, pattern, folder, keepFolders, {});
    return outcome.Unreadable ? 0 : outcome.Written;
}

ExtractOutcome ExtractArchiveWithLimits(const std::string& archive, const std::string& folder,
                                        const ExtractLimits& limits)
{
    return Extract(archive, "*.*", folder, false, limits);
}

}  // namespace kestrova
