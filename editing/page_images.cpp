#include "editing/page_images.h"

#include <filesystem>

#include "base/codec.h"
#include "base/paths.h"
#include "base/text_rules.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"

namespace kestrova {

namespace {

// The value after the designator of an EditAttribute result.
std::string ValueOf(const std::string& result)
{
    const std::size_t bar = result.find('|');
    return bar == std::string::npos ? std::string() : result.substr(bar + 1);
}

}  // namespace

std::vector<PageImage> ListPageImages(ui::WindowId owner)
{
    std::vector<PageImage> images;
    Edit.LastMatchPosition = 0;
    while (static_cast<int>(images.size()) < MaxPageImages) {
        const std::int64_t before = Edit.LastMatchPosition;
        const std::string reference = ValueOf(EditAttribute(owner, OpListe, ImageDesignators, ""));
        if (reference.empty())
            break;
        images.push_back(PageImage{reference, "", before, Edit.LastMatchPosition});
        Edit.LastMatchPosition += 1;
    }

    Edit.LastMatchPosition = 0;
    for (;;) {
        const std::string alt = ValueOf(EditAttribute(owner, OpListe, AltDesignator, ""));
        if (alt.empty())
            break;
        const std::int64_t at = Edit.LastMatchPosition;
        for (std::size_t r = 0; r < images.size(); ++r) {
            const bool last = r + 1 == images.size();
            if (at > images[r].ImageEnd && (last || at < images[r + 1].ImageEnd)) {
                if (images[r].Alt.empty())
                    images[r].Alt = alt;
                break;
            }
        }
        Edit.LastMatchPosition += 1;
    }
    return images;
}

bool SavePageImageAlt(ui::WindowId owner, std::vector<PageImage>& images, std::size_t r, const std::string& alt)
{
    if (r >= images.size())
        return false;
    Edit.LastMatchPosition = images[r].ImageStart;
    const std::string found =
        EditAttribute(owner, OpAddAlt, ImageDesignators + EncodeListWord(images[r].Reference), alt);
    if (found.empty())
        return false;
    images[r].Alt = alt;
    return true;
}

bool IsFullAddress(const std::string& reference)
{
    const std::string low = ToLower(reference);
    return low.find("http:") != std::string::npos || low.find("www.") != std::string::npos;
}

std::string LocalImageFile(const std::string& pagePath, const std::string& reference)
{
    if (reference.empty() || IsFullAddress(reference))
        return {};
    std::string relative = Cp1252ToUtf8(reference);
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    // The page's folder followed by the reference: a leading slash does not
    // make it a path of the whole file system.
    relative.erase(0, relative.find_first_not_of('/'));
    if (relative.empty())
        return {};
    const std::string folder = FolderOf(pagePath);
    std::error_code ec;
    std::filesystem::path base = folder.empty() ? std::filesystem::current_path(ec)
                                                : std::filesystem::absolute(std::filesystem::path(folder), ec);
    if (ec)
        base = std::filesystem::path(folder);
    return (base / std::filesystem::path(relative)).lexically_normal().string();
}

}  // namespace kestrova
