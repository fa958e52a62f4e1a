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
#include "base/text_rules.h"
#include "base/translate.h"
#include "editing/image_tags.h"
#include "editing/meta_catalogue.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"
#include "page/page_change.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;
using namespace rewrite;

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

// Positions of the image references of the current page beyond the cursor
// that name target (one walk): each the cursor value of its reference.
// Stops after the first one when firstOnly.
std::vector<std::pair<std::int64_t, std::string>> FindReferences(ui::WindowId owner, const ImageTarget& target,
                                                                 bool firstOnly)
{
    std::vector<std::pair<std::int64_t, std::string>> found;
    std::vector<ImageInPage> images;
    if (!FindPageImages(Page.CurrentPagePath, WalkOptions{.Owner = owner, .ShowProgress = true}, images))
        return found;
    for (ImageInPage& image : images) {
        if (image.Position <= Edit.LastMatchPosition || !(TargetOf(Page.CurrentPagePath, image.Src) == target))
            continue;
        found.emplace_back(image.Position, std::move(image.Src));
        if (firstOnly)
            break;
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

// One replacement inside a tag: the characters from First to Last (1-based,
// included) become Text.
struct TagEdit {
    Pos First = 0;
    Pos Last = 0;
    std::string Text;
};

// The new text of a whole attribute value (quotes included) that held a
// reference: written in double quotes.
TagEdit WholeValueEdit(const TagAttribute& a, const std::string& newReference)
{
    const std::string quoted = "\"" + QuoteSafe(newReference) + "\"";
    if (a.Quote == '"')
        return {a.ValueStart, a.ValueEnd, QuoteSafe(newReference)};
    if (a.Quote == '\'' && a.Closed)
        return {a.ValueStart - 1, a.ValueEnd + 1, quoted};
    if (a.Quote == '\'')  // never closed: the value runs to the end of the tag
        return {a.ValueStart - 1, a.ValueEnd, quoted};
    return {a.ValueStart, a.ValueEnd, quoted};
}

// Every reference of the current page that names target, rewritten, in one
// walk: image sources, background attributes and the addresses of srcset
// lists. Returns the number of references replaced (0 when the page could
// not be changed).
int ReplaceAllReferences(ui::WindowId owner, const ImageTarget& target, const std::string& newReference)
{
    const std::string pagePath = Page.CurrentPagePath;
    int count = 0;
    auto names = [&](const std::string& reference) {
        return !reference.empty() && TargetOf(pagePath, reference) == target;
    };
    const int walked =
        WalkPage(pagePath, WalkOptions{.Owner = owner, .ShowProgress = true, .WriteCopy = true},
                 [&](std::int64_t, const std::string&, const std::string&, const std::string&) {
                     std::string& tag = Page.CurrentTag;
                     if (tag.empty())
                         return;
                     const std::string element = ToLower(Left(tag, ElementNameLength(tag)));
                     std::vector<TagEdit> edits;
                     ForEachTagAttribute(tag, [&](const TagAttribute& a) {
                         if (!a.HasValue)
                             return true;
                         if (!ListedDesignator(tag, a, "img src/background").empty()) {
                             if (names(AttributeValue(tag, a)))
                                 edits.push_back(WholeValueEdit(a, newReference));
                         } else if (AttributeNamed(tag, a, "srcset") && (element == "img" || element == "source")) {
                             // A bare value cannot hold the spaces that separate the
                             // candidates' parts, nor a quote of the value's own kind.
                             std::string text = QuoteSafe(newReference);
                             if (a.Quote == '\'')
                                 text = ReplaceAll(text, "'", "&#39;");
                             if (a.Quote == 0 && text.find_first_of(" \t'\"<>`=") != std::string::npos)
                                 return true;
                             ForEachSrcsetAddress(tag, a.ValueStart, a.ValueEnd, [&](Pos first, Pos last) {
                                 if (names(DecodeEntities(Mid(tag, first, last - first + 1))))
                                     edits.push_back({first, last, text});
                             });
                         }
                         return true;
                     });
                     // From the end of the tag, so that the positions before stay.
                     for (auto e = edits.rbegin(); e != edits.rend(); ++e)
                         tag = Left(tag, e->First - 1) + e->Text + From(tag, e->Last + 1);
                     count += static_cast<int>(edits.size());
                 });
    return walked ? count : 0;
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
            // The pages may point at a file that is already there; both
            // files are then kept.
            if (fs::exists(fs::symlink_status(newFile, ec)))
                told.TargetKept = true;
            else if (!fs::is_directory(fs::path(newFile).parent_path(), ec)) {
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

    if (result != 0 && told.TargetKept) {
        // The references now name the existing file; the old one stays.
        Refuse(owner, RenameTargetExists, NewSrc);
        return result;
    }
    told.TargetKept = false;
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
