#include "check/check_rules.h"

#include <tuple>
#include <unordered_map>

#include "base/app_state.h"
#include "base/translate.h"

namespace kestrova::check {

std::string_view SeverityName(Severity severity)
{
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Notice:
            return "notice";
        case Severity::Off:
            break;
    }
    return "off";
}

std::optional<Severity> SeverityFromName(std::string_view name)
{
    for (Severity s : {Severity::Error, Severity::Warning, Severity::Notice, Severity::Off})
        if (SeverityName(s) == name)
            return s;
    return std::nullopt;
}

const std::vector<Rule>& Rules()
{
    using enum Severity;
    // French descriptions, translated by the text tables.
    static const std::vector<Rule> rules = {
        {"title-missing", Error, -1, "Pas de titre, ou un titre vide"},
        {"title-multiple", Error, -1, "Plus d'une balise title"},
        {"title-too-short", Warning, 10, "Titre de moins de %1 caract\xE8res"},
        {"title-too-long", Warning, 70, "Titre de plus de %1 caract\xE8res"},
        {"title-duplicate", Warning, -1, "Le m\xEAme titre sur plusieurs pages"},
        {"description-missing", Error, -1, "Pas de balise meta description, ou une description vide"},
        {"description-multiple", Error, -1, "Plus d'une description"},
        {"description-too-short", Warning, 50, "Description de moins de %1 caract\xE8res"},
        {"description-too-long", Warning, 160, "Description de plus de %1 caract\xE8res"},
        {"description-duplicate", Warning, -1, "La m\xEAme description sur plusieurs pages"},
        {"h1-missing", Warning, -1, "Pas de titre h1"},
        {"h1-multiple", Warning, -1, "Plus d'un titre h1"},
        {"heading-skipped", Notice, -1,
         "Un titre de plus d'un niveau sous le pr\xE9"
         "c\xE9"
         "dent (h2 puis h4)"},
        {"img-alt-missing", Warning, -1,
         "Une image sans attribut alt (alt=\"\" marque une image d\xE9"
         "corative)"},
        {"img-file-missing", Error, -1, "Une image locale dont le fichier n'existe pas"},
        {"link-broken", Error, -1, "Un lien local vers un fichier qui n'existe pas"},
        {"link-fragment-missing", Warning, -1, "Un lien \"page#id\" vers une page sans cet id ni ce name"},
        {"link-empty", Warning, -1, "href=\"\" ou href=\"#\""},
        {"link-local-machine", Warning, -1, "Un lien ou une image vers localhost, 127.0.0.1 ou file:"},
        {"lang-missing", Warning, -1, "La balise html n'a pas d'attribut lang"},
        {"charset-mismatch", Warning, -1,
         "Un codage d\xE9"
         "clar\xE9 que les octets ne suivent pas, ou des octets non ASCII "
         "sans codage d\xE9"
         "clar\xE9"},
        {"viewport-missing", Notice, -1, "Pas de balise meta viewport"},
        {"canonical-multiple", Error, -1, "Plus d'un lien canonical"},
        {"robots-noindex", Notice, -1,
         "La page demande \xE0 ne pas \xEAtre index\xE9"
         "e"},
        {"meta-refresh", Warning, -1, "Une balise meta refresh"},
        {"placeholder-text", Warning, -1, "Texte provisoire dans le titre, la description ou le h1"},
        {"thin-content", Notice, 200, "Moins de %1 mots de texte visible"},
        {"orphan-page", Notice, -1, "Aucune autre page du site n'a de lien vers elle"},
        {"keyword-unused", Warning, -1,
         "Un mot cl\xE9 d\xE9"
         "clar\xE9 que la page n'utilise pas"},
        {"keyword-not-in-title", Notice, -1, "Aucun des mots cl\xE9s n'est dans le titre"},
        {"keyword-not-in-description", Notice, -1, "Aucun des mots cl\xE9s n'est dans la description"},
        {"keyword-stuffing", Warning, 4, "Un mot cl\xE9 fait plus de %1 % des mots"},
        {"keyword-competing", Notice, -1,
         "Plusieurs pages d\xE9"
         "clarent le m\xEAme premier mot cl\xE9"},
    };
    return rules;
}

const Rule* FindRule(std::string_view id)
{
    for (const Rule& rule : Rules())
        if (id == rule.Id)
            return &rule;
    return nullptr;
}

std::string FillIn(std::string text, const std::vector<std::string>& values)
{
    // One pass, so that a value holding "%2" is never filled in itself.
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string Say(const char* french, const std::vector<std::string>& values)
{
    // The table is searched once per text and language on each thread: a
    // site may give a million findings.
    thread_local std::string language;
    thread_local std::unordered_map<const char*, std::string> translated;
    if (language != App.Language) {
        translated.clear();
        language = App.Language;
    }
    auto it = translated.find(french);
    if (it == translated.end())
        it = translated.emplace(french, TranslateFrenchKey(french)).first;
    return FillIn(it->second, values);
}

std::string RuleDescription(const Rule& rule, int threshold)
{
    return Say(rule.Description, {std::to_string(threshold)});
}

bool FindingBefore(const Finding& a, const Finding& b)
{
    return std::tie(a.Page, a.Line, a.Column, a.Rule, a.Message) <
           std::tie(b.Page, b.Line, b.Column, b.Rule, b.Message);
}

}  // namespace kestrova::check
