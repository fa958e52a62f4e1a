#include "base/read_text_file.h"

#include <cstring>
#include <fstream>

namespace kestrova::ui {

std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    constexpr std::size_t blockSize = 10000;
    std::string text;
    char block[blockSize];
    while (in) {
        in.read(block, blockSize);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0)
            break;
        const void* zero = std::memchr(block, 0, got);
        text.append(block, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - block) : got);
    }
    return text;
}

}  // namespace kestrova::ui
