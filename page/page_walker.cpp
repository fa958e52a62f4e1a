#include "page/page_walker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/clock.h"
#include "base/codec.h"
#include "base/file_io.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "page/journal.h"
#include "page/page_change.h"
#include "page/page_encoding.h"

namespace kestrova {

namespace {

constexpr std::size_t npos = std::string::npos;

std::size_t gBlockSize = WalkBlockSize;

// ---- small helpers ---------------------------------------------------------

// Lower-casing for the fixed ASCII words the walker looks for. The program's
// ToLower also moves 0xC0-0xDE, but those never become ASCII letters, so the
// searches below give the same answers.
inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// prefix is lower-case.
bool StartsWithNoCase(const std::string& s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiLower(s[i]) != prefix[i])
            return false;
    return true;
}

// needle is lower-case and not empty.
bool ContainsNoCase(const std::string& s, std::string_view needle)
{
    if (s.size() < needle.size())
        return false;
    for (std::size_t i = 0; i + needle.size() <= s.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && AsciiLower(s[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

bool EqualsNoCase(const std::string& s, std::string_view lower)
{
    return s.size() == lower.size() && StartsWithNoCase(s, lower);
}

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Reset(int fd)
    {
        Close();
        fd_ = fd;
    }
    // Returns false when the close reports an error.
    bool Close()
    {
        if (fd_ < 0)
            return true;
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_ = -1;
};

// Buffered writer of the rewritten copy. Remembers any write failure: a copy
// that was not written whole must never replace the page.
class CopyWriter {
public:
    explicit CopyWriter(int fd) : fd_(fd) { buffer_.reserve(Capacity); }
    void Append(const char* data, std::size_t size)
    {
        if (buffer_.size() + size > Capacity) {
            Flush();
            if (size >= Capacity) {
                if (!failed_ && !WriteAll(fd_, data, size))
                    failed_ = true;
                return;
            }
        }
        buffer_.append(data, size);
    }
    void Append(const std::string& s) { Append(s.data(), s.size()); }
    void Put(char c)
    {
        if (buffer_.size() + 1 > Capacity)
            Flush();
        buffer_.push_back(c);
    }
    void Flush()
    {
        if (!failed_ && !buffer_.empty() && !WriteAll(fd_, buffer_.data(), buffer_.size()))
            failed_ = true;
        buffer_.clear();
    }
    bool Failed() const { return failed_; }

private:
    static constexpr std::size_t Capacity = 1 << 16;
    int fd_;
    std::string buffer_;
    bool failed_ = false;
};

// Closes the progress window when the walk leaves, however it leaves.
class ProgressGuard {
public:
    ~ProgressGuard()
    {
        if (open)
            ui::Ui().CloseProgress();
    }
    bool open = false;
};

// ---- HTML test ---------------------------------------------------------------

// True when one of the first 100 lines (ended by CR, LF or CR LF), lower-cased,
// holds "<html", or both "content-type" and "html".
bool LooksLikeHtml(int fd, std::int64_t size)
{
    constexpr std::size_t ChunkSize = 1 << 16;
    constexpr std::size_t Carry = 11;  // longest word minus one
    std::unique_ptr<char[]> chunk(new char[ChunkSize]);
    std::string scan;  // lower-cased: the end of the line so far, then the new part
    int lines = 0;
    bool hasContentType = false;
    bool hasHtml = false;
    bool pendingCr = false;
    std::int64_t offset = 0;
    while (offset < size) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(ChunkSize, size - offset));
        ssize_t got = ReadAt(fd, chunk.get(), want, offset);
        if (got <= 0)
            break;
        offset += got;
        const char* data = chunk.get();
        const std::size_t n = static_cast<std::size_t>(got);
        std::size_t i = 0;
        if (pendingCr) {
            pendingCr = false;
            if (data[0] == '\n')
                i = 1;
        }
        while (i < n) {
            std::size_t e = i;
            while (e < n && data[e] != '\n' && data[e] != '\r')
                ++e;
            for (std::size_t k = i; k < e; ++k)
                scan.push_back(AsciiLower(data[k]));
            if (scan.find("<html") != npos)
                return true;
            hasContentType = hasContentType || scan.find("content-type") != npos;
            hasHtml = hasHtml || scan.find("html") != npos;
            if (hasContentType && hasHtml)
                return true;
            if (scan.size() > Carry)
                scan.erase(0, scan.size() - Carry);
            if (e == n)
                break;  // the line goes on in the next chunk
            if (++lines >= 100)
                return false;
            scan.clear();
            hasContentType = hasHtml = false;
            if (data[e] == '\r') {
                if (e + 1 < n)
                    i = data[e + 1] == '\n' ? e + 2 : e + 1;
                else {
                    pendingCr = true;
                    i = n;
                }
            } else {
                i = e + 1;
            }
        }
    }
    return false;
}

// ---- the piece cutter ------------------------------------------------------

// Up to three bytes to look for, as a table and as the bytes themselves
// (the search compares 16 bytes at a time with each of them).
struct ByteSet {
    bool in[256];
    char chars[3];
    constexpr explicit ByteSet(const char* list) : in{}, chars{}
    {
        int count = 0;
        for (; *list; ++list) {
            in[static_cast<unsigned char>(*list)] = true;
            chars[count++] = *list;
        }
        for (; count < 3; ++count)
            chars[count] = chars[0];  // a repeated byte finds nothing more
    }
};

constexpr ByteSet TextStops("<\"");
constexpr ByteSet JavascriptStops("<\"/");
constexpr ByteSet QuoteEnds("\"\n\r");
constexpr ByteSet CommentEnds(";\n\r");
constexpr ByteSet TagStops(">\"");

// The first byte of s[from, n) in set, or npos.
inline std::size_t FindAny(const char* s, std::size_t from, std::size_t n, const ByteSet& set)
{
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi8(set.chars[0]);
    const __m128i b = _mm_set1_epi8(set.chars[1]);
    const __m128i c = _mm_set1_epi8(set.chars[2]);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)), _mm_cmpeq_epi8(v, c));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    for (; i < n; ++i)
        if (set.in[static_cast<unsigned char>(s[i])])
            return i;
    return npos;
}

