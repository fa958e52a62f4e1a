// The update check, the staging of a downloaded update and the installation
// of a staged update by the helper program.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "net/update_signature.h"
#include "net/version_list.h"

namespace kestrova {

// Names in the working folder.
inline constexpr const char* StagingFolderName = "UpdateProg";
inline constexpr const char* InstallListName = "Paths.txt";
inline constexpr const char* HelperProgramName = "UpdateProg.exe";
inline constexpr const char* DownloadedArchiveName = "Temp.zip";
// The update is unpacked here and renamed to StagingFolderName when whole.
inline constexpr const char* PartialStagingFolderName = "UpdateProg.partial";
// In the staging folder: the version the staged update brings.
inline constexpr const char* StagedVersionName = "UpdateVersion.txt";
// Written by the helper in the working folder: "ok" or "failed" on its first
// line, the version it installed (or tried to) on its second.
inline constexpr const char* UpdateOutcomeName = "UpdateOutcome.txt";

// The most an update archive may expand to, counted while inflating.
inline constexpr std::uint64_t MaxUpdateUnpackedBytes = 200ull * 1024 * 1024;
// The largest archive and version list downloaded.
inline constexpr long long MaxUpdateArchiveBytes = 100LL * 1024 * 1024;
inline constexpr long long MaxVersionListBytes = 1024LL * 1024;

// What a fetch of the update check brought.
struct FetchedFile {
    bool Received = false;  // the whole answer came with a success status
    std::string Body;       // all of it, zero bytes included
    std::string FinalUrl;   // where the request ended, after redirections
    std::string Error;      // why nothing usable came
};

// Fetches an address for the update check with the fetch service: waits
// for its turn (UpdateFetchBusy / PageFetchBusy, every 100 ms), sends
// `referer` as the last final URL ("" for none), shows no error box, and
// deletes "temp.htm" afterwards. Certificates of HTTPS servers are verified.
FetchedFile FetchForUpdate(const std::string& url, const std::string& referer, long long maxBytes);

// SHA-256 of the data as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const std::string& data);

// Everything one update check needs; the program and the command-line tool
// fill it differently.
struct UpdateCheckSetup {
    // Holds UpdateProg and Temp.zip; "temp.htm" of the fetch service is in
    // the current folder.
    std::string WorkFolder = ".";
    std::string Server;       // scheme://host[:port] of the maker's server
    std::string SiteAddress;  // the maker's site, sent in the usage report
    std::string Version = CurrentVersion;
    bool DisableUpdates = false;
    // The key signed version lists are checked with (64 hexadecimal digits;
    // see net/update_signature.h).
    std::string PublicKey = BuiltInUpdateKey();
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    // A Yes/No question (title, text; translated); true for Yes.
    std::function<bool(const std::string&, const std::string&)> Ask;
    // A message box with one OK button (title, text; translated).
    std::function<void(const std::string&, const std::string&)> Tell;
    // Shows that an update is staged (the program's UpdateReadyDialog).
    std::function<void()> UpdateReady;
};

struct UpdateCheckResult {
    enum class Outcome {
        UpToDate,  // no record offers a newer version (or no list was received)
        Disabled,  // automatic updates are off: only the usage report was sent
        Declined,  // a newer version was offered and not taken
        Staged,    // a newer version was downloaded and staged
        Failed,    // the list could not be read, or a taken update failed or was refused
    };
    Outcome Result = Outcome::UpToDate;
    std::string Version;  // the newest version offered, if any
    std::string Reason;   // why it failed
};

// The whole check: usage report, version list, offers, download and staging.
// Failures before the user accepted an update are not shown (Reason tells
// them); those of an accepted update are told through setup.Tell.
UpdateCheckResult UpdateCheck(const UpdateCheckSetup& setup);

// The usage report's query text ("?&hl=...&r=...&ref=...").
std::string UsageReportQuery(int hour, int minute, int second, int screenWidth, int screenHeight,
                             const std::string& siteAddress, const std::string& version);

// Whether a fetched version list may be believed: it came over HTTPS (the
// certificate is always verified), or its detached signature verifies
// against the public key.
bool VersionListTrusted(const FetchedFile& list, const FetchedFile& signature, const std::string& publicKeyHex);

// Unpacks a downloaded archive into the staging folder and writes the
// install list, after checking the archive against the record's address.
// The record must come from a trusted list; then an address ending in
// "#sha256=" + 64 hexadecimal digits must match the archive, and without it
// the archive must have come over HTTPS (finalUrl). Only the entries the
// install list names (and "Paths.txt") are unpacked, at most 200 MB in all.
// The update is unpacked under a temporary folder and renamed to
// "UpdateProg" only when complete: nothing is staged for a refused or
// broken archive. Returns "" on success, else the reason (a translated
// message for the user).
std::string StageUpdate(const std::string& workFolder, const UpdateRecord& record, const FetchedFile& download,
                        bool listTrusted);

// The helper's outcome left by the last update, read and removed: the
// message to show the user ("" when there is none or the update went well).
std::string TakeUpdateOutcomeMessage(const std::string& workFolder, const std::string& currentVersion);

// The address to fetch for a record's download address (without the
// "#sha256=..." part) and the hash it names ("" when none; lower case).
void SplitDownloadAddress(const std::string& address, std::string& fetch, std::string& sha256);

// True when the working folder holds a staged update.
bool UpdateIsStaged(const std::string& workFolder);

// Writes the helper program into the working folder and starts it with the
// program's path, from the working folder. Returns true when it was started
// (the caller then ends the program); false when nothing is staged or the
// helper could not be written or started.
bool StartUpdateHelper(const std::string& workFolder, const std::string& programPath);

// At start and from the "restart now" button: when an update is staged and
// automatic updates are on, starts the helper and ends the program at once
// (no settings are written: the "restart now" button saves them first).
void ApplyPendingUpdate();

// Starts the update check on its own thread (the program's start-up), with
// the setup given; UpdateCheckRunning tells whether it still runs. The
// thread is joined by StopUpdateCheck, which first asks it to stop.
void StartUpdateCheck(UpdateCheckSetup setup);
bool UpdateCheckRunning();
void StopUpdateCheck();
// Set by StopUpdateCheck; transfers and waits of the check watch it.
const std::atomic<bool>& UpdateCheckStopRequested();

}  // namespace kestrova
