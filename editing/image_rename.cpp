#include "editing/image_rename.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/codec.h"
#include "base/paths.h"
#include "base/translate.h"
#include "editing/meta_catalogue.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "page/page_change.h"
#include "page/page_state.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

std::string ValueOf(const std::string& result)
{
    const std::size_t bar = result.find('|');
    return bar == std::string::npos ? std::string() : result.substr(bar + 1);
}

// What a reference names: a full address as written, or a local file.
struct ImageTarget {
    bool Full = false;
    std::string Key;

    bool operator==(const ImageTarget&) const = default;
};

ImageTarget TargetOf(const std::string& pagePath, const std::string& reference)
{
    if (IsFullAddress(reference))
        return {true, reference};
    return {false, LocalImageFile(pagePath, reference)};
}

// The reference to write in the page at pagePath for the new target.
std::string ReferenceFrom(const std::string& pagePath, const std::string& NewSrc, const ImageTarget& target)
{
    if (target.Full)
        return NewSrc;
    const fs::path folder = fs::path(LocalImageFile(pagePath, "x")).parent_path();
    return Utf8ToCp1252Lossy(fs::path(target.Key).lexically_relative(folder).generic_string());
}

// Positions of the image references of the current page, from the cursor
// on, that name target: each the cursor value of its reference.
// Stops after the first one when firstOnly.
std::vector<std::pair<std::int64_t, std::string>> FindReferences(ui::WindowId owner, const ImageTarget& target,
                                                                 bool firstOnly)
{
    std::vector<std::pair<std::int64_t, std::string>> found;
    for (int n = 0; n < MaxPageImages; ++n) {
        const std::string reference = ValueOf(EditAttribute(owner, OpListe, ImageDesignators, ""));
        if (reference.empty())
            break;
        if (TargetOf(Page.CurrentPagePath, reference) == target) {
            found.emplace_back(Edit.LastMatchPosition, reference);
            if (firstOnly)
                break;
        }
    }
    return found;
}

// Replaces the reference found at the cursor value at (as FindReferences
// gives it) by newReference. True when the page now holds it.
bool ReplaceReferenceAt(ui::WindowId owner, std::int64_t at, const std::string& reference,
                        const std::string& newReference)
{
    Edit.LastMatchPosition = at - 1;
    const bool done =
        !EditAttribute(owner, OpToutRemplacer, ImageDesignators + EncodeListWord(reference), newReference).empty();
    Edit.LastMatchPosition = at;
    return done;
}

// Every reference of the current page that names target, rewritten. The
// replacement only changes the inside of a value, so the positions of the
// values before it, and of the value itself, stay as they were.
int ReplaceAllReferences(ui::WindowId owner, const ImageTarget& target, const std::string& newReference)
{
    int count = 0;
    Edit.LastMatchPosition = 0;
    // One change of the page for all its references.
    PageChangeGroup change(Page.CurrentPagePath, owner);
    for (int n = 0; n < MaxPageImages; ++n) {
        auto next = FindReferences(owner, target, true);
        if (next.empty())
            break;
        if (ReplaceReferenceAt(owner, next[0].first, next[0].second, newReference))
            ++count;
    }
    return change.Commit() ? count : 0;
}

bool IsAbsoluteName(const std::string& name)
{
    return (!name.empty() && (name[0] == '/' || name[0] == '\\')) || (name.size() > 1 && name[1] == ':');
}

// True when path lies inside folder (both normalised).
bool IsInside(const std::string& path, fs::path folder)
{
    std::string root = folder.lexically_normal().string();
    if (root.empty() || root.back() != '/')
        root += '/';
    return path.size() > root.size() && path.compare(0, root.size(), root) == 0;
}

bool SamePage(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// Renames without ever replacing an existing file. 0 or an errno value.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without the flag: check, then rename.
    std::error_code ec;
    if (fs::exists(to, ec))
        return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void Refuse(ui::WindowId owner, const char* key, const std::string& detail)
{
    ui::Ui().ShowMessage(owner, TranslateFrenchKey("Attention !"), TranslateFrenchKey(key) + "\n" + detail);
}

}  // namespace

