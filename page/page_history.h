// The history of a page: every change keeps the page as it was before it,
// so that any earlier version can be shown, compared and restored.
//
// The versions of a page live in "Sauvegarde/.kestrova-historique/NAME/"
// beside it, one file per version named by its number ("00000012.version"):
// a few header lines (the time of the change that replaced it, the action,
// a hash of the content before and after that change), an empty line, and
// the page's bytes. The extension is none of a page's, so the site scan,
// the site-wide update and the upload never take a version for a page.
//
// A version is written by the change itself (page/page_change.h): staged
// before the journal line, put in place before the page is replaced. A
// crash between the two leaves a newest version whose "before" content is
// still the page: such a version never happened, and is ignored and removed.
// The history keeps the last HistoryDepth() versions of each page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// The actions a version can be replaced by (Windows-1252, as stored).
namespace history_action {
inline constexpr char Title[] = "titre";
inline constexpr char Description[] = "description";
inline constexpr char Keywords[] = "mots cl\xE9s";
inline constexpr char MetaPrefix[] = "balise meta ";  // + the tag's name
inline constexpr char AltText[] = "texte alternatif";
inline constexpr char ImageRename[] = "renommage d'image";
inline constexpr char SiteUpdate[] = "mise \xE0 jour du site";
inline constexpr char Source[] = "source";
inline constexpr char Undo[] = "annulation";
inline constexpr char Text[] = "texte";
}  // namespace history_action

// The action of an EditMeta of the named tag.
std::string MetaAction(const std::string& metaName);

// Names, for its lifetime, the action the changes made meanwhile belong to.
// The innermost scope names the action, unless an outer scope was opened
// with overrides (a site-wide update, an undo): the outermost of those
// names it then. The labels of one change's steps are joined with ", ".
class ChangeActionScope {
public:
    explicit ChangeActionScope(std::string action, bool overrides = false);
    ~ChangeActionScope();
    ChangeActionScope(const ChangeActionScope&) = delete;
    ChangeActionScope& operator=(const ChangeActionScope&) = delete;
};
// The action of a change step made now ("" when no scope is open).
std::string CurrentChangeAction();

// How many versions each page keeps: the setting "HistoryDepth" of
// App (when set) or of "Kestrova.prefs" in the current folder, 50 by
// default; at least 1.
inline constexpr int DefaultHistoryDepth = 50;
int HistoryDepth();

// The folder that holds the versions of a page.
inline constexpr char HistoryFolderName[] = ".kestrova-historique";
std::string HistoryFolderOf(const std::string& pagePath);

// A 64-bit hash of content (FNV-1a), to tell whether a page is still the
// one a change wrote.
std::uint64_t ContentHash(std::string_view content);
// The same for the whole content of an open file; false on a read error.
bool FileContentHash(int fd, std::uint64_t& hash);

struct HistoryVersion {
    int Number = 0;              // 1 = the newest (the page before the last change)
    std::uint64_t Serial = 0;    // its file's number, growing with every change
    std::int64_t Time = 0;       // local seconds of the change that replaced it
    std::string Action;          // that change's action
    std::int64_t Size = 0;       // bytes of the version
    std::uint64_t Before = 0;    // hash of this version's content
    std::uint64_t After = 0;     // hash of the page that change wrote
    std::uint64_t Restored = 0;  // an undo: the serial of the version it restored
    std::string File;            // the version's file
};

// The versions of a page, newest first (Number 1, 2, ...). A version of a
// change that never landed (see above) is left out.
std::vector<HistoryVersion> PageHistory(const std::string& pagePath);
// The content of a version; false when it cannot be read.
bool ReadHistoryVersion(const HistoryVersion& version, std::string& content);

// Whether the page on disk is the one Kestrova's last change wrote: true
// when the page has no history.
bool PageIsAsLastChanged(const std::string& pagePath, const std::vector<HistoryVersion>& history);

// The version a plain undo restores: the newest, or, when the newest is
// itself an undo, the version before the one that undo restored. Null when
// there is none.
const HistoryVersion* UndoTarget(const std::vector<HistoryVersion>& history);

// One version being written by a change (page/page_change.cpp).
class StagedHistoryVersion {
public:
    StagedHistoryVersion() = default;
    ~StagedHistoryVersion();
    StagedHistoryVersion(const StagedHistoryVersion&) = delete;
    StagedHistoryVersion& operator=(const StagedHistoryVersion&) = delete;

    // Writes the version (the content of pageFd, from its start) under a
    // temporary name, flushed to disk. False when it cannot be written.
    bool Stage(const std::string& pagePath, int pageFd, const std::string& action, std::uint64_t before,
               std::uint64_t after, std::uint64_t restored, std::int64_t time);
    // Gives the version its name (rename through the given function).
    bool Place(const std::function<int(const char*, const char*)>& renameFn);
    // After Place, takes the version out again (the change failed).
    void Withdraw();
    // After the change: removes the versions past the depth.
    void Prune(int depth) const;

private:
    int fd_ = -1;
    std::string temp_;
    std::string final_;
    std::string folder_;
    bool placed_ = false;
};

}  // namespace kestrova
