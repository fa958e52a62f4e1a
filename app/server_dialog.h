// The server dialog of the upload: one record of the server table shown and
// edited, with a browser of the server's folders.
#pragma once

class QLineEdit;
class QListWidget;
class QWidget;

namespace kestrova {

// Shows and edits server record `number` (1 to 20; -1 for the first empty
// one). Returns the record's number on OK, 0 when cancelled.
int ServerDialog(int number, QWidget* parent);

// Fills the list with the names of the folder the address field designates
// (after "Wait..." while the server answers); an "ftp://" prefix is removed
// from the field first. The connection runs on a worker thread behind a wait
// window whose "Annuler" gives it up (the list stays empty); the dialog
// stays usable meanwhile. A failure shows its message (host not found,
// refused, time-out, login refused, certificate refused) and lists "Error".
void BrowseRemoteFolder(QListWidget* list, QLineEdit* address, QLineEdit* login, QLineEdit* password);

}  // namespace kestrova
