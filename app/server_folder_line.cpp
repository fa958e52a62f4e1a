#include "app/server_folder_line.h"

#include <QLabel>
#include <QWidget>

#include "base/translate.h"
#include "net/ftp_upload.h"
#include "ui/text_convert.h"

namespace kestrova {

std::string RemoteFolderPlaceText(const RemoteFolderPlace& place)
{
    if (!place.Connected)
        return "";
    std::string text = TranslateFrenchKey("Dossier sur le serveur :") + " " + place.Folder();
    if (!place.Missing.empty()) {
        text += "\n" + TranslateFrenchKey("Dossiers qui seront cr\xE9\xE9s :") + " ";
        for (std::size_t i = 0; i < place.Missing.size(); ++i)
            text += (i > 0 ? ", " : "") + place.Missing[i];
    }
    return text;
}

QLabel* AddRemoteFolderLine(QWidget* dialog)
{
    auto* line = new QLabel(dialog);
    line->setObjectName(QStringLiteral("RemoteFolderPlace"));
    line->setGeometry(10, 166, 305, 32);
    line->setWordWrap(true);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return line;
}

void SetRemoteFolderLine(QWidget* dialog, const RemoteFolderPlace& place)
{
    if (auto* line = dialog->findChild<QLabel*>(QStringLiteral("RemoteFolderPlace")))
        line->setText(ui::FromPage(RemoteFolderPlaceText(place)));
}

}  // namespace kestrova
