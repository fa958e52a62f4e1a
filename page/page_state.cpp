#include "page/page_state.h"

namespace kestrova {

PageState Page;

void ReportList::AddRow(const std::string& joinedByLf)
{
    std::vector<std::string> cells;
    std::string::size_type start = 0;
    for (;;) {
        auto lf = joinedByLf.find('\n', start);
        if (lf == std::string::npos) {
            cells.push_back(joinedByLf.substr(start));
            break;
        }
        cells.push_back(joinedByLf.substr(start, lf - start));
        start = lf + 1;
    }
    Rows.push_back(std::move(cells));
}

}  // namespace kestrova
