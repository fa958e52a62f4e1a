// The preview of a site-wide update: what it would write on each page,
// worked out by the same walks without writing anything (no page, backup,
// history or journal changes), so that the user can see every difference and
// leave pages out before the update runs.
#pragma once

#include <string>
#include <vector>

#include "base/ui_port.h"
#include "page/page_change.h"

namespace kestrova {

// What SaveMetaTagOnPages would write on each of the pages: one entry per
// page that would change, in the pages' order. A missing tag counts as
// created (as with "Oui pour toutes"); no question or message is shown.
std::vector<DryRun::Change> PreviewMetaTagOnPages(ui::WindowId owner, const std::vector<std::string>& pages,
                                                  const std::string& name, const std::string& content);

// What RenameImage(owner, NewSrc, OldSrc, ..., siteFolder) would write when
// the user chose the given pages: one entry per page that would change,
// the current page included (its reference changes whether it was chosen
// or not). The files on disk are not renamed; no message is shown.
std::vector<DryRun::Change> PreviewImageRenameOnPages(ui::WindowId owner, const std::vector<std::string>& pages,
                                                      const std::string& NewSrc, const std::string& OldSrc,
                                                      const std::string& siteFolder = "");

}  // namespace kestrova
