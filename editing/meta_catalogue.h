// The meta tags the program knows, in the order the meta tags window lists
// them, and the reading and writing of one tag's content on the current
// page (or on chosen pages of the site). Every read and write is a walk of the
// page through EditMeta. Texts are Windows-1252; descriptions and help texts
// are French keys, translated when shown.
#pragma once

#include <string>
#include <vector>

#include "base/ui_port.h"

namespace kestrova {

struct MetaTagEntry {
    const char* Name;         // as written in the tag, never translated
    const char* Description;  // one line
    const char* Help;         // LF line breaks, '' as quotation mark
};

// The 18 known tags, in display order.
inline constexpr int MetaTagCount = 18;
extern const MetaTagEntry MetaTagCatalogue[MetaTagCount];

// The entry named exactly name; nullptr when there is none.
const MetaTagEntry* FindMetaTag(const std::string& name);

// One row of the meta tags list.
struct MetaTagRow {
    std::string Name;
    bool Exists = false;
    std::string Content;  // as read ("balisevide" already shown as empty)
};

// Reads every catalogue entry from the current page (one walk each). A page
// that cannot be walked gives every tag as missing.
std::vector<MetaTagRow> ListMetaTags(ui::WindowId owner);
// Reads one tag: true when it exists, its content in content.
bool ReadMetaTag(ui::WindowId owner, const std::string& name, std::string& content);
// The first row whose tag is missing (0 when every tag exists).
int FirstMissingMetaRow(const std::vector<MetaTagRow>& rows);

// Writes content as the content of the tag name on the current page (asking
// to create a missing tag) and reads the tag back into row. Returns true when
// the page changed.
bool SaveMetaTag(ui::WindowId owner, const std::string& name, const std::string& content, MetaTagRow& row);

// The message of the site-wide question for a tag's new content: the
// content cut to 100 characters and "..." when longer, ending in "Dossier :".
std::string SiteWideMetaMessage(const std::string& name, const std::string& content);

// A list of pages as the site-wide choice returns it (each path followed by
// CR), cut into paths.
std::vector<std::string> SplitPageList(const std::string& paths);

// Writes the tag on each page of the list in turn, each page its own walk,
// backup and journal line, then restores the current page. Returns true when
// the current page was among them and its tag was found or created.
bool SaveMetaTagOnPages(ui::WindowId owner, const std::string& paths, const std::string& name,
                        const std::string& content);

}  // namespace kestrova
