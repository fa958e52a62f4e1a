#include "page/page_encoding.h"

#include <fcntl.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "base/file_io.h"
#include "base/unicode_text.h"
#include "page/page_walker.h"

namespace kestrova {

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsCharsetNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// The charset a meta tag's text (lower-cased, without "<meta") names, or "".
std::string CharsetOfMeta(std::string_view tag)
{
    for (std::size_t at = tag.find("charset"); at != std::string_view::npos; at = tag.find("charset", at + 1)) {
        std::size_t i = at + 7;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\r' || tag[i] == '\n'))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() &&
               (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\r' || tag[i] == '\n' || tag[i] == '"' || tag[i] == '\''))
            ++i;
        std::size_t end = i;
        while (end < tag.size() && IsCharsetNameByte(tag[end]))
            ++end;
        if (end > i)
            return std::string(tag.substr(i, end - i));
    }
    return {};
}

// Length of the sequence a UTF-8 lead byte starts, 0 for a byte that
// starts none.
std::size_t SequenceLength(unsigned char b)
{
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF)
        return 3;
    if (b >= 0xF0 && b <= 0xF4)
        return 4;
    return 0;
}

}  // namespace

long ValidUtf8Prefix(const char* bytes, std::size_t n)
{
    std::size_t i = 0;
    while (i < n) {
        i += FirstHighByte(bytes + i, n - i);
        if (i >= n)
            break;
        const std::size_t length = SequenceLength(static_cast<unsigned char>(bytes[i]));
        if (length == 0)
            return -1;
        if (n - i < length)
            return static_cast<long>(i);
        if (!IsValidUtf8(std::string_view(bytes + i, length)))
            return -1;
        i += length;
    }
    return static_cast<long>(n);
}

DeclaredEncoding DeclaredPageEncoding(std::string_view head)
{
    if (head.substr(0, Utf8ByteOrderMark.size()) == Utf8ByteOrderMark)
        return DeclaredEncoding::Utf8;
    head = head.substr(0, WalkBlockSize);
    // Only the meta tags are lower-cased and read; the walker calls this for
    // every page, most of which hold a few of them.
    std::string tag;
    for (std::size_t lt = head.find('<'); lt != std::string_view::npos; lt = head.find('<', lt + 1)) {
        if (head.size() - lt < 5)
            break;
        const char a = AsciiLower(head[lt + 1]), b = AsciiLower(head[lt + 2]), c = AsciiLower(head[lt + 3]),
                   d = AsciiLower(head[lt + 4]);
        if (a == 'b' && b == 'o' && c == 'd' && d == 'y')
            break;  // meta tags belong to the head
        if (a != 'm' || b != 'e' || c != 't' || d != 'a')
            continue;
        std::size_t close = head.find('>', lt);
        if (close == std::string_view::npos)
            close = head.size();
        tag.assign(head.substr(lt + 5, close - lt - 5));
        std::transform(tag.begin(), tag.end(), tag.begin(), AsciiLower);
        const std::string charset = CharsetOfMeta(tag);
        if (charset.empty())
            continue;
        return charset == "utf-8" || charset == "utf8" ? DeclaredEncoding::Utf8 : DeclaredEncoding::Other;
    }
    return DeclaredEncoding::None;
}

std::size_t FirstHighByte(const char* bytes, std::size_t size)
{
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    std::size_t i = 0;
    // 64 bytes a step while none is high, then 8, then one.
#if defined(__SSE2__)
    for (; i + 64 <= size; i += 64) {
        const auto* p = reinterpret_cast<const __m128i*>(bytes + i);
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(p), _mm_loadu_si128(p + 1)),
                                         _mm_or_si128(_mm_loadu_si128(p + 2), _mm_loadu_si128(p + 3)));
        if (_mm_movemask_epi8(any) != 0)
            break;
    }
#endif
    for (; i + 8 <= size; i += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, bytes + i, 8);
        if (chunk & highs)
            break;
    }
    for (; i < size; ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return i;
    return size;
}

bool IsUtf8FromOffset(int fd, std::int64_t offset, std::int64_t size)
{
    constexpr std::size_t ChunkSize = 1 << 16;
    std::unique_ptr<char[]> chunk(new char[ChunkSize + 4]);
    std::size_t carried = 0;  // bytes of an unfinished sequence at the start of chunk
    while (offset < size) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(ChunkSize, size - offset));
        const ssize_t got = ReadAt(fd, chunk.get() + carried, want, offset);
        if (got <= 0)
            return false;
        offset += got;
        const std::size_t n = carried + static_cast<std::size_t>(got);
        const long valid = ValidUtf8Prefix(chunk.get(), n);
        if (valid < 0)
            return false;
        carried = n - static_cast<std::size_t>(valid);
        std::memmove(chunk.get(), chunk.get() + valid, carried);
    }
    return carried == 0;
}

PageEncoding DetectPageEncoding(int fd, std::int64_t size)
{
    std::string head(static_cast<std::size_t>(std::min<std::int64_t>(size, WalkBlockSize)), '\0');
    const ssize_t got = ReadAt(fd, head.data(), head.size(), 0);
    if (got < 0)
        return PageEncoding::Windows1252;
    head.resize(static_cast<std::size_t>(got));
    switch (DeclaredPageEncoding(head)) {
        case DeclaredEncoding::Utf8:
            return PageEncoding::Utf8;
        case DeclaredEncoding::Other:
            return PageEncoding::Windows1252;
        case DeclaredEncoding::None:
            break;
    }
    // Everything before the first high byte is ASCII, valid in both.
    std::int64_t offset = 0;
    constexpr std::size_t ChunkSize = 1 << 16;
    std::unique_ptr<char[]> chunk(new char[ChunkSize]);
    while (offset < size) {
        const ssize_t read =
            ReadAt(fd, chunk.get(), static_cast<std::size_t>(std::min<std::int64_t>(ChunkSize, size - offset)), offset);
        if (read <= 0)
            return PageEncoding::Windows1252;
        const std::size_t high = FirstHighByte(chunk.get(), static_cast<std::size_t>(read));
        if (high < static_cast<std::size_t>(read)) {
            const long valid = ValidUtf8Prefix(chunk.get() + high, static_cast<std::size_t>(read) - high);
            if (valid < 0)
                return PageEncoding::Windows1252;
            return IsUtf8FromOffset(fd, offset + static_cast<std::int64_t>(high) + valid, size)
                       ? PageEncoding::Utf8
                       : PageEncoding::Windows1252;
        }
        offset += read;
    }
    return PageEncoding::Windows1252;  // ASCII only: no multi-byte sequence
}

PageEncoding DetectPageFileEncoding(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return PageEncoding::Windows1252;
    struct stat st {};
    PageEncoding encoding = PageEncoding::Windows1252;
    if (::fstat(fd, &st) == 0)
        encoding = DetectPageEncoding(fd, st.st_size);
    ::close(fd);
    return encoding;
}

}  // namespace kestrova
