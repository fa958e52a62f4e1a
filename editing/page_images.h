// The images a page refers to (image sources of img tags and background
// attributes) with the alternative text attached to each, and the giving of
// an alternative text to one of them. Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ui_port.h"

namespace kestrova {

// Designators of image references and of alternative texts.
inline constexpr char ImageDesignators[] = "img src/background|";
inline constexpr char AltDesignator[] = "alt|";

struct PageImage {
    std::string Reference;  // as written in the page (decoded)
    std::string Alt;        // the alt text attached to it, "" when none
    // The search cursor just before the walk that found the image, and just
    // after it: setting Edit.LastMatchPosition to ImageStart makes the next
    // edit act on this image.
    std::int64_t ImageStart = 0;
    std::int64_t ImageEnd = 0;
};

// Lists the images of the current page in page order, in one walk (the rule
// of editing/image_tags.h): every img element with a src attribute wherever
// it stands among the attributes, and every background attribute. An
// image's alt text is the alt attribute of its own tag.
std::vector<PageImage> ListPageImages(ui::WindowId owner);

// Gives image r the alt text alt (replacing its alt or adding one after its
// reference). Returns true when the image was found again and the page now
// holds the text; the row's Alt is then alt.
bool SavePageImageAlt(ui::WindowId owner, std::vector<PageImage>& images, std::size_t r, const std::string& alt);

// True for a reference that names a full address ("http:" or "www."), which
// has no local file.
bool IsFullAddress(const std::string& reference);

// The local file a reference of the page at pagePath names, as a normalised
// file-system path; "" for a full address or an empty reference.
std::string LocalImageFile(const std::string& pagePath, const std::string& reference);

}  // namespace kestrova
