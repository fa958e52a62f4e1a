// The rules of the page's head: language, encoding, viewport, canonical
// link, robots and refresh meta tags.
#include "check/page_check.h"

namespace kestrova::check {

namespace {

bool IsUtf8Name(const std::string& charset)
{
    return charset == "utf-8" || charset == "utf8";
}

}  // namespace

void CheckHead(const PageFacts& facts, FindingSink& sink)
{
    if (!facts.HtmlLang)
        sink.Add("lang-missing", facts.HtmlTag ? facts.HtmlPlace : Place{},
                 Say("La balise html n'a pas d'attribut lang"));

    if (sink.On("charset-mismatch")) {
        const std::string& declared = facts.DeclaredCharset;
        if (!declared.empty()) {
            // Declared UTF-8: the bytes must read as UTF-8. Declared
            // otherwise: bytes that all form UTF-8 sequences say the page is
            // UTF-8 in fact.
            const bool wrong = IsUtf8Name(declared) ? facts.InvalidUtf8 || (!facts.Utf8 && facts.HighBytes)
                                                    : !facts.Utf8 && facts.HighBytes && facts.HighBytesUtf8;
            if (wrong)
                sink.Add("charset-mismatch", facts.CharsetPlace,
                         Say("Les octets de la page ne suivent pas le codage d\xE9"
                             "clar\xE9 (%1)",
                             {declared}));
        } else if (facts.HighBytes && !facts.ByteOrderMark) {
            sink.Add("charset-mismatch", facts.Start,
                     Say("Caract\xE8res non ASCII sans codage d\xE9"
                         "clar\xE9"));
        }
    }

    if (!facts.Viewport)
        sink.Add("viewport-missing", facts.Start, Say("La page n'a pas de balise meta viewport"));
    if (facts.Canonicals.size() > 1)
        sink.Add("canonical-multiple", facts.Canonicals[1],
                 Say("La page a %1 liens canonical", {std::to_string(facts.Canonicals.size())}));
    if (!facts.Noindex.empty())
        sink.Add("robots-noindex", facts.Noindex.front(),
                 Say("La page demande \xE0 ne pas \xEAtre index\xE9"
                     "e"));
    for (const Place& at : facts.Refresh)
        sink.Add("meta-refresh", at, Say("Balise meta refresh"));
}

}  // namespace kestrova::check
