// The rules of the page's own texts: title, description, headings,
// placeholder texts, the amount of visible text.
#include "base/text_rules.h"

#include <array>
#include <string_view>

#include "check/page_check.h"

namespace kestrova::check {

namespace {

void CheckLength(FindingSink& sink, const std::string& text, const Place& at, const char* shortRule,
                 const char* longRule, const char* shortMessage, const char* longMessage)
{
    const int length = TextLength(text);
    if (sink.On(shortRule) && length < sink.Threshold(shortRule))
        sink.Add(shortRule, at, Say(shortMessage, {std::to_string(length), std::to_string(sink.Threshold(shortRule))}));
    if (sink.On(longRule) && length > sink.Threshold(longRule))
        sink.Add(longRule, at, Say(longMessage, {std::to_string(length), std::to_string(sink.Threshold(longRule))}));
}

bool IsWordByte(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0xC0;
}

// The first placeholder the text holds as whole words, or "".
std::string_view PlaceholderIn(const std::string& text)
{
    static constexpr std::array<std::string_view, 5> placeholders{"lorem ipsum", "todo", "fixme", "untitled",
                                                                  "sans titre"};
    const std::string lower = ToLower(text);
    for (std::string_view word : placeholders) {
        for (std::size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1)) {
            const bool startOk = at == 0 || !IsWordByte(lower[at - 1]);
            const std::size_t end = at + word.size();
            const bool endOk = end >= lower.size() || !IsWordByte(lower[end]);
            if (startOk && endOk)
                return word;
        }
    }
    return {};
}

}  // namespace

void CheckTexts(const PageFacts& facts, FindingSink& sink)
{
    // Title.
    if (facts.TitleCount == 0 || facts.Title.empty())
        sink.Add("title-missing", facts.TitleCount == 0 ? facts.Start : facts.TitlePlace,
                 Say("La page n'a pas de titre"));
    else
        CheckLength(sink, facts.Title, facts.TitlePlace, "title-too-short", "title-too-long",
                    "Titre trop court : %1 caract\xE8res (au moins %2)",
                    "Titre trop long : %1 caract\xE8res (au plus %2)");
    if (facts.TitleCount > 1)
        sink.Add("title-multiple", facts.TitlePlace,
                 Say("La page a %1 balises title", {std::to_string(facts.TitleCount)}));

    // Description.
    if (facts.DescriptionCount == 0 || facts.Description.empty())
        sink.Add("description-missing", facts.DescriptionCount == 0 ? facts.Start : facts.DescriptionPlace,
                 Say("La page n'a pas de description"));
    else
        CheckLength(sink, facts.Description, facts.DescriptionPlace, "description-too-short", "description-too-long",
                    "Description trop courte : %1 caract\xE8res (au moins %2)",
                    "Description trop longue : %1 caract\xE8res (au plus %2)");
    if (facts.DescriptionCount > 1)
        sink.Add("description-multiple", facts.DescriptionPlace,
                 Say("La page a %1 descriptions", {std::to_string(facts.DescriptionCount)}));

    // Headings.
    int h1 = 0;
    const PageFacts::Heading* secondH1 = nullptr;
    int previous = 0;
    for (const PageFacts::Heading& heading : facts.Headings) {
        if (heading.Level == 1 && ++h1 == 2)
            secondH1 = &heading;
        if (previous > 0 && heading.Level > previous + 1)
            sink.Add("heading-skipped", heading.At,
                     Say("Titre h%1 apr\xE8s h%2 : un niveau est saut\xE9",
                         {std::to_string(heading.Level), std::to_string(previous)}));
        previous = heading.Level;
    }
    if (h1 == 0)
        sink.Add("h1-missing", facts.Start, Say("La page n'a pas de titre h1"));
    else if (secondH1 != nullptr)
        sink.Add("h1-multiple", secondH1->At, Say("La page a %1 titres h1", {std::to_string(h1)}));

    // Placeholder texts.
    if (sink.On("placeholder-text")) {
        struct Where {
            const std::string& Text;
            const char* Name;
            Place At;
        };
        Place h1Place = facts.Start;
        for (const PageFacts::Heading& heading : facts.Headings)
            if (heading.Level == 1) {
                h1Place = heading.At;
                break;
            }
        for (const Where& where : {Where{facts.Title, "le titre", facts.TitlePlace},
                                   Where{facts.Description, "la description", facts.DescriptionPlace},
                                   Where{facts.FirstH1, "le titre h1", h1Place}}) {
            const std::string_view found = PlaceholderIn(where.Text);
            if (!found.empty())
                sink.Add("placeholder-text", where.At,
                         Say("Texte provisoire \"%1\" dans %2", {std::string(found), Say(where.Name)}));
        }
    }

    // Visible text.
    const int words = static_cast<int>(facts.TextWords.size());
    if (sink.On("thin-content") && words < sink.Threshold("thin-content"))
        sink.Add("thin-content", facts.Start,
                 Say("Peu de texte : %1 mots (au moins %2)",
                     {std::to_string(words), std::to_string(sink.Threshold("thin-content"))}));
}

}  // namespace kestrova::check
