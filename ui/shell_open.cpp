#include "ui/shell_open.h"

#include <QDesktopServices>

#include "ui/text_convert.h"

namespace kestrova::ui {

std::function<bool(const QUrl&)> OpenUrlHook;

bool OpenExternal(const QUrl& url)
{
    if (OpenUrlHook)
        return OpenUrlHook(url);
    return QDesktopServices::openUrl(url);
}

bool OpenAddress(const std::string& address)
{
    return OpenExternal(QUrl(FromPage(address), QUrl::TolerantMode));
}

}  // namespace kestrova::ui
