// What the editors of the current page (meta tags, images, sentences) share:
// their modal window and their report list.
#pragma once

#include <QDialog>
#include <QRect>
#include <QStringList>
#include <QTreeWidget>
#include <string>

#include "base/ui_port.h"

namespace kestrova {

// Opens the editor window of the current page: centred, caption and close
// box, registered under id; texts typed in it are taken in the page's own
// encoding (on a UTF-8 page every character is accepted).
QDialog* OpenPageEditor(QWidget* owner, int width, int height, const std::string& caption, const QString& name,
                        ui::WindowId id);
// Forgets the window registered under id and closes it (owner enabled again).
void ClosePageEditor(QDialog* window, QWidget* owner, ui::WindowId id);

// A list of whole rows, one selected at a time, with these column headers.
QTreeWidget* NewEditorList(QWidget* parent, const QString& name, const QRect& geometry, const QStringList& headers);

// Widens a column to its widest text (the row texts and the title), keeping
// width as the least, and takes the room from the column giver while that
// one keeps at least 40 pixels. Call once the rows are in.
void FitColumnToTexts(QTreeWidget* list, int column, int width, int giver);

}  // namespace kestrova
