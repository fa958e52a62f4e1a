// Fuzz target for the version list: any text is checked, parsed and
// judged, and the records that come out must hold what a record holds.
//  - LooksLikeVersionList never fails on any bytes;
//  - every record has a web address, no "|" inside its version and address,
//    an install list that is empty or ends with "|", and is returned once;
//  - the install items, versions and condition lists are evaluated without
//    fault, and a version's value is a number.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "net/version_list.h"

using namespace kestrova;

namespace {

constexpr fuzz::Checker Check{"version list fuzz"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool looksLikeList = LooksLikeVersionList(text);
    // The current version comes from the input's first line too, so that
    // conditions are compared with many values.
    const std::string current = text.substr(0, std::min<std::size_t>(text.find('\n'), 12));
    const auto records = ParseVersionList(text, current.empty() ? CurrentVersion : current);
    if (!records.empty())
        Check(text.find("|End") != std::string::npos, "a record from a text without |End");
    for (std::size_t i = 0; i < records.size(); ++i) {
        const UpdateRecord& r = records[i];
        Check(IsWebAddress(r.Address), "a record whose address is not http or https");
        Check(r.Version.find('|') == std::string::npos, "a version holding |");
        Check(r.Address.find('|') == std::string::npos, "an address holding |");
        // An address followed at once by "End" leaves the install list empty.
        Check(r.InstallList.empty() || r.InstallList.back() == '|', "an install list not ending with |");
        Check(r.InstallList.find('\n') == std::string::npos, "a record running over a line end");
        for (std::size_t j = 0; j < i; ++j)
            Check(!(records[j].Version == r.Version && records[j].Conditions == r.Conditions &&
                    records[j].Address == r.Address && records[j].InstallList == r.InstallList),
                  "a record returned twice");
        Check(!std::isnan(VersionValue(r.Version)), "a version value that is not a number");
        (void)RecordApplies(r, CurrentVersion);
        for (const std::string& item : InstallItems(r.InstallList)) {
            Check(!item.empty(), "an empty install item");
            (void)IsSafeInstallItem(item);
        }
    }
    (void)looksLikeList;
    return 0;
}
