#include "editing/image_tags.h"

#include "base/text_rules.h"
#include "page/page_state.h"

namespace kestrova {

using namespace rewrite;

namespace {

constexpr char ImageDesignatorList[] = "img src/background";

}  // namespace

std::string QuoteSafe(const std::string& value)
{
    std::string out = ReplaceAll(value, "\r\n", " ");
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return ReplaceAll(out, "\"", "&quot;");
}

std::string ListedDesignator(const std::string& tag, const TagAttribute& a, const std::string& designators)
{
    if (a.NameEnd < a.NameStart)
        return {};
    const std::string framed = "/" + designators + "/";
    const std::string name = ToLower(Mid(tag, a.NameStart, a.NameEnd - a.NameStart + 1));
    if (framed.find("/" + name + "/") != std::string::npos)
        return name;
    const std::string qualified = ToLower(Left(tag, ElementNameLength(tag))) + " " + name;
    if (framed.find("/" + qualified + "/") != std::string::npos)
        return qualified;
    return {};
}

std::string AttributeValue(const std::string& tag, const TagAttribute& a)
{
    if (!a.HasValue)
        return {};
    return DecodeEntities(TrimSpaces(Mid(tag, a.ValueStart, a.ValueEnd - a.ValueStart + 1)));
}

void ImagesOfTag(const std::string& tag, std::int64_t tagOffset, std::vector<ImageInPage>& out)
{
    const std::size_t first = out.size();
    bool hasAlt = false;
    std::string alt;
    ForEachTagAttribute(tag, [&](const TagAttribute& a) {
        if (!hasAlt && AttributeNamed(tag, a, "alt")) {
            hasAlt = true;
            alt = AttributeValue(tag, a);
            return true;
        }
        if (!a.HasValue)
            return true;
        std::string designator = ListedDesignator(tag, a, ImageDesignatorList);
        if (designator.empty())
            return true;
        std::string src = AttributeValue(tag, a);
        if (src.empty())
            return true;
        // The cursor value as the attribute handler counts it: the "<" is at
        // tagOffset, the tag's character p at tagOffset + p.
        out.push_back(
            ImageInPage{tagOffset, tagOffset + a.ValueStart + 1, std::move(designator), std::move(src), false, {}});
        return true;
    });
    for (std::size_t i = first; i < out.size(); ++i) {
        out[i].HasAlt = hasAlt;
        out[i].Alt = alt;
    }
}

bool FindPageImages(const std::string& pagePath, WalkOptions options, std::vector<ImageInPage>& out)
{
    out.clear();
    options.WriteCopy = false;
    PageState& state = options.State ? *options.State : Page;
    return WalkPage(pagePath, options,
                    [&](std::int64_t pieceOffset, const std::string&, const std::string&, const std::string&) {
                        if (!state.CurrentTag.empty())
                            ImagesOfTag(state.CurrentTag, PieceStart(pieceOffset, state.CurrentText, state.CurrentTag),
                                        out);
                    }) != 0;
}

}  // namespace kestrova
