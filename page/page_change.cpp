#include "page/page_change.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "base/file_io.h"
#include "base/paths.h"
#include "base/translate.h"
#include "page/journal.h"

namespace kestrova {

namespace {

ChangeOutcome gOutcome = ChangeOutcome::None;
std::chrono::milliseconds gLockWait = PageLockWait;
bool gFailReplace = false;
PageChange* gGrouped = nullptr;

// The reasons a change gives up, each ending with the news that the page
// was not changed.
constexpr char BusyText[] = "La page est en cours de modification par un autre programme, elle n'a pas \xE9t\xE9 "
                            "modifi\xE9"
                            "e !!!";
constexpr char MovedText[] = "La page a chang\xE9 sur le disque pendant la modification, elle n'a pas \xE9t\xE9 "
                             "modifi\xE9"
                             "e !!!";
constexpr char JournalText[] = "Le journal Kestrova_log.txt ne peut \xEAtre \xE9"
                               "crit, la page n'a pas \xE9t\xE9 modifi\xE9"
                               "e !!!";
constexpr char CopyText[] = "La copie de la page n'a pu \xEAtre \xE9"
                            "crite, la page n'a pas \xE9t\xE9 "
                            "modifi\xE9"
                            "e !!!";
constexpr char BackupText[] = "La sauvegarde de la page n'a pu \xEAtre \xE9"
                              "crite dans le dossier "
                              "Sauvegarde, la page n'a pas \xE9t\xE9 modifi\xE9"
                              "e !!!";
constexpr char UnsafeNameText[] =
    "Le nom de cette page contient un retour \xE0 la ligne, une tabulation ou un \"|\" que le "
    "journal ne peut enregistrer, la page n'a pas \xE9t\xE9 modifi\xE9"
    "e !!!";
constexpr char OwnFileText[] = "Ce fichier appartient \xE0 Kestrova (page en ligne, dossier du programme), il n'a pas "
                               "\xE9t\xE9 modifi\xE9 !!!";
constexpr char LockedText[] = "La page est v\xE9rouill\xE9"
                              "e et n'a pu \xEAtre modifi\xE9"
                              "e !!!";

void CloseAndRemove(int& fd, std::string& path)
{
    if (fd < 0)
        return;
    ::unlink(path.c_str());
    ::close(fd);
    fd = -1;
    path.clear();
}

}  // namespace

ChangeOutcome LastChangeOutcome()
{
    return gOutcome;
}

void ResetChangeOutcome()
{
    gOutcome = ChangeOutcome::None;
}

void SetPageLockWaitForTesting(std::chrono::milliseconds wait)
{
    gLockWait = wait.count() < 0 ? PageLockWait : wait;
}

void SetPageReplaceFailureForTesting(bool fail)
{
    gFailReplace = fail;
}

PageChange::PageChange(std::string pagePath, ui::WindowId owner, bool reportErrors)
    : path_(std::move(pagePath)), target_(path_), owner_(owner), reportErrors_(reportErrors)
{
}

PageChange::~PageChange()
{
    CloseAndRemove(copyFd_, copyPath_);
    // A change that ends without Commit or Abandon was given up.
    if (!settled_)
        Settle(ChangeOutcome::Failed);
    CloseAndRemove(stagedFd_, stagedPath_);
    if (pageFd_ >= 0)
        ::close(pageFd_);  // lets the lock go
}

void PageChange::Report(const std::string& frenchText) const
{
    if (reportErrors_)
        ui::Ui().ShowMessage(owner_, TranslateFrenchKey("Erreur sur ") + DisplayFileName(path_),
                             TranslateFrenchKey(frenchText));
}

void PageChange::Settle(ChangeOutcome outcome)
{
    settled_ = true;
    gOutcome = outcome;
}

bool PageChange::Begin()
{
    if (begun_ != 0)
        return begun_ > 0;
    begun_ = -1;

    // A page the journal cannot name, or a file of the program's own, is
    // refused before anything changes.
    if (!IsJournalSafePath(path_) || IsProgramOwnFile(path_)) {
        Report(IsJournalSafePath(path_) ? OwnFileText : UnsafeNameText);
        Settle(ChangeOutcome::Failed);
        return false;
    }

    // The file to replace is the page, or the file it links to.
    struct stat linkStat {};
    if (::lstat(path_.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
        if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
            target_ = resolved;
            std::free(resolved);
        }
    }

    const auto deadline = std::chrono::steady_clock::now() + gLockWait;
    for (int attempt = 0;; ++attempt) {
        int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat opened {};
        if (fd >= 0 && (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))) {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0) {
            Settle(ChangeOutcome::Failed);
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!LockWithin(fd, std::max(left, std::chrono::milliseconds(0))) && errno == EWOULDBLOCK) {
            ::close(fd);
            Report(BusyText);
            Settle(ChangeOutcome::Failed);
            return false;
        }
        // (A file system without advisory locks leaves the page unlocked;
        // the check before the replacement still catches a page changed
        // meanwhile.)
        //
        // The previous holder may have replaced the page while this change
        // waited: the lock must be on the file the name leads to now.
        struct stat named {};
        if (::stat(path_.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            pageFd_ = fd;
            break;
        }
        ::close(fd);
        if (attempt >= 100) {
            Report(BusyText);
            Settle(ChangeOutcome::Failed);
            return false;
        }
    }
    ::fstat(pageFd_, &pageStat_);

    // Temporary files that a crashed change left beside the page and in its
    // backup folder: older than this lock and held by no one.
    const struct timespec lockTime = CoarseRealTime();
    RemoveStrayTempFiles(FolderOf(target_), lockTime);
    RemoveStrayTempFiles(BackupFolderOf(path_), lockTime);

    begun_ = 1;
    return true;
}

int PageChange::SourceFd() const
{
    return stagedFd_ >= 0 ? stagedFd_ : pageFd_;
}

int PageChange::NewCopy()
{
    CloseAndRemove(copyFd_, copyPath_);
    copyFd_ = CreateOwnTempFile(FolderOf(target_), copyPath_);
    if (copyFd_ < 0)
        Report(CopyText);
    return copyFd_;
}

void PageChange::StageCopy()
{
    if (copyFd_ < 0)
        return;
    CloseAndRemove(stagedFd_, stagedPath_);
    stagedFd_ = copyFd_;
    stagedPath_ = std::move(copyPath_);
    copyFd_ = -1;
    copyPath_.clear();
}

void PageChange::DiscardCopy()
{
    CloseAndRemove(copyFd_, copyPath_);
}

void PageChange::Abandon(ChangeOutcome outcome)
{
    CloseAndRemove(copyFd_, copyPath_);
    CloseAndRemove(stagedFd_, stagedPath_);
    Settle(outcome);
}

bool PageChange::SamePageAsRead() const
{
    struct stat now {};
    return ::stat(path_.c_str(), &now) == 0 && now.st_dev == pageStat_.st_dev && now.st_ino == pageStat_.st_ino &&
           now.st_size == pageStat_.st_size && now.st_mtim.tv_sec == pageStat_.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == pageStat_.st_mtim.tv_nsec;
}

bool PageChange::Commit()
{
    if (begun_ <= 0 || !Staged()) {
        CloseAndRemove(copyFd_, copyPath_);
        Settle(begun_ < 0 ? ChangeOutcome::Failed : ChangeOutcome::Unchanged);
        return begun_ >= 0;
    }
    auto fail = [this](const char* text) {
        Report(text);
        Abandon(ChangeOutcome::Failed);
        return false;
    };

    if (!SamePageAsRead())
        return fail(MovedText);
    const std::string folder = FolderOf(target_);
    if (::access(target_.c_str(), W_OK) != 0 || ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
        return fail(LockedText);

    // The copy takes the page's permission bits (and owner, where allowed),
    // and must be on the disk before it can take the page's place.
    ::fchmod(stagedFd_, pageStat_.st_mode & 07777);
    if (pageStat_.st_uid != ::geteuid() || pageStat_.st_gid != ::getegid()) {
        [[maybe_unused]] int ignored = ::fchown(stagedFd_, pageStat_.st_uid, pageStat_.st_gid);
    }
    if (::fsync(stagedFd_) != 0)
        return fail(CopyText);

    // The journal is written aside first: a journal that cannot take the
    // line stops the change before anything changed.
    JournalUpdate journal;
    if (!journal.Prepare(path_))
        return fail(JournalText);
    // The backup holds the page as this change read it.
    if (!WriteBackupFrom(path_, pageFd_))
        return fail(BackupText);
    // The line before the page: a crash between the two at worst sends an
    // unchanged page again, never leaves a changed page unsent.
    if (!journal.Commit())
        return fail(JournalText);

    if (!SamePageAsRead()) {
        journal.Revert();
        return fail(MovedText);
    }
    bool replaced = false;
    if (gFailReplace)
        errno = EACCES;
    else
        replaced = ::rename(stagedPath_.c_str(), target_.c_str()) == 0;
    if (!replaced) {
        journal.Revert();
        return fail(LockedText);
    }
    ::close(stagedFd_);
    stagedFd_ = -1;
    stagedPath_.clear();
    SyncFolder(folder);
    Settle(ChangeOutcome::Committed);
    return true;
}

PageChangeGroup::PageChangeGroup(const std::string& pagePath, ui::WindowId owner)
    : change_(pagePath, owner, true), previous_(gGrouped)
{
    gGrouped = &change_;
}

PageChangeGroup::~PageChangeGroup()
{
    gGrouped = previous_;
}

PageChange* GroupedPageChange(const std::string& pagePath)
{
    return gGrouped != nullptr && gGrouped->Path() == pagePath ? gGrouped : nullptr;
}

}  // namespace kestrova
