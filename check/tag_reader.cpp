#include "check/tag_reader.h"

namespace kestrova::check {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

}  // namespace

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

const std::string* TagView::Get(std::string_view name) const
{
    for (const auto& [key, value] : Attributes)
        if (key == name)
            return &value;
    return nullptr;
}

void ReadTag(std::string_view tag, TagView& out)
{
    out.Name.clear();
    out.Closing = false;
    out.Attributes.clear();
    std::size_t i = 0;
    const std::size_t n = tag.size();
    if (n > 0 && (tag[0] == '!' || tag[0] == '?')) {
        out.Name = "!";
        return;
    }
    if (i < n && tag[i] == '/') {
        out.Closing = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < n && !IsSpace(tag[i]) && tag[i] != '/')
        ++i;
    out.Name.assign(tag.substr(nameStart, i - nameStart));
    for (char& c : out.Name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    while (i < n) {
        while (i < n && (IsSpace(tag[i]) || tag[i] == '/'))
            ++i;
        if (i >= n)
            break;
        const std::size_t keyStart = i;
        while (i < n && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '/')
            ++i;
        std::string key(tag.substr(keyStart, i - keyStart));
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (key.empty()) {  // a stray "=": skip it
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && IsSpace(tag[j]))
            ++j;
        std::string value;
        if (j < n && tag[j] == '=') {
            ++j;
            while (j < n && IsSpace(tag[j]))
                ++j;
            if (j < n && (tag[j] == '"' || tag[j] == '\'')) {
                const char quote = tag[j];
                const std::size_t end = tag.find(quote, j + 1);
                const std::size_t stop = end == std::string_view::npos ? n : end;
                value = std::string(tag.substr(j + 1, stop - j - 1));
                i = stop == n ? n : stop + 1;
            } else {
                const std::size_t start = j;
                while (j < n && !IsSpace(tag[j]))
                    ++j;
                value = std::string(tag.substr(start, j - start));
                i = j;
            }
        }
        out.Attributes.emplace_back(std::move(key), std::move(value));
    }
}

}  // namespace kestrova::check
