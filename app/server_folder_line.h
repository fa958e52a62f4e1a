// The line of the server dialog that says where the address leads on the
// server once connected: the absolute folder the server reports, and the
// folders an upload will create.
#pragma once

#include <string>

class QLabel;
class QWidget;

namespace kestrova {

struct RemoteFolderPlace;

// The line's text (Windows-1252): "Dossier sur le serveur : /abs/folder",
// then on a second line the folders that will be created, if any; "" when
// the server could not be reached.
std::string RemoteFolderPlaceText(const RemoteFolderPlace& place);

// The line under the dialog's fields (object name "RemoteFolderPlace").
QLabel* AddRemoteFolderLine(QWidget* dialog);
// Shows a place found by LocateRemoteFolder (net/ftp_upload.h) on the
// dialog's line; main thread only (the dialog's listing worker finds it).
void SetRemoteFolderLine(QWidget* dialog, const RemoteFolderPlace& place);

}  // namespace kestrova
