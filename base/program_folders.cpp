#include "base/program_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/settings.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

ProgramFolders& Folders()
{
    static ProgramFolders folders;
    return folders;
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are to be ignored), else its default below HOME.
std::string BaseFolder(const EnvironmentLookup& environment, const char* variable, const char* underHome)
{
    const std::string value = environment(variable);
    if (!value.empty() && value[0] == '/')
        return WithSlash(value);
    return WithSlash(environment("HOME")) + underHome + "/";
}

bool IsFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

std::string ProcessEnvironment(const char* name)
{
    if (const char* value = std::getenv(name))
        return value;
    if (std::string(name) == "HOME") {
        if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
            return user->pw_dir;
    }
    return {};
}

ProgramFolders PortableFolders(const std::string& folder)
{
    const std::string f = WithSlash(folder);
    return ProgramFolders{.Installed = false, .Data = f, .Settings = f, .State = f, .Cache = f};
}

ProgramFolders ChooseProgramFolders(const std::string& programFolder, const EnvironmentLookup& environment)
{
    const fs::path program(programFolder.empty() ? "." : programFolder);
    const fs::path shared = (program / ".." / "share" / "kestrova").lexically_normal();
    const bool writable = ::access(program.c_str(), W_OK | X_OK) == 0;
    const bool installTree = !IsFolder(program / "Datas") && IsFolder(shared / "Datas");
    if (writable && !installTree)
        return PortableFolders(programFolder);

    ProgramFolders folders;
    folders.Installed = true;
    folders.Data = WithSlash(shared.string());
    folders.Settings = BaseFolder(environment, "XDG_CONFIG_HOME", ".config") + "kestrova/";
    folders.State = BaseFolder(environment, "XDG_DATA_HOME", ".local/share") + "kestrova/";
    folders.Cache = BaseFolder(environment, "XDG_CACHE_HOME", ".cache") + "kestrova/";
    return folders;
}

bool CreateProgramFolders(const ProgramFolders& folders)
{
    for (const std::string* folder : {&folders.Settings, &folders.State, &folders.Cache}) {
        if (folder->empty())
            continue;
        std::error_code ec;
        if (IsFolder(*folder))
            continue;
        fs::create_directories(*folder, ec);
        if (ec || !IsFolder(*folder))
            return false;
        ::chmod(folder->c_str(), 0700);
    }
    return true;
}

void UseProgramFolders(const ProgramFolders& folders)
{
    Folders() = folders;
}

const ProgramFolders& CurrentProgramFolders()
{
    return Folders();
}

std::string SettingsFilePath()
{
    return Folders().Settings + SettingsFileName;
}

std::string TempPageFilePath()
{
    return Folders().Cache + "temp.htm";
}

std::string DataFilePath(const std::string& relative)
{
    return Folders().Data + relative;
}

std::string CopySampleSite(const std::string& sampleFolder, const std::string& intoFolder)
{
    std::error_code ec;
    const fs::path copy = fs::path(intoFolder) / SampleFolderName;
    if (!fs::exists(copy / SampleHomePage, ec)) {
        if (!fs::is_regular_file(fs::path(sampleFolder) / SampleHomePage, ec))
            return {};
        fs::create_directories(copy, ec);
        fs::copy(sampleFolder, copy, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
        if (ec)
            return {};
        // The installed files are read-only; the copy is the user's.
        for (auto it = fs::recursive_directory_iterator(copy, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    const fs::path home = copy / SampleHomePage;
    return fs::is_regular_file(home, ec) ? fs::absolute(home, ec).lexically_normal().string() : std::string();
}

}  // namespace kestrova
