#include "net/update.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

#include "base/app_state.h"
#include "base/file_io.h"
#include "base/program_folders.h"
#include "base/text_tables.h"
#include "base/translate.h"
#include "net/archive.h"
#include "net/http_fetch.h"
#include "net/update_helper_bytes.h"
#include "page/journal.h"

extern char** environ;

namespace kestrova {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return text;
}

bool IsHex64(const std::string& text)
{
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// The version as the usage report writes it: lower case, with ".", ","
// and spaces written "-".
std::string ReportVersion(const std::string& version)
{
    std::string out = Lower(version);
    for (char& c : out)
        if (c == '.' || c == ',' || c == ' ')
            c = '-';
    return out;
}

std::string Path(const std::string& folder, const char* name)
{
    return (fs::path(folder) / name).string();
}

// "Update" and its translation, the title of every box of the check.
std::string UpdateTitle()
{
    return TranslateEnglishKey("Update");
}

}  // namespace

FetchedFile FetchForUpdate(const std::string& url, const std::string& referer, long long maxBytes)
{
    FetchedFile fetched;
    // The online page fetch and the check take turns on the fetch service.
    while (!TryTakeFetchTurn(UpdateFetchBusy, PageFetchBusy)) {
        if (UpdateCheckStopRequested().load()) {
            fetched.Error = "stopped";
            return fetched;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    SetLastFinalUrl(referer);
    std::error_code ec;
    // Only an answer file this fetch wrote (a new file, put in place whole)
    // is read and removed; a file that was there before is left alone.
    const std::optional<FileIdentity> before = FileIdentityAt(TempPageFilePath());
    FetchOptions options;
    // Failures are reported by the check itself, and only for an update the
    // user accepted.
    options.ShowErrors = false;
    options.AbortFlag = &UpdateCheckStopRequested();
    options.MaxBytes = maxBytes;
    FetchWithRetry(url, options);
    // The service keeps the whole answer in "temp.htm" (its returned text
    // stops at the first zero byte, which an archive has).
    const std::optional<FileIdentity> after = FileIdentityAt(TempPageFilePath());
    const bool written = after && after != before;
    fetched.Received = written && ReadWholeFile(TempPageFilePath(), fetched.Body);
    if (fetched.Received)
        fetched.FinalUrl = LastFinalUrl();
    else
        fetched.Error = LastFetchError().empty() ? "no answer" : LastFetchError();
    if (written)
        fs::remove(TempPageFilePath(), ec);
    UpdateFetchBusy = false;
    return fetched;
}

std::string Sha256Hex(const std::string& data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr);
    static const char Hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += Hex[digest[i] >> 4];
        out += Hex[digest[i] & 15];
    }
    return out;
}

std::string UsageReportQuery(int hour, int minute, int second, int screenWidth, int screenHeight,
                             const std::string& siteAddress, const std::string& version)
{
    return "?&hl=" + std::to_string(hour) + "x" + std::to_string(minute) + "x" + std::to_string(second) + "x" +
           "&r=" + std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x256x256" +
           "&ref=" + siteAddress + "?hl=fr&q=Kestrova_" + ReportVersion(version);
}

void SplitDownloadAddress(const std::string& address, std::string& fetch, std::string& sha256)
{
    fetch = address;
    sha256.clear();
    const std::size_t mark = address.rfind("#sha256=");
    if (mark == std::string::npos)
        return;
    const std::string digits = Lower(address.substr(mark + 8));
    if (!IsHex64(digits))
        return;
    fetch = address.substr(0, mark);
    sha256 = digits;
}

bool VersionListTrusted(const FetchedFile& list, const FetchedFile& signature, const std::string& publicKeyHex)
{
    if (!list.Received)
        return false;
    // Certificates are always verified: a list that ended on HTTPS came from
    // the server it names.
    if (Lower(list.FinalUrl.substr(0, 8)) == "https://")
        return true;
    return signature.Received && VerifyUpdateSignature(publicKeyHex, list.Body, signature.Body);
}

