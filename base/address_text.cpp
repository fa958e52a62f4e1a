#include "base/address_text.h"

namespace kestrova {

namespace {

// Where the password of the address lies: [begin, end); false when none.
bool FindPassword(const std::string& address, std::size_t& begin, std::size_t& end)
{
    const std::size_t mark = address.find("://");
    const std::size_t start = mark == std::string::npos ? 0 : mark + 3;
    std::size_t authorityEnd = address.find_first_of("/\\?#", start);
    if (authorityEnd == std::string::npos)
        authorityEnd = address.size();
    const std::size_t at = address.rfind('@', authorityEnd == 0 ? 0 : authorityEnd - 1);
    if (at == std::string::npos || at < start || at >= authorityEnd)
        return false;
    const std::size_t colon = address.find(':', start);
    if (colon == std::string::npos || colon >= at)
        return false;
    begin = colon + 1;
    end = at;
    return end > begin;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty())
        return;
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + with.size()))
        text.replace(pos, what.size(), with);
}

}  // namespace

std::string WithoutPassword(const std::string& address)
{
    std::size_t begin = 0, end = 0;
    if (!FindPassword(address, begin, end))
        return address;
    return address.substr(0, begin) + "***" + address.substr(end);
}

std::string HidePasswordOf(const std::string& address, const std::string& text)
{
    std::size_t begin = 0, end = 0;
    if (!FindPassword(address, begin, end))
        return text;
    std::string out = text;
    ReplaceAll(out, address.substr(begin, end - begin), "***");
    return out;
}

}  // namespace kestrova
