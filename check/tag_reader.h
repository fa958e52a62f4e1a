// A tag's name and attributes, read from the tag text the page walker hands
// over (without "<" and ">").
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova::check {

struct TagView {
    // Lower-case name without the "/" of an end tag; "!" for comments,
    // declarations and processing instructions.
    std::string Name;
    bool Closing = false;
    // Lower-case attribute names with their values as written (quotes
    // removed, entities not decoded), in tag order.
    std::vector<std::pair<std::string, std::string>> Attributes;

    // The first attribute of that (lower-case) name, or nullptr.
    const std::string* Get(std::string_view name) const;
    bool Has(std::string_view name) const { return Get(name) != nullptr; }
};

// Reads the tag; attribute values may be in double quotes, single quotes or
// none.
void ReadTag(std::string_view tag, TagView& out);

// ASCII lower case of a short text.
std::string LowerAscii(std::string_view text);

}  // namespace kestrova::check