std::string StageUpdate(const std::string& workFolder, const UpdateRecord& record, const FetchedFile& download,
                        bool listTrusted)
{
    // The install list names the files the helper will replace: an item
    // outside the program folder refuses the whole update.
    const std::vector<std::string> items = InstallItems(record.InstallList);
    for (const std::string& item : items)
        if (!IsSafeInstallItem(item))
            return "The update lists a file outside the program folder: " + item;
    // La liste des versions n'est pas signée : la mise à jour est refusée.
    if (!listTrusted)
        return TranslateFrenchKey("La liste des versions n'est pas sign\xE9"
                                  "e : la mise \xE0 jour est refus\xE9"
                                  "e.");
    if (!IsWebAddress(record.Address))
        return "The update's address is not an http or https address.";

    std::string fetch;
    std::string sha256;
    SplitDownloadAddress(record.Address, fetch, sha256);
    const bool hashed = !sha256.empty();
    if (!download.Received || download.Body.size() <= 1 ||
        (!hashed && download.Body.find("Not Found") != std::string::npos))
        return TranslateEnglishKey("The new version can't be downloaded. Try again later.");
    if (hashed) {
        if (Sha256Hex(download.Body) != sha256)
            return "The downloaded archive does not match its checksum.";
    } else if (Lower(download.FinalUrl.substr(0, 8)) != "https://") {
        return "The update was not downloaded over HTTPS and its address names no checksum.";
    }

    const fs::path staging = fs::path(workFolder) / StagingFolderName;
    const fs::path partial = fs::path(workFolder) / PartialStagingFolderName;
    const std::string archive = Path(workFolder, DownloadedArchiveName);
    std::error_code ec;
    fs::remove(archive, ec);
    if (!ReplaceFileContent(archive, download.Body, 0600))
        return TranslateEnglishKey("The new version can't be downloaded. Try again later.");
    // The update is put together apart; "UpdateProg" appears only whole.
    fs::remove_all(partial, ec);
    fs::create_directories(partial, ec);

    ExtractLimits limits;
    limits.MaxTotalBytes = MaxUpdateUnpackedBytes;
    limits.Names.push_back(InstallListName);
    for (const std::string& item : items) {
        if (item.rfind("execute:", 0) == 0)
            continue;
        std::string bare = item;
        const std::size_t cut = bare.find_last_of("/\\");
        if (cut != std::string::npos)
            bare.erase(0, cut + 1);
        limits.Names.push_back(bare);
    }
    const ExtractOutcome unpacked = ExtractArchiveWithLimits(archive, partial.string(), limits);
    fs::remove(archive, ec);
    const auto fail = [&](const std::string& reason) {
        std::error_code ignored;
        fs::remove_all(partial, ignored);
        return reason;
    };
    if (unpacked.TooLarge)
        // L'archive dépasse 200 Mo une fois décompressée : la mise à jour est refusée.
        return fail(TranslateFrenchKey("L'archive d\xE9passe 200 Mo une fois d\xE9"
                                       "compress\xE9"
                                       "e : la mise \xE0 jour est refus\xE9"
                                       "e."));
    if (unpacked.Written <= 0 || unpacked.Damaged || unpacked.Unreadable)
        return fail(TranslateEnglishKey("Downloaded archive is corrupted. Try again."));
    // Names stored in code page 437 take their Windows-1252 form.
    for (fs::directory_iterator it(partial, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string converted = ConvertArchiveName(name);
        if (converted != name) {
            std::error_code renameError;
            fs::rename(it->path(), partial / converted, renameError);
        }
    }
    if (!ReplaceFileContent((partial / InstallListName).string(), record.InstallList + "\r\n", 0644) ||
        !ReplaceFileContent((partial / StagedVersionName).string(), record.Version + "\r\n", 0644))
        return fail(TranslateEnglishKey("Downloaded archive is corrupted. Try again."));
    // A later accepted record replaces an earlier staged one.
    fs::remove_all(staging, ec);
    fs::rename(partial, staging, ec);
    if (ec)
        return fail(TranslateEnglishKey("Downloaded archive is corrupted. Try again."));
    return "";
}

std::string TakeUpdateOutcomeMessage(const std::string& workFolder, const std::string& currentVersion)
{
    const std::string path = Path(workFolder, UpdateOutcomeName);
    std::string text;
    if (!ReadWholeFile(path, text))
        return "";
    std::error_code ec;
    fs::remove(path, ec);
    const std::size_t lineEnd = text.find_first_of("\r\n");
    const std::string state = text.substr(0, lineEnd);
    std::string version;
    if (lineEnd != std::string::npos) {
        const std::size_t start = text.find_first_not_of("\r\n", lineEnd);
        if (start != std::string::npos)
            version = text.substr(start, text.find_first_of("\r\n", start) - start);
    }
    if (state != "failed")
        return "";
    // La mise à jour vers 1.40 a échoué ; la version 1.37b est conservée.
    return TranslateFrenchKey("La mise \xE0 jour vers ") + version +
           TranslateFrenchKey(" a \xE9"
                              "chou\xE9 ; la version ") +
           currentVersion +
           TranslateFrenchKey(" est conserv\xE9"
                              "e.");
}

UpdateCheckResult UpdateCheck(const UpdateCheckSetup& setup)
{
    UpdateCheckResult result;
    const auto get = [](const std::string& url, const std::string& referer, long long maxBytes) {
        return FetchForUpdate(url, referer, maxBytes);
    };

    // The usage report: its answer is not used.
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    get(setup.Server + "/downloads/log.php" +
            UsageReportQuery(local.tm_hour, local.tm_min, local.tm_sec, setup.ScreenWidth, setup.ScreenHeight,
                             setup.SiteAddress, setup.Version),
        setup.SiteAddress + "/kestrova.htm", MaxVersionListBytes);
    if (setup.DisableUpdates) {
        result.Result = UpdateCheckResult::Outcome::Disabled;
        return result;
    }

    const std::string listUrl = setup.Server + "/downloads/versions.txt";
    const FetchedFile list = get(listUrl, "", MaxVersionListBytes);
    if (!list.Received) {
        // Not shown: a machine without network would see it at each start.
        result.Result = UpdateCheckResult::Outcome::Failed;
        result.Reason = "the version list could not be fetched: " + list.Error;
        return result;
    }
    if (!LooksLikeVersionList(list.Body)) {
        result.Result = UpdateCheckResult::Outcome::Failed;
        // La liste des versions reçue n'est pas valide.
        result.Reason = TranslateFrenchKey("La liste des versions re\xE7ue n'est pas valide.");
        return result;
    }
    // A list that came over plain HTTP counts only with its signature.
    FetchedFile signature;
    if (Lower(list.FinalUrl.substr(0, 8)) != "https://")
        signature = get(listUrl + VersionListSignatureSuffix, "", 4096);
    if (!VersionListTrusted(list, signature, setup.PublicKey)) {
        result.Result = UpdateCheckResult::Outcome::Failed;
        result.Reason = TranslateFrenchKey("La liste des versions n'est pas sign\xE9"
                                           "e : la mise \xE0 jour est refus\xE9"
                                           "e.");
        return result;
    }

    bool staged = false;
    for (const UpdateRecord& record : ParseVersionList(list.Body, setup.Version)) {
        if (!RecordApplies(record, setup.Version))
            continue;
        if (result.Version.empty() || VersionValue(record.Version) > VersionValue(result.Version))
            result.Version = record.Version;
        // The sentence brings its own leading space.
        const std::string question = "Kestrova " + record.Version + TranslateEnglishKey(UpdateAvailableText) +
                                     setup.Version + ".\r" + TranslateEnglishKey("Do you want to update it?");
        if (!setup.Ask || !setup.Ask(UpdateTitle(), question)) {
            if (!staged && result.Result != UpdateCheckResult::Outcome::Failed)
                result.Result = UpdateCheckResult::Outcome::Declined;
            continue;
        }
        if (setup.Tell)
            setup.Tell(UpdateTitle(),
                       TranslateEnglishKey("Download will start. You will be notified when it will be finished."));

        std::string fetch;
        std::string sha256;
        SplitDownloadAddress(record.Address, fetch, sha256);
        std::string reason;
        // An install list that would write outside the program folder is
        // refused before the download.
        for (const std::string& item : InstallItems(record.InstallList))
            if (!IsSafeInstallItem(item))
                reason = "The update lists a file outside the program folder: " + item;
        if (reason.empty())
            reason = StageUpdate(setup.WorkFolder, record, get(fetch, "", MaxUpdateArchiveBytes), true);
        if (reason.empty()) {
            staged = true;
            result.Result = UpdateCheckResult::Outcome::Staged;
            result.Reason.clear();
        } else {
            if (setup.Tell)
                setup.Tell(UpdateTitle(), reason);
            if (!staged) {
                result.Result = UpdateCheckResult::Outcome::Failed;
                result.Reason = reason;
            }
        }
    }
    if (staged && setup.UpdateReady)
        setup.UpdateReady();
    return result;
}

bool UpdateIsStaged(const std::string& workFolder)
{
    std::error_code ec;
    return fs::is_directory(fs::path(workFolder) / StagingFolderName, ec);
}

bool StartUpdateHelper(const std::string& workFolder, const std::string& programPath)
{
    if (!UpdateIsStaged(workFolder))
        return false;
    const std::string helper = (fs::absolute(fs::path(workFolder)) / HelperProgramName).string();
    std::error_code ec;
    fs::remove(helper, ec);
    if (!ReplaceFileContent(helper,
                            std::string_view(reinterpret_cast<const char*>(UpdateHelperBytes), UpdateHelperSize), 0755))
        return false;
    struct stat info {};
    if (::stat(helper.c_str(), &info) != 0 || info.st_size <= 0)
        return false;

    // The helper runs from the working folder; the program's path is its
    // only argument, passed as it is (no shell is involved, so spaces need
    // no escaping).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string folder = fs::absolute(fs::path(workFolder)).string();
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own session, so that it outlives the program and its terminal.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::string name = HelperProgramName;
    std::string argument = programPath;
    char* argv[] = {name.data(), argument.data(), nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, helper.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0;
}

namespace {

std::string OwnProgramPath()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

}  // namespace

void ApplyPendingUpdate()
{
    if (App.DisableUpdates)
        return;
    if (StartUpdateHelper(".", OwnProgramPath()))
        std::_Exit(0);
}

namespace {

std::mutex CheckMutex;
std::thread CheckThread;
std::atomic<bool> CheckRunning{false};
std::atomic<bool> StopRequested{false};

}  // namespace

const std::atomic<bool>& UpdateCheckStopRequested()
{
    return StopRequested;
}

void StartUpdateCheck(UpdateCheckSetup setup)
{
    std::lock_guard lock(CheckMutex);
    if (CheckThread.joinable())
        return;
    StopRequested = false;
    CheckRunning = true;
    CheckThread = std::thread([setup = std::move(setup)] {
        Upload.BackgroundThread.store(static_cast<std::uint64_t>(::gettid()));
        UpdateCheck(setup);
        // On every way out the upload may use the background slot again.
        Upload.BackgroundThread.store(0);
        CheckRunning = false;
    });
}

bool UpdateCheckRunning()
{
    return CheckRunning.load();
}

void StopUpdateCheck()
{
    std::lock_guard lock(CheckMutex);
    StopRequested = true;
    if (CheckThread.joinable())
        CheckThread.join();
}

}  // namespace kestrova
