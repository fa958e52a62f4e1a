// The site check's one door to the site walk and the image references of
// the editing layer: the pages of a site, and the file an image reference
// names.
#pragma once

#include <string>
#include <vector>

namespace kestrova::check {

// The pages below folder as the site walk finds them, without the backup
// folders ("Sauvegarde") and with each file once (a page reached again
// through a link, by device and inode, is left out). Paths are absolute and
// normalised. False when the folder cannot be read.
bool ListSitePages(const std::string& folder, std::vector<std::string>& pages);

// The file a relative image reference of the page names (normalised
// absolute path), "" for a full address.
std::string ImageFileOf(const std::string& pagePath, const std::string& reference);

}  // namespace kestrova::check
