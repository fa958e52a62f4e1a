#include "cli/site_verb.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "analysis/word_tables.h"
#include "base/unicode_text.h"
#include "site/site_pages.h"
#include "site/site_scan.h"

namespace kestrova::cli {

std::string EscapeControls(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    static constexpr char hex[] = "0123456789abcdef";
                    out += "\\x";
                    out += hex[(static_cast<unsigned char>(c) >> 4) & 0xF];
                    out += hex[static_cast<unsigned char>(c) & 0xF];
                } else {
                    out += c;
                }
        }
    }
    return out;
}

// Words and origins are page text: the characters of UTF-8 pages that
// Windows-1252 cannot hold are escaped in them and shown as themselves. Page
// names may hold any byte but "/": control characters are written as
// escapes, so that one line is always one row and a TAB always a column.
std::string SiteReport()
{
    std::string report;
    const int rows = SiteListedRowCount();
    for (int row = 0; row < rows; ++row) {
        report += EscapeControls(PageTextToDisplay(WordTables.WordForms[row]));
        report += '\t';
        report += std::to_string(WordTables.WordCounts[row]);
        report += '\t';
        report += EscapeControls(PageTextToDisplay(WordTables.WordOrigins[row]));
        report += '\n';
    }
    return report;
}

int SiteVerb(Session& session, const std::string& folder, std::ostream& out, const SitePageStep& step)
{
    DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
    if (dir == nullptr) {
        const int error = folder.empty() ? ENOENT : errno;
        session.Error("cannot read the folder \"" + EscapeControls(folder) + "\": " + std::strerror(error));
        return ExitFailure;
    }
    closedir(dir);
    SiteScanReport report;
    ScanSiteFolder(folder, step, 0, &report);
    if (!report.RefusedFolder.empty()) {
        session.Error("\"" + EscapeControls(folder) +
                      "\" belongs to a file system of the system (/proc, /sys, /dev), which holds no pages; "
                      "nothing was scanned");
        return ExitFailure;
    }
    out << SiteReport();
    if (!report.Unreadable.empty()) {
        std::string names;
        for (const std::string& name : report.Unreadable)
            names += "\n  " + EscapeControls(name);
        session.Error(std::to_string(report.Unreadable.size()) + " page(s) or folder(s) could not be read:" + names);
    }
    return ExitOk;
}

}  // namespace kestrova::cli