int RenameImage(ui::WindowId owner, const std::string& NewSrc, const std::string& OldSrc,
                const SitePageChooser& chooseSite, const std::string& siteFolder, RenameReport* report)
{
    RenameReport ignored;
    RenameReport& told = report ? *report : ignored;
    told = RenameReport{};
    const std::string current = Page.CurrentPagePath;
    if (NewSrc.empty() || OldSrc.empty() || current.empty())
        return 0;

    const ImageTarget oldTarget = TargetOf(current, OldSrc);
    const ImageTarget newTarget = TargetOf(current, NewSrc);
    const std::string oldFile = oldTarget.Full ? std::string() : oldTarget.Key;
    const std::string newFile = newTarget.Full ? std::string() : newTarget.Key;
    std::error_code ec;
    std::uintmax_t oldSize = oldFile.empty() ? 0 : fs::file_size(oldFile, ec);
    if (ec)
        oldSize = 0;

    // Checks that come before any change.
    if (!newTarget.Full) {
        const fs::path site = siteFolder.empty() ? fs::path(LocalImageFile(current, "x")).parent_path()
                                                 : fs::absolute(fs::path(siteFolder), ec);
        const bool besideOld = !oldFile.empty() && IsInside(newFile, fs::path(oldFile).parent_path());
        if (IsAbsoluteName(NewSrc) || newFile.empty() || (!IsInside(newFile, site) && !besideOld)) {
            Refuse(owner, RenameOutsideSite, NewSrc);
            told.Refused = true;
            return 0;
        }
        if (oldSize > 0 && newFile != oldFile) {
            if (fs::exists(fs::symlink_status(newFile, ec))) {
                Refuse(owner, RenameTargetExists, NewSrc);
                told.Refused = true;
                return 0;
            }
            if (!fs::is_directory(fs::path(newFile).parent_path(), ec)) {
                Refuse(owner, RenameNoFolder, NewSrc);
                told.Refused = true;
                return 0;
            }
        }
    }

    int result = 0;
    std::string chosen;
    // The current page changes once for the whole action, its first
    // reference and the others of a site-wide rename together.
    std::optional<PageChangeGroup> currentChange;
    currentChange.emplace(current, owner);
    const auto first = FindReferences(owner, oldTarget, true);
    if (!first.empty()) {
        const std::string message =
            OldSrc + "\n" + TranslateFrenchKey("va \xEAtre renomm\xE9 en") + "\n" + NewSrc + "\n";
        if (chooseSite)
            chosen = chooseSite(message, oldSize > 0 ? oldFile : std::string());
        Page.CurrentPagePath = current;
        if (ReplaceReferenceAt(owner, first[0].first, first[0].second, NewSrc))
            result = 1;
    }

    if (result != 0 && !chosen.empty()) {
        const std::vector<std::string> pages = SplitPageList(chosen);
        ui::Ui().OpenProgress(owner, TranslateFrenchKey("Mise \xE0 jour des pages..."));
        const std::size_t total = chosen.size();
        std::size_t done = 0;
        for (const std::string& path : pages) {
            Page.CurrentPagePath = SamePage(path, current) ? current : path;
            ui::Ui().SetProgress(Utf8ToCp1252Lossy(path), total == 0 ? 100 : static_cast<int>(done * 100 / total));
            const int count = ReplaceAllReferences(owner, oldTarget, ReferenceFrom(path, NewSrc, newTarget));
            if (count > 0 && SamePage(path, current))
                result = 2;
            done += path.size() + 1;
        }
        Page.CurrentPagePath = current;
        ui::Ui().CloseProgress();
    }
    Page.CurrentPagePath = current;
    if (!currentChange->Commit())
        result = 0;
    currentChange.reset();

    if (result != 0 && !chosen.empty() && oldSize > 0 && !newFile.empty() && newFile != oldFile &&
        ActiveDryRun() == nullptr) {
        if (const int error = RenameNoReplace(oldFile, newFile); error != 0) {
            Refuse(owner, RenameFailed, OldSrc + " -> " + NewSrc + "\n" + Utf8ToCp1252Lossy(std::strerror(error)));
            told.RenameFailed = true;
        } else {
            told.FileRenamed = true;
        }
        return result;
    }
    std::uintmax_t newSize = newFile.empty() ? 0 : fs::file_size(newFile, ec);
    if (ec)
        newSize = 0;
    if (newSize < 1)
        ui::Ui().ShowMessage(owner, TranslateFrenchKey("Attention !"), TranslateFrenchKey(RenameReminder));
    return result;
}

}  // namespace kestrova
