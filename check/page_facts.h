// What the site check learns of one page in its one read: the parts the
// rules look at, each with where it stands in the page.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace kestrova::check {

// A place in the page file, both from 1.
struct Place {
    int Line = 1;
    int Column = 1;
};

struct PageFacts {
    bool Html = false;  // the walker read it as a web page
    bool Utf8 = false;  // read as UTF-8

    Place Start;  // the head tag, else the start of the page
    bool HtmlTag = false;
    bool HtmlLang = false;
    std::string HtmlLangValue;  // the lang attribute as written
    Place HtmlPlace;

    int TitleCount = 0;
    Place TitlePlace;
    std::string Title;  // the first title, entities decoded, spaces collapsed

    int DescriptionCount = 0;
    Place DescriptionPlace;
    std::string Description;  // the first description's content, decoded

    bool KeywordsTag = false;
    Place KeywordsPlace;
    std::vector<std::string> Keywords;  // of the last keywords tag, decoded

    bool Viewport = false;
    std::vector<Place> Canonicals;
    std::vector<Place> Noindex;
    std::vector<Place> Refresh;

    std::string DeclaredCharset;  // lower case, "" when none is declared
    Place CharsetPlace;
    bool ByteOrderMark = false;
    bool HighBytes = false;     // a byte above 0x7F in the text or tags
    bool HighBytesUtf8 = true;  // ...and all of them form UTF-8 sequences
    bool InvalidUtf8 = false;   // a UTF-8 page holds bytes UTF-8 cannot read

    struct Heading {
        int Level;
        Place At;
    };
    std::vector<Heading> Headings;
    std::string FirstH1;  // its text, decoded

    struct Image {
        std::string Source;  // decoded; "" when there is no src
        bool HasSource = false;
        bool HasAlt = false;
        Place At;
    };
    std::vector<Image> Images;

    struct Link {
        std::string Target;  // decoded href
        std::string Tag;     // "a", "area" or "link"
        Place At;
    };
    std::vector<Link> Links;

    std::unordered_set<std::string> Anchors;  // id and name values

    // The words of the visible text (not the title), lower-cased.
    std::vector<std::string> TextWords;
    std::vector<std::string> TitleWords;
    // The words of the attribute texts the page analysis counts (alt texts,
    // image names, meta contents), lower-cased.
    std::vector<std::string> AttributeWords;
};

// Reads the page at path (one walk, on any thread). False when it is not a
// web page or cannot be read.
bool ReadPageFacts(const std::string& path, PageFacts& facts);

// Whether the page analysis counts the word: visible words and title words
// count unless they are usual words; attribute words always count.
bool IsUsualWord(const std::string& word);

// The words of a page text as the word rules cut them (entities decoded,
// separators, at least 2 characters, numbers left out), lower-cased.
void CutWords(const std::string& text, std::vector<std::string>& words);

}  // namespace kestrova::check