// Start of the next tag in s[0, n): "<" outside script mode, "</" inside.
// A double-quoted run that starts after the first character hides what it
// holds; it ends at the next double quote, LF or CR, or at the end of the
// text. In a javascript element a "//" after the first character hides the
// rest of the line up to the first ";". npos when no tag start is found.
std::size_t FindTagStart(const char* s, std::size_t n, bool script, bool javascript)
{
    const ByteSet& stops = script && javascript ? JavascriptStops : TextStops;
    std::size_t i = 0;
    for (;;) {
        std::size_t k = FindAny(s, i, n, stops);
        if (k == npos)
            return npos;
        const char c = s[k];
        if (c == '<') {
            if (!script || (k + 1 < n && s[k + 1] == '/'))
                return k;
            i = k + 1;
        } else if (c == '"') {
            if (k == 0) {
                i = 1;
                continue;
            }
            std::size_t end = FindAny(s, k + 1, n, QuoteEnds);
            if (end == npos)
                return npos;
            i = end + 1;
        } else {  // '/' in a javascript element
            if (k >= 1 && k + 1 < n && s[k + 1] == '/') {
                std::size_t end = FindAny(s, k + 2, n, CommentEnds);
                if (end == npos)
                    return npos;
                i = end + 1;
            } else {
                i = k + 1;
            }
        }
    }
}

// The ">" that closes the tag starting at s[0], skipping double-quoted runs.
std::size_t FindTagEnd(const char* s, std::size_t n)
{
    std::size_t i = 1;
    for (;;) {
        std::size_t k = FindAny(s, i, n, TagStops);
        if (k == npos)
            return npos;
        if (s[k] == '>')
            return k;
        std::size_t end = FindAny(s, k + 1, n, QuoteEnds);
        if (end == npos)
            return npos;
        i = end + 1;
    }
}

