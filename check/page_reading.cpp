// The one walk of a page that the site check makes, and what it keeps.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "base/app_state.h"
#include "base/text_rules.h"
#include "base/text_scan.h"
#include "base/unicode_text.h"
#include "check/page_facts.h"
#include "check/tag_reader.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "page/page_walker.h"

namespace kestrova::check {

namespace {

const std::unordered_set<std::string>& UsualWordSet()
{
    static const std::unordered_set<std::string> words = [] {
        std::unordered_set<std::string> set;
        const std::string list = BuildUsualWords();
        std::size_t start = 0;
        while (start < list.size()) {
            std::size_t end = list.find('/', start);
            if (end == std::string::npos)
                end = list.size();
            if (end > start)
                set.insert(list.substr(start, end - start));
            start = end + 1;
        }
        return set;
    }();
    return words;
}

// Digits only, no leading zero, within the signed 32-bit range: the word
// rules do not count it.
bool IsNumber(std::string_view word)
{
    if (word.empty() || word.size() > 10 || word[0] == '0')
        return false;
    long long value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 2147483647LL;
}

// Line ends and tabs as spaces, entities decoded, runs of spaces made one,
// no outer spaces.
std::string PlainText(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    const std::string decoded = DecodeEntities(text);
    std::string out;
    out.reserve(decoded.size());
    for (char c : decoded) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The name of an image file as the analysis counts it: after the last "/",
// without its extension.
std::string ImageNameWords(const std::string& source)
{
    std::string name = source.substr(source.find_last_of('/') == std::string::npos ? 0 : source.find_last_of('/') + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return name;
}

// The charset named in a content-type value ("text/html; charset=utf-8").
std::string CharsetOfContentType(const std::string& value)
{
    const std::string lower = LowerAscii(value);
    const std::size_t at = lower.find("charset=");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + 8;
    std::size_t end = lower.find_first_of("; \"'", start);
    return lower.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string TrimAscii(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Whether a robots content holds "noindex", or "none" (no index, no
// follow), as one of its comma- or space-separated words.
bool AsksNotToIndex(const std::string& content)
{
    const std::string words = LowerAscii(content);
    std::size_t start = 0;
    while (start < words.size()) {
        const std::size_t end = std::min(words.find_first_of(", \t\r\n", start), words.size());
        const std::string_view word(words.data() + start, end - start);
        if (word == "noindex" || word == "none")
            return true;
        start = end + 1;
    }
    return false;
}

bool HasInvalidUtf8Escape(const std::string& text)
{
    for (std::size_t at = text.find(EscapeStart); at != std::string::npos; at = text.find(EscapeStart, at + 1)) {
        char32_t code = 0;
        if (ReadEscape(text, at, code) > 0 && code >= 0xDC80 && code <= 0xDCFF)
            return true;
    }
    return false;
}

// The walk's handler: reads each piece into the facts.
class FactReader {
public:
    FactReader(PageState& state, PageFacts& facts) : state_(state), facts_(facts) {}

    bool SawPiece() const { return sawPiece_; }

    void Piece()
    {
        sawPiece_ = true;
        const Place at{static_cast<int>(state_.PieceLine), static_cast<int>(state_.PieceColumn)};
        if (!state_.CurrentTag.empty())
            Tag(state_.CurrentTag, at);
        else if (!state_.CurrentText.empty())
            Text(state_.CurrentText);
    }

    void Finish()
    {
        if (title_ != nullptr)
            facts_.Title = PlainText(*title_);
        if (!h1Text_.empty())
            facts_.FirstH1 = PlainText(h1Text_);
    }

private:
    void NoteBytes(const std::string& piece)
    {
        if (state_.PageUtf8) {
            if (!facts_.HighBytes && (HoldsEscape(piece) || FirstHighByte(piece.data(), piece.size()) < piece.size()))
                facts_.HighBytes = true;
            if (!facts_.InvalidUtf8 && HoldsEscape(piece) && HasInvalidUtf8Escape(piece))
                facts_.InvalidUtf8 = true;
            return;
        }
        if (FirstHighByte(piece.data(), piece.size()) < piece.size()) {
            facts_.HighBytes = true;
            if (facts_.HighBytesUtf8 && !IsValidUtf8(piece))
                facts_.HighBytesUtf8 = false;
        }
    }

    void CountAttributeText(const std::string& value) { CutWords(value, facts_.AttributeWords); }

    void Tag(const std::string& text, const Place& at)
    {
        NoteBytes(text);
        ReadTag(text, tag_);
        const std::string& name = tag_.Name;
        if (name == "!")
            return;
        if (tag_.Closing) {
            if (name == "title")
                inTitle_ = false;
            else if (name == "h1")
                inH1_ = false;
            return;
        }
        if (const std::string* id = tag_.Get("id"); id != nullptr && !id->empty())
            facts_.Anchors.insert(*id);
        if (const std::string* alt = tag_.Get("alt"))
            CountAttributeText(*alt);
        if (const std::string* background = tag_.Get("background"))
            CountAttributeText(ImageNameWords(DecodeEntities(*background)));

        if (name == "html") {
            facts_.HtmlTag = true;
            facts_.HtmlPlace = at;
            const std::string* lang = tag_.Get("lang");
            facts_.HtmlLang = lang != nullptr && !TrimAscii(*lang).empty();
            if (lang != nullptr)
                facts_.HtmlLangValue = TrimAscii(*lang);
        } else if (name == "head") {
            facts_.Start = at;
        } else if (name == "title") {
            if (++facts_.TitleCount == 1) {
                facts_.TitlePlace = at;
                title_ = &titleText_;
            }
            inTitle_ = facts_.TitleCount == 1;
        } else if (name == "meta") {
            Meta(at);
        } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
            const int level = name[1] - '0';
            facts_.Headings.push_back({level, at});
            if (level == 1 && !h1Seen_) {
                h1Seen_ = true;
                inH1_ = true;
            }
        } else if (name == "img") {
            PageFacts::Image image;
            image.At = at;
            if (const std::string* src = tag_.Get("src")) {
                image.HasSource = true;
                image.Source = TrimAscii(DecodeEntities(*src));
                CountAttributeText(ImageNameWords(image.Source));
            }
            image.HasAlt = tag_.Has("alt");
            facts_.Images.push_back(std::move(image));
        } else if (name == "a" || name == "area" || name == "link") {
            if (name == "a")
                if (const std::string* anchor = tag_.Get("name"); anchor != nullptr && !anchor->empty())
                    facts_.Anchors.insert(*anchor);
            if (name == "link") {
                const std::string* rel = tag_.Get("rel");
                if (rel != nullptr && (" " + LowerAscii(*rel) + " ").find(" canonical ") != std::string::npos)
                    facts_.Canonicals.push_back(at);
            }
            if (const std::string* href = tag_.Get("href"))
                facts_.Links.push_back({TrimAscii(DecodeEntities(*href)), name, at});
        } else if (const std::string* content = tag_.Get("content")) {
            CountAttributeText(*content);
        }
    }

    void Meta(const Place& at)
    {
        const std::string* nameValue = tag_.Get("name");
        const std::string* equiv = tag_.Get("http-equiv");
        const std::string* content = tag_.Get("content");
        const std::string metaName = nameValue ? LowerAscii(TrimAscii(*nameValue)) : std::string();
        const std::string equivName = equiv ? LowerAscii(TrimAscii(*equiv)) : std::string();
        if (const std::string* charset = tag_.Get("charset"); charset != nullptr && facts_.DeclaredCharset.empty()) {
            facts_.DeclaredCharset = LowerAscii(TrimAscii(*charset));
            facts_.CharsetPlace = at;
        }
        if (equivName == "content-type" && content != nullptr && facts_.DeclaredCharset.empty()) {
            facts_.DeclaredCharset = CharsetOfContentType(*content);
            facts_.CharsetPlace = at;
        }
        if (equivName == "refresh")
            facts_.Refresh.push_back(at);
        if (metaName == "viewport")
            facts_.Viewport = true;
        if (metaName == "robots" && content != nullptr && AsksNotToIndex(*content))
            facts_.Noindex.push_back(at);
        if (metaName == "description") {
            if (++facts_.DescriptionCount == 1) {
                facts_.DescriptionPlace = at;
                facts_.Description = content ? PlainText(*content) : std::string();
            }
        }
        if (metaName == "keywords" || metaName == "keyword") {
            facts_.KeywordsTag = true;
            facts_.KeywordsPlace = at;
            facts_.Keywords.clear();
            const std::string value = content ? *content : std::string();
            std::size_t start = 0;
            while (start <= value.size()) {
                std::size_t comma = value.find(',', start);
                if (comma == std::string::npos)
                    comma = value.size();
                std::string keyword = PlainText(value.substr(start, comma - start));
                if (!keyword.empty())
                    facts_.Keywords.push_back(std::move(keyword));
                start = comma + 1;
            }
            return;  // declared keywords are not counted as words
        }
        if (content != nullptr)
            CountAttributeText(*content);
    }

    void Text(const std::string& text)
    {
        NoteBytes(text);
        if (inTitle_) {
            titleText_ += text;
            CutWords(text, facts_.TitleWords);
            return;
        }
        if (inH1_)
            h1Text_ += text;
        CutWords(text, facts_.TextWords);
    }

    PageState& state_;
    PageFacts& facts_;
    TagView tag_;
    std::string titleText_, h1Text_;
    const std::string* title_ = nullptr;
    bool inTitle_ = false;
    bool inH1_ = false;
    bool h1Seen_ = false;
    bool sawPiece_ = false;
};

}  // namespace

bool IsUsualWord(const std::string& word)
{
    return UsualWordSet().contains(word);
}

namespace {

// IsWordSeparator as a table: it is asked for every byte of every text.
const std::array<bool, 256>& SeparatorTable()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(c)] = IsWordSeparator(static_cast<char>(c));
        return t;
    }();
    return table;
}

}  // namespace

void CutWords(const std::string& text, std::vector<std::string>& words)
{
    const std::array<bool, 256>& separator = SeparatorTable();
    // Line ends and tabs are separators already; entities are decoded only
    // when there is one.
    std::string decoded;
    std::string_view all(text);
    if (text.find('&') != std::string::npos) {
        decoded = text;
        for (char& c : decoded)
            if (c == '\n' || c == '\r' || c == '\t')
                c = ' ';
        decoded = DecodeEntities(decoded);
        all = decoded;
    }
    const bool escapes = all.find(EscapeStart) != std::string_view::npos;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = start;
        while (end < all.size() && !separator[static_cast<unsigned char>(all[end])])
            ++end;
        if (end - start >= 2) {
            std::string_view candidate = all.substr(start, end - start);
            if (!IsNumber(candidate) && (!escapes || PageTextLength(candidate) >= 2)) {
                std::string& word = words.emplace_back(candidate);
                for (char& c : word)
                    c = static_cast<char>(textscan::LowerTable[static_cast<unsigned char>(c)]);
                if (escapes && HoldsEscape(word))
                    word = LowerEscapedCharacters(word);
            }
        }
        start = end + 1;
    }
}

bool ReadPageFacts(const std::string& path, PageFacts& facts)
{
    PageState state;
    FactReader reader(state, facts);
    const WalkOptions options{.ReportErrors = false,
                              .SetTitle = false,
                              .ShowProgress = false,
                              .WriteCopy = false,
                              .PumpEvents = false,
                              .CountLines = true,
                              .State = &state};
    state.CurrentPagePath = path;
    const int result =
        WalkPage(path, options,
                 [&](std::int64_t, const std::string&, const std::string&, const std::string&) { reader.Piece(); });
    if (result != 1 || state.CurrentPagePath.empty() || !reader.SawPiece())
        return false;
    reader.Finish();
    facts.Utf8 = state.PageUtf8;
    facts.Html = true;
    if (facts.Utf8 && facts.DeclaredCharset.empty()) {
        // A byte-order mark declares UTF-8; the walker never hands it over.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char mark[3];
            facts.ByteOrderMark = ::pread(fd, mark, 3, 0) == 3 && std::memcmp(mark, "\xEF\xBB\xBF", 3) == 0;
            ::close(fd);
        }
    }
    return true;
}

}  // namespace kestrova::check
