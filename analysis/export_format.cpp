#include "analysis/export_format.h"

#include <fstream>

#include "base/text_rules.h"
#include "base/translate.h"
#include "base/unicode_text.h"

namespace kestrova {

namespace {
constexpr char CR = '\r';
constexpr char TAB = '\t';

void AppendList(std::string& text, const ExportList& list)
{
    static const ReportList empty;
    text += ListText(list.List ? *list.List : empty, list.ColumnTitles);
}
}  // namespace

std::vector<std::string> KeywordColumnTitles()
{
    // "Mots clés", "Utilisés"
    return {TranslateFrenchKey("Mots cl\xE9s"), TranslateFrenchKey("Utilis\xE9s")};
}

std::vector<std::string> UsualColumnTitles()
{
    return {TranslateFrenchKey("Mots usuels"), TranslateFrenchKey("Nb occurences")};
}

std::vector<std::string> OtherColumnTitles()
{
    return {TranslateFrenchKey("Autre mots"), TranslateFrenchKey("Nb occurences")};
}

ExportSource MainWindowExportSource(const std::string& windowTitle, const std::string& titleText,
                                    const std::string& descriptionText)
{
    ExportSource s;
    s.WindowTitle = windowTitle;
    s.TitleText = titleText;
    s.DescriptionText = descriptionText;
    s.Keywords = {&Page.KeywordList, KeywordColumnTitles()};
    s.UsualWords = {&Page.UsualWordList, UsualColumnTitles()};
    s.OtherWords = {&Page.OtherWordList, OtherColumnTitles()};
    s.Utf8File = Page.PageUtf8;
    return s;
}

std::string ListText(const ReportList& list, const std::vector<std::string>& columnTitles)
{
    std::string text;
    for (const auto& title : columnTitles) {
        text += title;
        text += TAB;
    }
    text += CR;
    text += CR;
    // Every row has as many cells as the list has columns; a row shorter
    // than that shows empty cells, as a list view does.
    for (const auto& row : list.Rows) {
        for (std::size_t c = 0; c < columnTitles.size(); ++c) {
            if (c < row.size())
                text += row[c];
            text += TAB;
        }
        text += CR;
    }
    return text;
}

std::string ExportText(const ExportSource& source)
{
    std::string text = source.WindowTitle;
    text += "\r\r";
    text += TranslateFrenchKey("Titre de la page :") + " " + source.TitleText + "\r\r";
    text += TranslateFrenchKey("Description de la page :") + " " + source.DescriptionText + "\r\r";
    // "Mots déclarés dans la liste des mots clés de cette page :"
    text += TranslateFrenchKey("Mots d\xE9"
                               "clar\xE9s dans la liste des mots cl\xE9s de cette page :");
    text += CR;
    AppendList(text, source.Keywords);
    text += "\r\r";
    // "Mots trouvés dans cette page :"
    text += TranslateFrenchKey("Mots trouv\xE9s dans cette page :");
    text += CR;
    AppendList(text, source.UsualWords);
    text += "\r\r";
    AppendList(text, source.OtherWords);
    return text;
}

ExportData BuildExport(const ExportSource& source)
{
    ExportData data;
    data.ClipboardText = ExportText(source);
    data.FileBytes = " \r\n" + TrimSpaces(data.ClipboardText) + "\r\n";
    if (source.Utf8File)
        data.FileBytes = PageTextToDisplay(data.FileBytes);
    return data;
}

bool WriteExportFile(const std::string& path, const ExportData& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(data.FileBytes.data(), static_cast<std::streamsize>(data.FileBytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace kestrova
