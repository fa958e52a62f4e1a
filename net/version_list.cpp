#include "net/version_list.h"

#include <cstdlib>

#include "base/relative_path.h"

namespace kestrova {

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return text;
}

void EraseAll(std::string& text, const std::string& what)
{
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos))
        text.erase(pos, what.size());
}

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool StartsWithHttp(const std::string& field)
{
    return Lower(field.substr(0, 4)) == "http";
}

}  // namespace

bool IsWebAddress(const std::string& address)
{
    const std::string lower = Lower(address.substr(0, 8));
    return (lower.rfind("http://", 0) == 0 && address.size() > 7) || (lower == "https://" && address.size() > 8);
}

bool LooksLikeVersionList(const std::string& text)
{
    if (text.find("|End") == std::string::npos)
        return false;
    // A text file: no zero bytes nor control characters besides line ends
    // and tabs.
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 && c != '\r' && c != '\n' && c != '\t')
            return false;
    }
    return true;
}

double VersionValue(const std::string& version)
{
    std::string text = Lower(version);
    const double offset = text.find("beta") != std::string::npos ? -1000.0 : 0.0;
    EraseAll(text, "beta");
    EraseAll(text, " ");
    EraseAll(text, ">");
    EraseAll(text, "<");
    for (char& c : text)
        if (c == ',')
            c = '.';
    text = Trim(text);

    std::string number;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') {
            if (number.find('.') == std::string::npos)
                number += '.';
            number += std::to_string(c - 'a' + 1);
        } else {
            number += c;
        }
    }
    // Read as a decimal number as far as it goes; no number reads as 0.
    double value = 0.0;
    std::size_t used = 0;
    while (used < number.size() &&
           ((number[used] >= '0' && number[used] <= '9') || (number[used] == '.' && number.find('.') == used)))
        ++used;
    if (used > 0)
        value = std::strtod(number.substr(0, used).c_str(), nullptr);
    return value + offset;
}

bool ConditionListApplies(const std::string& conditions, const std::string& current)
{
    // A version in the list names one version the record is for; the ">"
    // and "<" items together bound a range, so that ">1.30:<1.35" means
    // "above 1.30 and below 1.35" rather than every version.
    const double now = VersionValue(current);
    bool hasBound = false;
    bool withinBounds = true;
    std::size_t start = 0;
    while (start <= conditions.size()) {
        std::size_t end = conditions.find(':', start);
        if (end == std::string::npos)
            end = conditions.size();
        const std::string item = Trim(conditions.substr(start, end - start));
        start = end + 1;
        if (item.empty())
            continue;
        if (item.front() == '>' || item.front() == '<') {
            hasBound = true;
            const double bound = VersionValue(item);
            withinBounds = withinBounds && (item.front() == '>' ? now > bound : now < bound);
        } else if (now == VersionValue(item)) {
            return true;
        }
    }
    return hasBound && withinBounds;
}

std::vector<UpdateRecord> ParseVersionList(const std::string& text, const std::string& current)
{
    std::vector<UpdateRecord> records;
    std::size_t pos = text.find("Kestrova");
    while (pos != std::string::npos) {
        // A record is one line: an "|End" only after a line break belongs to
        // a later record, so this one has none, and the search ends here
        // rather than read the next record into this one's install list.
        const std::size_t end = text.find("|End", pos);
        const std::size_t lineEnd = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            break;
        if (lineEnd < end) {
            // A line naming the program without a record (a heading, a
            // record cut short): the search goes on on the next line.
            pos = text.find("Kestrova", lineEnd);
            continue;
        }
        // The record's text up to and including the "|" in front of "End".
        const std::string record = text.substr(pos, end + 1 - pos);
        std::vector<std::size_t> bars;
        for (std::size_t i = record.find('|'); i != std::string::npos; i = record.find('|', i + 1))
            bars.push_back(i);
        const auto field = [&](std::size_t n) { return record.substr(bars[n] + 1, bars[n + 1] - bars[n] - 1); };
        UpdateRecord r;
        std::size_t addressField = 0;
        if (bars.size() >= 3) {
            r.Version = Trim(field(0));
            if (StartsWithHttp(Trim(field(1)))) {
                r.Conditions = current;
                addressField = 1;
            } else if (bars.size() >= 4) {
                r.Conditions = Trim(field(1));
                addressField = 2;
            }
        }
        if (addressField != 0) {
            r.Address = Trim(field(addressField));
            r.InstallList = record.substr(bars[addressField + 1] + 1);
            // Archives come from the web only; a record given twice is
            // offered once.
            bool known = false;
            for (const UpdateRecord& seen : records)
                known = known || (seen.Version == r.Version && seen.Conditions == r.Conditions &&
                                  seen.Address == r.Address && seen.InstallList == r.InstallList);
            if (IsWebAddress(r.Address) && !known)
                records.push_back(std::move(r));
        }
        pos = text.find("Kestrova", end + 4);
    }
    return records;
}

bool RecordApplies(const UpdateRecord& record, const std::string& current)
{
    if (!(VersionValue(current) < VersionValue(record.Version)))
        return false;
    return ConditionListApplies(record.Conditions, current);
}

std::vector<std::string> InstallItems(const std::string& installList)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < installList.size()) {
        std::size_t end = installList.find('|', start);
        if (end == std::string::npos)
            end = installList.size();
        std::string item = Trim(installList.substr(start, end - start));
        if (!item.empty())
            items.push_back(std::move(item));
        start = end + 1;
    }
    return items;
}

bool IsSafeInstallItem(const std::string& item)
{
    std::string path = item;
    if (path.rfind("execute:", 0) == 0)
        path.erase(0, 8);
    return IsRelativeInside(path);
}

}  // namespace kestrova