enum class PieceKind { Incomplete, Text, Tag };

// Cuts the piece at the start of s[0, n). atEnd: nothing follows s[n - 1]
// in this stretch of the page, so a text run may end there.
PieceKind CutPiece(const char* s, std::size_t n, bool atEnd, bool script, bool javascript, std::size_t& length)
{
    std::size_t start = FindTagStart(s, n, script, javascript);
    if (start == npos) {
        if (!atEnd)
            return PieceKind::Incomplete;
        length = n;
        return PieceKind::Text;
    }
    if (start > 0) {
        length = start;
        return PieceKind::Text;
    }
    std::size_t close = FindTagEnd(s, n);
    if (close == npos)
        return PieceKind::Incomplete;
    length = close + 1;
    return PieceKind::Tag;
}

// ---- UTF-8 pages ---------------------------------------------------------------

// Decodes a piece of a UTF-8 page for the handler, and keeps a copy of the
// decoded text in write mode.
void DecodeUtf8Piece(const char* bytes, std::size_t size, std::string& out, std::string& kept, bool keep)
{
    out.clear();
    DecodeUtf8PageText(bytes, size, out);
    if (keep)
        kept = out;
}

void WriteUtf8Piece(CopyWriter& writer, const char* piece, std::size_t length, bool isText, const std::string& text,
                    const std::string& tag, const std::string& decodedText, const std::string& decodedTag,
                    bool emptyTag)
{
    const bool unchanged = isText ? (text == decodedText && tag.empty()) : (text.empty() && tag == decodedTag);
    if (unchanged && (isText || !tag.empty() || emptyTag)) {
        writer.Append(piece, length);
        return;
    }
    std::string bytes;
    EncodeUtf8PageText(text, bytes);
    if (!tag.empty()) {
        bytes.push_back('<');
        EncodeUtf8PageText(tag, bytes);
        bytes.push_back('>');
    } else if (emptyTag) {
        bytes += "<>";
    }
    writer.Append(bytes);
}

// A piece of a Windows-1252 page whose new text holds characters escaped for
// a UTF-8 page (text typed for one): they are written as character
// references, which a Windows-1252 page can hold. A piece the handler left
// as the page had it is copied as it is.
void WriteEscapesToWindows1252(CopyWriter& writer, const char* piece, std::size_t length, const std::string& text,
                               const std::string& tag, bool emptyTag)
{
    std::string bytes = text;
    if (!tag.empty())
        bytes += '<' + tag + '>';
    else if (emptyTag)
        bytes += "<>";
    if (std::string_view(bytes) == std::string_view(piece, length))
        writer.Append(piece, length);
    else
        writer.Append(EscapesToCharacterReferences(bytes));
}

// ---- comparison and commit ---------------------------------------------------

// True when both files hold the same bytes.
bool SameContent(int a, int b)
{
    struct stat sa {
    }, sb{};
    if (::fstat(a, &sa) != 0 || ::fstat(b, &sb) != 0)
        return false;
    if (sa.st_size != sb.st_size)
        return false;
    constexpr std::size_t ChunkSize = 1 << 16;
    std::unique_ptr<char[]> ba(new char[ChunkSize]);
    std::unique_ptr<char[]> bb(new char[ChunkSize]);
    std::int64_t offset = 0;
    for (;;) {
        ssize_t ga = ReadAt(a, ba.get(), ChunkSize, offset);
        ssize_t gb = ReadAt(b, bb.get(), ChunkSize, offset);
        if (ga < 0 || gb < 0 || ga != gb)
            return false;
        if (ga == 0)
            return true;
        if (std::memcmp(ba.get(), bb.get(), static_cast<std::size_t>(ga)) != 0)
            return false;
        offset += ga;
    }
}

// True when the handler made the piece longer than a piece may be: the
// walker could not read it back as one piece.
bool PieceTooLong(const std::string& text, const std::string& tag)
{
    return text.size() > WalkMaxPieceLength || (!tag.empty() && tag.size() + 2 > WalkMaxPieceLength);
}

