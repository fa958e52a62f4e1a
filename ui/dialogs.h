// The standard dialogs the program asks for file names and one-line texts,
// with queues of prepared answers so that window tests never block on them.
#pragma once

#include <QString>
#include <deque>
#include <string>

class QWidget;

namespace kestrova::ui {

// The answers to the question about a text typed and not saved.
enum class SaveChoice { Save, Discard, Cancel };

struct DialogHooks {
    // When not empty, the next file or folder dialog is not shown: the
    // front entry is taken instead ("" = cancelled).
    std::deque<std::string> NextFileNames;
    // The same for the one-line input dialog.
    std::deque<std::string> NextInputs;
    // The same for the save / discard / cancel question.
    std::deque<SaveChoice> NextSaveChoices;
    // Text of the last save / discard / cancel question asked.
    std::string LastQuestion;
    // Title of the last dialog asked for, shown or answered from a queue.
    std::string LastTitle;
};

extern DialogHooks Dialogs;

// Pattern: pairs "description|patterns" separated by '|', patterns separated
// by ';', e.g. "Pages HTML|*.htm;*.html|Tous|*.*". Titles, descriptions and
// input texts are Windows-1252; file names are file-system bytes.

// Open-file dialog. Returns the chosen path, "" when cancelled.
std::string AskOpenFileName(QWidget* parent, const std::string& title, const std::string& defaultFile,
                            const std::string& pattern);
// Save-file dialog. Returns the chosen path, "" when cancelled.
std::string AskSaveFileName(QWidget* parent, const std::string& title, const std::string& defaultFile,
                            const std::string& pattern);
// Folder chooser. Returns the chosen folder, "" when cancelled.
std::string AskFolderName(QWidget* parent, const std::string& title, const std::string& initialFolder);
// One-line input dialog. Returns the text typed, "" when cancelled.
std::string AskInput(QWidget* parent, const std::string& title, const std::string& prompt,
                     const std::string& defaultText);

// Question with the buttons "Enregistrer", "Ne pas enregistrer" and
// "Annuler" (translated); Escape and the close box answer Cancel. Title and
// text are Windows-1252.
SaveChoice AskSaveDiscardCancel(QWidget* parent, const std::string& title, const std::string& text);

// The pattern above in the form of a Qt file dialog filter.
QString FileDialogFilter(const std::string& pattern);

}  // namespace kestrova::ui
