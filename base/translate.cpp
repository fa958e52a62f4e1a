#include "base/translate.h"

#include "base/app_state.h"
#include "base/text_tables.h"

namespace kestrova {

std::string TranslateFrenchKey(const std::string& text)
{
    if (App.Language == LanguageFrench)
        return text;
    const char* english = FindFrenchKey(FrenchKeyTable, text);
    if (english == nullptr)
        english = FindFrenchKey(SupplementFrenchKeyTable, text);
    if (english == nullptr || *english == '\0')
        return text;
    return english;
}

namespace {

// Field `number` (from 1) of a "|"-separated line; "" when absent.
std::string LineField(const std::string& line, int number)
{
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) {
        std::size_t bar = line.find('|', start);
        if (bar == std::string::npos)
            return "";
        start = bar + 1;
    }
    std::size_t end = line.find('|', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

std::string TranslateEnglishKey(const std::string& text)
{
    int field;
    if (App.Language == LanguageFrench)
        field = 2;
    else if (App.Language == LanguageUkrainian)
        field = 3;
    else if (App.Language == LanguageRussian)
        field = 4;
    else if (App.Language == LanguageGerman)
        field = 5;
    else
        return text;
    // An empty text would be a prefix of the first line and come back as
    // "Retirer"; nothing to translate there.
    if (text.empty())
        return text;
    const char* line = FindEnglishKeyLine(EnglishKeyTable, text);
    if (line == nullptr)
        return text;
    std::string translated = LineField(line, field);
    return translated.empty() ? text : translated;
}

}  // namespace kestrova
