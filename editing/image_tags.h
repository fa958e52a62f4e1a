// The one rule for what an image of a page is, shared by the image list, the
// alternative texts, the sentences and the renaming: an img element with a
// src attribute anywhere among its attributes, or any element with a
// background attribute, whatever the quoting of the value. Texts are
// Windows-1252 (on a UTF-8 page, as the walker hands them over).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editing/rewrite_positions.h"
#include "page/page_walker.h"

namespace kestrova {

// One image reference of a page.
struct ImageInPage {
    // Offset of the tag's "<" as the walker counts (decoded characters on a
    // UTF-8 page).
    std::int64_t TagOffset = 0;
    // The search cursor value of the reference, as an EditAttribute "Liste"
    // walk records it: setting Edit.LastMatchPosition just below it makes
    // the next EditAttribute act on this image.
    std::int64_t Position = 0;
    std::string Designator;  // "img src" or "background"
    std::string Src;         // the value, spaces trimmed, entities decoded
    bool HasAlt = false;     // the tag has an alt attribute
    std::string Alt;         // its value, spaces trimmed, entities decoded
};

// The designator of attribute a of the tag as the list designators names it
// ("/"-separated, lower case): "element attribute" (for example "img src")
// names the attribute on that element only, a single word names it on any
// element. "" when the list does not name it.
std::string ListedDesignator(const std::string& tag, const rewrite::TagAttribute& a, const std::string& designators);

// The value of an attribute as the editors read it: spaces trimmed,
// entities decoded.
std::string AttributeValue(const std::string& tag, const rewrite::TagAttribute& a);

// A value typed by the user, made safe to stand between double quotes: a
// double quote is written as "&quot;" and a line break as a space (it would
// end the quoted run for the page walker).
std::string QuoteSafe(const std::string& value);

// Calls visit(start, end) for each address of a srcset value that runs from
// the tag's character first to last (1-based, end included): the address
// of each candidate, without its descriptors.
template <typename Visit>
void ForEachSrcsetAddress(const std::string& tag, rewrite::Pos first, rewrite::Pos last, Visit&& visit)
{
    using rewrite::At;
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    rewrite::Pos i = first;
    while (i <= last) {
        while (i <= last && (space(At(tag, i)) || At(tag, i) == ','))
            ++i;
        if (i > last)
            return;
        const rewrite::Pos start = i;
        while (i <= last && !space(At(tag, i)))
            ++i;
        rewrite::Pos end = i - 1;
        const bool commaEnded = At(tag, end) == ',';
        while (end >= start && At(tag, end) == ',')
            --end;
        if (end >= start)
            visit(start, end);
        if (!commaEnded)  // the descriptors, up to the next comma
            while (i <= last && At(tag, i) != ',')
                ++i;
    }
}

// Appends the images of one tag (the text between "<" and ">", which starts
// at tagOffset), in the order of their attributes. A reference with an empty
// value is no image.
void ImagesOfTag(const std::string& tag, std::int64_t tagOffset, std::vector<ImageInPage>& out);

// The images of the page at pagePath, in page order: one read-only walk with
// options (WriteCopy is ignored; options.State may give a state of its own,
// for a walk on another thread). False when the page could not be walked.
bool FindPageImages(const std::string& pagePath, WalkOptions options, std::vector<ImageInPage>& out);

}  // namespace kestrova
