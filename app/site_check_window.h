// "Vérifier le site…": the site check in the program. The folder choice, a
// progress window that can be interrupted, and the results window, from
// which a double click opens the page of a finding in the main window.
#pragma once

#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace kestrova {

class MainWindow;

// The menu command: asks for the folder, checks it, shows the results.
void CheckSiteCommand(MainWindow& window);

// Checks folder (its "kestrova-check.json" applies) and opens the results
// window, not modal; nullptr when the check was interrupted, the folder
// cannot be read or its configuration is bad (a message tells which).
QDialog* CheckSiteAndShow(MainWindow& window, const std::string& folder);

// Before the journal window sends the ticked pages: checks them with the
// rules of one page; when some have errors, asks whether to send anyway,
// listing them. True to send.
bool ConfirmUploadAfterCheck(QWidget* owner, const std::string& root, const std::vector<std::string>& pages);

}  // namespace kestrova