std::string ErrorTitle(const std::string& name)
{
    return TranslateFrenchKey("Erreur sur ") + name;
}

}  // namespace

// ---- public ------------------------------------------------------------------

bool IsPageReadOnly()
{
    return Page.PageReadOnly;
}

void SetWalkBlockSizeForTesting(std::size_t size)
{
    gBlockSize = size == 0 ? WalkBlockSize : size;
}

void SetReplaceFailureForTesting(bool fail)
{
    SetPageReplaceFailureForTesting(fail);
}

void AddMetaAfterHead(std::int64_t, const std::string& Arg1, const std::string&, const std::string&)
{
    if (!EqualsNoCase(Page.CurrentTag, "head"))
        return;
    std::string name;
    name.reserve(Arg1.size());
    for (char c : Arg1)
        name.push_back(AsciiLower(c));
    const bool httpEquiv =
        name == "content-type" || name == "content-language" || name == "refresh" || name == "pragma";
    Page.CurrentTag += ">\r\n<meta ";
    Page.CurrentTag += httpEquiv ? "http-equiv" : "name";
    Page.CurrentTag += "=\"";
    Page.CurrentTag += Arg1;
    Page.CurrentTag += "\" content=\"\"";
    Page.MetaInserted = true;
}

int WalkPage(const std::string& pagePath, const WalkOptions& options, const PieceHandler& Handler)
{
    const MonotonicTime started = MonotonicNow();

    // Own copies: a handler may change the page state or the strings the
    // options refer to.
    const std::string path = pagePath;
    const std::string arg1 = options.Arg1, arg2 = options.Arg2, arg3 = options.Arg3;
    const ui::WindowId OwnerWindow = options.Owner;
    const bool ReportErrors = options.ReportErrors;
    const bool SetTitle = options.SetTitle;
    const bool ShowProgress = options.ShowProgress;
    const bool WriteCopy = options.WriteCopy;
    const bool PumpEvents = options.PumpEvents;
    PageState& state = options.State ? *options.State : Page;
    const std::string name = DisplayFileName(path);

    // In write mode the walk is a change of the page (page/page_change.h):
    // its own, or a step of the change its caller groups walks in. The
    // change holds the page's lock, and gives the content to read.
    std::unique_ptr<PageChange> ownChange;
    PageChange* change = nullptr;
    if (WriteCopy) {
        change = GroupedPageChange(path);
        if (change == nullptr) {
            ownChange = std::make_unique<PageChange>(path, OwnerWindow, ReportErrors);
            change = ownChange.get();
        }
        if (!change->Begin())
            return 0;
    }

    // A read walk of a page whose change is under way reads the change's
    // content, as its write walks do.
    if (!WriteCopy) {
        if (PageChange* grouped = GroupedPageChange(path); grouped != nullptr && grouped->Begun())
            change = grouped;
    }

    // An empty page is walked at once: nothing to cut, nothing to change.
    struct stat pageStat {};
    if (change ? ::fstat(change->SourceFd(), &pageStat) != 0
               : ::stat(path.c_str(), &pageStat) != 0 || !S_ISREG(pageStat.st_mode))
        return 0;
    if (pageStat.st_size == 0) {
        if (ownChange)
            ownChange->Abandon(ChangeOutcome::Unchanged);
        return 1;
    }

    // Open the page, and create the copy in write mode (a new file of a
    // name of our own beside the page, which no other walk writes).
    FileHandle page(change ? ::dup(change->SourceFd()) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!page.Valid())
        return 0;
    int copyFd = -1;
    if (WriteCopy) {
        copyFd = change->NewCopy();
        if (copyFd < 0)
            return 0;
    }

    // A file that does not look like HTML is not walked.
    std::int64_t fileEnd = pageStat.st_size;
    if (!LooksLikeHtml(page.Get(), fileEnd)) {
        if (ReportErrors)
            ui::Ui().ShowMessage(OwnerWindow, ErrorTitle(name),
                                 TranslateFrenchKey("Ce document n'est pas de type HTML."));
        state.CurrentPagePath.clear();
        return 0;
    }

    // The owner window names the page in its caption.
    if (SetTitle && OwnerWindow > 0)
        ui::Ui().SetWindowTitle(OwnerWindow, "Kestrova - Page \"" + name + "\"");

    // Cut the blocks into pieces and hand each piece to the handler.
    //
    // The buffer holds the page from bufStart on. A piece is cut only from
    // bytes that are all in the buffer, and it is cut the same way whatever
    // block boundaries lie around it: when the buffered bytes do not settle
    // the piece, more is read and the piece is cut again. A piece may be at
    // most WalkMaxPieceLength bytes long; a longer one is reported, copied
    // unchanged and skipped. A zero byte ends the stretch of text it lies in:
    // the zero bytes themselves are copied unchanged and never given to the
    // handler.
    const std::size_t blockSize = std::max<std::size_t>(1, gBlockSize);
    const std::size_t capacity = WalkMaxPieceLength + blockSize;
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::int64_t bufStart = 0;
    std::size_t bufLen = 0;
    std::int64_t pos = 0;  // start of the next piece
    // How much longer the decoded pieces of a UTF-8 page are than their
    // bytes: the offsets handed to the handler count decoded characters, so
    // that positions the handler derives from a piece's decoded length keep
    // page order (always 0 for a Windows-1252 page).
    std::int64_t decodedShift = 0;
    std::int64_t nextZero = -1;    // first zero byte at or after pos, -1 when none is known
    std::int64_t zeroScanned = 0;  // the buffer has been searched for zero bytes up to here
    bool atEof = false;
    bool readFailed = false;
    bool script = false;
    bool javascript = false;
    bool abnormalReported = false;
    bool tooLong = false;
    ProgressGuard progress;
    std::unique_ptr<CopyWriter> writer;
    if (WriteCopy)
        writer = std::make_unique<CopyWriter>(copyFd);

    // The page's encoding. The byte-order mark and the meta tags of the
    // first bytes are read with the first block; without them the first
    // byte above 0x80 decides (everything before it is ASCII, the same text
    // in both encodings).
    bool utf8 = false;
    bool encodingOpen = true;  // the first block has not been read yet
    bool encodingByBytes = false;
    state.PageUtf8 = false;
    state.LongPieces = 0;
    auto decideEncoding = [&](const char* block, std::size_t got, std::int64_t from) {
        if (!encodingByBytes) {
            std::string ownHead;
            std::string_view head(block, got);
            if (static_cast<std::int64_t>(got) < std::min<std::int64_t>(WalkBlockSize, fileEnd)) {
                // A small test block: the declaration is looked for in as
                // many bytes as with the usual block size.
                ownHead.resize(static_cast<std::size_t>(std::min<std::int64_t>(WalkBlockSize, fileEnd)));
                const ssize_t n = ReadAt(page.Get(), ownHead.data(), ownHead.size(), 0);
                ownHead.resize(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
                head = ownHead;
            }
            const DeclaredEncoding declared = DeclaredPageEncoding(head);
            if (declared != DeclaredEncoding::None) {
                utf8 = declared == DeclaredEncoding::Utf8;
                encodingOpen = false;
                return;
            }
            encodingByBytes = true;
        }
        const std::size_t high = FirstHighByte(block, got);
        if (high < got) {
            // The bytes in hand first: a Windows-1252 page fails there.
            const long valid = ValidUtf8Prefix(block + high, got - high);
            utf8 = valid >= 0 && IsUtf8FromOffset(page.Get(), from + static_cast<std::int64_t>(high) + valid, fileEnd);
            encodingOpen = false;
        }
    };

    // Decides the encoding by the bytes of the page that have not been read
    // yet: their first byte above 0x80, or Windows-1252 when there is none.
    // Needed before a piece that holds the byte 0x0E is handed over while
    // the encoding is still open: a UTF-8 page escapes it, so the piece
    // would read otherwise than with blocks that reach the first high byte.
    auto settleEncodingAhead = [&] {
        constexpr std::size_t ChunkSize = 1 << 16;
        std::unique_ptr<char[]> chunk(new char[ChunkSize]);
        std::int64_t from = bufStart + static_cast<std::int64_t>(bufLen);
        utf8 = false;
        while (from < fileEnd) {
            const ssize_t got =
                ReadAt(page.Get(), chunk.get(),
                       static_cast<std::size_t>(std::min<std::int64_t>(ChunkSize, fileEnd - from)), from);
            if (got <= 0)
                break;
            const std::size_t n = static_cast<std::size_t>(got);
            const std::size_t high = FirstHighByte(chunk.get(), n);
            if (high < n) {
                const long valid = ValidUtf8Prefix(chunk.get() + high, n - high);
                utf8 =
                    valid >= 0 && IsUtf8FromOffset(page.Get(), from + static_cast<std::int64_t>(high) + valid, fileEnd);
                break;
            }
            from += got;
        }
        encodingOpen = false;
        state.PageUtf8 = utf8;
    };

    auto at = [&](std::int64_t offset) { return buffer.get() + (offset - bufStart); };
    auto readEnd = [&] { return bufStart + static_cast<std::int64_t>(bufLen); };

    auto findZero = [&] {
        if (nextZero >= pos)
            return;
        nextZero = -1;
        std::int64_t from = std::max(zeroScanned, pos);
        std::int64_t end = readEnd();
        if (from < end) {
            const void* z = std::memchr(at(from), 0, static_cast<std::size_t>(end - from));
            if (z)
                nextZero = bufStart + (static_cast<const char*>(z) - buffer.get());
        }
        // Past a found zero byte nothing is known yet.
        zeroScanned = nextZero >= 0 ? nextZero : end;
    };

    auto readBlock = [&] {
        if (pos > bufStart) {
            std::size_t keep = static_cast<std::size_t>(readEnd() - pos);
            std::memmove(buffer.get(), at(pos), keep);
            bufStart = pos;
            bufLen = keep;
        }
        const std::int64_t from = readEnd();
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(blockSize, fileEnd - from));
        ssize_t got = ReadAt(page.Get(), buffer.get() + bufLen, want, from);
        if (got < 0 || static_cast<std::size_t>(got) < want) {
            // The page could not be read whole (a read error, or the file
            // shrank under us). Stop there; the copy must not be committed.
            readFailed = true;
            got = std::max<ssize_t>(got, 0);
            fileEnd = from + got;
        }
        bufLen += static_cast<std::size_t>(got);
        if (readEnd() >= fileEnd)
            atEof = true;
        if (encodingOpen) {
            if (from == 0 && fileEnd >= 3) {
                // A byte-order mark makes the page UTF-8; it is copied as it
                // is and never given to a handler.
                char mark[3];
                const bool whole = bufLen >= 3;
                if (whole)
                    std::memcpy(mark, buffer.get(), 3);
                if ((whole || ReadAt(page.Get(), mark, 3, 0) == 3) && std::string_view(mark, 3) == Utf8ByteOrderMark) {
                    utf8 = true;
                    encodingOpen = false;
                    if (writer)
                        writer->Append(mark, 3);
                    if (whole) {
                        pos = 3;
                    } else {  // a test block shorter than the mark: only mark bytes were read
                        bufStart = pos = 3;
                        bufLen = 0;
                        got = 0;
                    }
                }
            }
            if (encodingOpen)
                decideEncoding(buffer.get() + bufLen - got, static_cast<std::size_t>(got), from);
            state.PageUtf8 = utf8;
        }

        // Progress window after 150 ms, and pending window events.
        if (!progress.open && ShowProgress && MonotonicNow() - started > WalkProgressDelay)
            progress.open = ui::Ui().OpenProgress(OwnerWindow, TranslateFrenchKey("Analyse du fichier ") + name);
        if (progress.open) {
            // The file's name: the page's own bytes may be anything, binary
            // included, and are no text to show.
            int percent = fileEnd > 0 ? static_cast<int>(readEnd() * 100 / fileEnd) : 100;
            ui::Ui().SetProgress(name, std::min(percent, 100));
        }
        if (PumpEvents)
            ui::Ui().PumpEvents();
        findZero();
    };

    auto reportAbnormal = [&] {
        // Shown once per walk: a damaged page would otherwise raise one
        // message box per block.
        if (ReportErrors && !abnormalReported)
            ui::Ui().ShowMessage(
                OwnerWindow, ErrorTitle(name),
                TranslateFrenchKey("Ce fichier semble anormal est n'a pas \xE9t\xE9 lu en totalit\xE9."));
        abnormalReported = true;
    };

    // Line and column of pos, when asked for: every byte the walk passes
    // over goes through advance, handed to the handler or not.
    const bool countLines = options.CountLines;
    std::int64_t line = 1, column = 1;
    auto advance = [&](const char* bytes, std::size_t n) {
        const char* end = bytes + n;
        const char* from = bytes;
        if (const void* last = memrchr(bytes, '\n', n)) {
            line += std::count(bytes, end, '\n');
            column = 1;
            from = static_cast<const char*>(last) + 1;
        }
        if (utf8)
            column += std::count_if(from, end, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
        else
            column += end - from;
    };
    state.PieceLine = state.PieceColumn = 1;

    std::string& text = state.CurrentText;
    std::string& tag = state.CurrentTag;
    // On a UTF-8 page: the piece as decoded, before the handler ran.
    std::string decodedText, decodedTag;
    // Text typed for a UTF-8 page comes to the handlers through their
    // arguments; only then may a handler give a Windows-1252 page escapes.
    const bool argsHoldEscapes = HoldsEscape(arg1) || HoldsEscape(arg2) || HoldsEscape(arg3);

    for (;;) {
        if (pos >= readEnd()) {
            if (atEof)
                break;
            readBlock();
            continue;
        }
        if (nextZero == pos) {
            const char* p = at(pos);
            std::size_t avail = static_cast<std::size_t>(readEnd() - pos);
            std::size_t zeros = 0;
            while (zeros < avail && p[zeros] == 0)
                ++zeros;
            if (writer)
                writer->Append(p, zeros);
            if (countLines)
                advance(p, zeros);
            pos += static_cast<std::int64_t>(zeros);
            findZero();
            continue;
        }

        const std::size_t avail = static_cast<std::size_t>(readEnd() - pos);
        std::size_t limit = std::min(avail, WalkMaxPieceLength);
        bool atEnd = false;
        if (nextZero >= 0 && static_cast<std::size_t>(nextZero - pos) <= limit) {
            limit = static_cast<std::size_t>(nextZero - pos);
            atEnd = true;
        } else if (atEof && limit == avail) {
            atEnd = true;
        }

        // Cut the piece. Both texts are emptied before each cut, so after a
        // walk that ends in an incomplete piece they are empty.
        text.clear();
        tag.clear();
        std::size_t length = 0;
        const char* piece = at(pos);
        PieceKind kind = CutPiece(piece, limit, atEnd, script, javascript, length);
        if (kind == PieceKind::Incomplete) {
            if (atEnd || limit == WalkMaxPieceLength) {
                // A tag or text run longer than a piece may be, or a tag
                // that never closes: reported, copied unchanged.
                reportAbnormal();
                ++state.LongPieces;
                if (writer)
                    writer->Append(piece, limit);
                if (countLines)
                    advance(piece, limit);
                pos += static_cast<std::int64_t>(limit);
                continue;
            }
            readBlock();
            continue;
        }

        if (encodingOpen && std::memchr(piece, EscapeStart, length) != nullptr) [[unlikely]]
            settleEncodingAhead();
        bool emptyTag = false;
        if (kind == PieceKind::Text) {
            if (utf8)
                DecodeUtf8Piece(piece, length, text, decodedText, writer != nullptr);
            else
                text.assign(piece, length);
        } else {
            if (utf8)
                DecodeUtf8Piece(piece + 1, length - 2, tag, decodedTag, writer != nullptr);
            else
                tag.assign(piece + 1, length - 2);
            emptyTag = length == 2;
            // A script or style start tag: its content is skipped up to the end tag.
            if (StartsWithNoCase(tag, "script") || StartsWithNoCase(tag, "style")) {
                script = true;
                std::replace(tag.begin(), tag.end(), '\'', '"');
                if (ContainsNoCase(tag, "\"javascript\""))
                    javascript = true;
            }
        }
        const std::int64_t pieceEnd = pos + static_cast<std::int64_t>(length);
        pos = pieceEnd;
        if (countLines) {
            state.PieceLine = line;
            state.PieceColumn = column;
            advance(piece, length);
        }
        if (utf8) {
            const std::size_t decoded = kind == PieceKind::Text ? text.size() : tag.size() + 2;
            decodedShift += static_cast<std::int64_t>(decoded) - static_cast<std::int64_t>(length);
        }

        // The handler sees every piece outside script and style elements.
        if (!script && Handler) {
            state.PieceOffset = pieceEnd + decodedShift;
            Handler(pieceEnd + decodedShift, arg1, arg2, arg3);
            if (WriteCopy && PieceTooLong(text, tag))
                tooLong = true;
        }

        // Either end tag ends either kind of element.
        if (StartsWithNoCase(tag, "/script") || StartsWithNoCase(tag, "/style")) {
            script = false;
            javascript = false;
        }

        // The copy gets the piece as the handler left it: on a UTF-8
        // page, the page's own bytes when the handler changed nothing, the
        // piece encoded back to UTF-8 otherwise.
        if (writer && utf8) {
            WriteUtf8Piece(*writer, piece, length, kind == PieceKind::Text, text, tag, decodedText, decodedTag,
                           emptyTag);
        } else if (writer) {
            if (argsHoldEscapes && (HoldsEscape(text) || HoldsEscape(tag))) [[unlikely]] {
                WriteEscapesToWindows1252(*writer, piece, length, text, tag, emptyTag);
                continue;
            }
            if (!text.empty())
                writer->Append(text);
            if (!tag.empty()) {
                writer->Put('<');
                writer->Append(tag);
                writer->Put('>');
            } else if (emptyTag) {
                writer->Append("<>", 2);  // "<>" has an empty content; keep it
            }
        }
    }

    // The page is closed; the progress window closes with its guard.
    page.Close();
    if (progress.open) {
        ui::Ui().CloseProgress();
        progress.open = false;
    }

    if (readFailed) {
        reportAbnormal();
        return WriteCopy ? 0 : 1;
    }
    if (!WriteCopy)
        return 1;

    // Compare the copy with the content read, and commit.
    writer->Flush();
    if (writer->Failed()) {
        if (ReportErrors)
            ui::Ui().ShowMessage(OwnerWindow, ErrorTitle(name),
                                 TranslateFrenchKey("La copie de la page n'a pu \xEAtre \xE9"
                                                    "crite, la page n'a pas \xE9t\xE9 "
                                                    "modifi\xE9"
                                                    "e !!!"));
        return 0;
    }
    if (tooLong) {
        // Refused before anything is written: a page that holds a piece the
        // walker cannot read back would be misread by every later walk.
        if (ReportErrors)
            ui::Ui().ShowMessage(OwnerWindow, ErrorTitle(name),
                                 TranslateFrenchKey("Une balise ou un texte deviendrait trop long pour \xEAtre relu, "
                                                    "la page n'a pas \xE9t\xE9 modifi\xE9"
                                                    "e !!!"));
        return 0;
    }
    if (SameContent(change->SourceFd(), copyFd)) {
        change->DiscardCopy();
        if (ownChange)
            ownChange->Abandon(ChangeOutcome::Unchanged);
        return 1;
    }
    change->StageCopy();
    // A grouped step leaves the commit to its group.
    if (!ownChange)
        return 1;
    return ownChange->Commit() ? 1 : 0;
}

}  // namespace kestrova
