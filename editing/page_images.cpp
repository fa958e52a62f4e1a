#include "editing/page_images.h"

#include <filesystem>

#include "base/codec.h"
#include "base/paths.h"
#include "base/text_rules.h"
#include "editing/image_tags.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"

namespace kestrova {

std::vector<PageImage> ListPageImages(ui::WindowId owner)
{
    std::vector<PageImage> images;
    std::vector<ImageInPage> found;
    if (!FindPageImages(Page.CurrentPagePath, WalkOptions{.Owner = owner, .ShowProgress = true}, found))
        return images;
    images.reserve(found.size());
    std::int64_t start = 0;
    for (ImageInPage& image : found) {
        images.push_back(PageImage{std::move(image.Src), std::move(image.Alt), start, image.Position});
        start = image.Position + 1;
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
