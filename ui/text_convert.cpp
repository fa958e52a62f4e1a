#include "ui/text_convert.h"

#include <QByteArray>
#include <QFile>

#include "base/codec.h"

namespace kestrova::ui {

QString FromPage(const std::string& text)
{
    return QString::fromStdString(Cp1252ToUtf8(text));
}

std::string ToPage(const QString& text)
{
    return Utf8ToCp1252Lossy(text.toStdString());
}

bool ToPageStrict(const QString& text, std::string& out)
{
    out.clear();
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
