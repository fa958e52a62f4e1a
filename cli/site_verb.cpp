#include "cli/site_verb.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "analysis/word_tables.h"
#include "base/unicode_text.h"
#include "site/site_scan.h"

namespace kestrova::cli {

// Words and origins are page text: the characters of UTF-8 pages that
// Windows-1252 cannot hold are escaped in them and shown as themselves.
std::string SiteReport()
{
    std::string report;
    const int rows = SiteListedRowCount();
    for (int row = 0; row < rows; ++row) {
        report += PageTextToDisplay(WordTables.WordForms[row]);
        report += '\t';
        report += std::to_string(WordTables.WordCounts[row]);
        report += '\t';
        report += PageTextToDisplay(WordTables.WordOrigins[row]);
        report += '\n';
    }
    return report;
}

int SiteVerb(Session& session, const std::string& folder, std::ostream& out, const SitePageStep& step)
{
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (dir == nullptr) {
        const int error = folder.empty() ? ENOENT : errno;
        session.Error("cannot read the folder \"" + folder + "\": " + std::strerror(error));
        return ExitFailure;
    }
    closedir(dir);
    ScanSiteFolder(folder, step);
    out << SiteReport();
    return ExitOk;
}

}  // namespace kestrova::cli
