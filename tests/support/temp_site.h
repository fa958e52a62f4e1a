// Temporary folders for tests: created empty, removed with their content.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestrova::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Path of a file in the folder, as the engine takes it.
    std::string File(const std::string& relative) const;
    // Writes a file (creating its folders) and returns its path.
    std::string Write(const std::string& relative, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// Whole content of a file ("" when it cannot be read).
std::string ReadAll(const std::string& path);

// Names of the entries of a folder, sorted (none when it cannot be listed):
// to check that no temporary file was left behind.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

// Makes the folder current for the life of the object (the journal is
// written in the current folder).
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir);
    ~ScopedCurrentDir();

private:
    std::filesystem::path previous_;
};

}  // namespace kestrova::test
