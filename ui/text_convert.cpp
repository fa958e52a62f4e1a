#include "ui/text_convert.h"

#include <QByteArray>
#include <QFile>

#include "base/codec.h"
#include "base/translate.h"
#include "base/unicode_text.h"

namespace kestrova::ui {

QString Tr(const std::string& french)
{
    return FromPage(TranslateFrenchKey(french));
}

QString FromPage(const std::string& text)
{
    return QString::fromStdString(PageTextToDisplay(text));
}

std::string ToPage(const QString& text)
{
    std::string out;
    if (TypedTextForUtf8Page() && TypedTextToPage(text.toStdString(), true, out))
        return out;
    return Utf8ToCp1252Lossy(text.toStdString());
}

bool ToPageStrict(const QString& text, std::string& out)
{
    out.clear();
    if (TypedTextForUtf8Page())
        return TypedTextToPage(text.toStdString(), true, out);
    return Utf8ToCp1252(text.toStdString(), out);
}

QString FromFileName(const std::string& name)
{
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

std::string ToFileName(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

}  // namespace kestrova::ui
