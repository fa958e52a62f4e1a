#include "base/paths.h"

#include "base/codec.h"

namespace kestrova {

namespace {

constexpr std::size_t npos = std::string::npos;

// True when the bytes are well-formed UTF-8 (structure only).
bool LooksLikeUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int follow = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (follow < 0 || text.size() - i <= static_cast<std::size_t>(follow))
            return false;
        for (int k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += follow + 1;
    }
    return true;
}

}  // namespace

std::string FileNameOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == npos ? path : path.substr(slash + 1);
}

std::string DisplayFileName(const std::string& path)
{
    const std::string name = FileNameOf(path);
    std::string text;
    if (Utf8ToCp1252(name, text))
        return text;
    // A name that is not UTF-8 at all is most likely already single-byte
    // text: keep its bytes. Otherwise write what Windows-1252 can hold.
    return LooksLikeUtf8(name) ? Utf8ToCp1252Lossy(name) : name;
}

std::string FolderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace kestrova
