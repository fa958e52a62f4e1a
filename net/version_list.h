// The maker's version list: version numbers, condition lists and the records
// that offer a newer version of the program.
#pragma once

#include <string>
#include <vector>

namespace kestrova {

// The version of this program.
inline constexpr const char* CurrentVersion = "1.37b";

// The decimal value by which versions are compared: "beta" takes 1000 off,
// letters count as their place in the alphabet after the decimal point
// ("1.37b" is 1.372, "1.37j" is 1.3710, "2 beta" is -998).
double VersionValue(const std::string& version);

// True when the ":"-separated list applies to `current`: one of its plain
// versions equals it, or it has ">" / "<" items and `current` is above every
// ">" version and below every "<" version.
bool ConditionListApplies(const std::string& conditions, const std::string& current);

// A record of the list: "Kestrova|" version "|" [conditions "|"] address "|"
// install list "|End".
struct UpdateRecord {
    std::string Version;
    std::string Conditions;   // the current version when the record has none
    std::string Address;      // download address
    std::string InstallList;  // the items, each followed by "|"
};

// The records of the program in the list, in order. Each record is one line;
// a line that names the program without "|End" (a heading, a broken
// record) is passed over. A record given more than once is returned once;
// a record whose download address is not http:// or https:// is left out.
std::vector<UpdateRecord> ParseVersionList(const std::string& text, const std::string& current);

// True when the text can be a version list: it holds at least one "|End"
// and no zero byte or control character besides CR, LF and tab. An empty,
// binary or cut list is not one.
bool LooksLikeVersionList(const std::string& text);

// True for an address that begins with "http://" or "https://" (any case)
// and names something after it.
bool IsWebAddress(const std::string& address);

// True when the record offers a version newer than `current` whose
// condition list applies to it.
bool RecordApplies(const UpdateRecord& record, const std::string& current);

// The items of an install list ("a|b|"), empty items dropped.
std::vector<std::string> InstallItems(const std::string& installList);

// True when an install-list item may be installed: a path relative to the
// program folder ("\" or "/" separated, or "execute:" + such a path) that
// neither is absolute nor has a ".." part, nor is empty.
bool IsSafeInstallItem(const std::string& item);

}  // namespace kestrova
