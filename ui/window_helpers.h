// Helpers shared by every window of the program: modal child windows, the
// progress and abortable wait windows with their shared gadgets, balloon
// tips, selection helpers, picture decoding, menu items with shortcuts and
// report-list columns. All texts are Windows-1252 (see ui/text_convert.h).
#pragma once

#include <QDialog>
#include <QImage>
#include <QKeySequence>
#include <QPoint>
#include <QPointer>
#include <cstddef>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrova::ui {

// Window flags of OpenChildWindow, combined with '|'.
enum ChildWindowFlag : unsigned {
    WindowCaption = 1u << 0,       // title bar (without it the window has no frame)
    WindowCloseBox = 1u << 1,      // close box (and system menu)
    WindowSizingBorder = 1u << 2,  // the user may resize; otherwise the size is fixed
    WindowMinimiseBox = 1u << 3,
    WindowCentred = 1u << 4,  // centred on the screen; x and y are then ignored
};

// The progress and wait windows' shared values. One set for the program.
struct WaitWindowState {
    // Where progress and wait windows open; updated when such a window closes.
    QPoint ProgressWindowPos;
    bool ProgressWindowPosSet = false;
    // The progress or wait window opened last (null when none or closed).
    QPointer<QDialog> CurrentWaitWindow;
    // Text line of the current progress or wait window.
    QPointer<QLabel> ProgressText;
    // Progress bar (0 to 100) of the current progress window.
    QPointer<QProgressBar> ProgressBar;
    // The "Interrompre" button of the current wait window; null stands for
    // "none" (the -1 of the other windows' gadget numbers).
    QPointer<QPushButton> AbortButton;
    // Set when AbortButton was clicked (or the wait window's close box or
    // Escape used); cleared when a wait window opens or closes.
    bool AbortClicked = false;
};

extern WaitWindowState WaitWindow;

// Sets ProgressWindowPos to (screen width / 2 - 200, screen height / 2 - 100)
// of the primary screen. Called at start; the wait windows call it themselves
// when it was never set.
void InitProgressWindowPos();

// Creates a modal child window of the given inner size, with the program
// icon and the flags above. When parent is not null, the parent (its whole
// top-level window) is disabled and becomes the window's owner. The window is
// NOT shown: the caller adds its gadgets, then calls exec() (or show() for a
// window that stays open while work goes on). An Enter or Escape key that is
// still held down from before does not act on the new window: its releases
// and auto-repeats are dropped until the key is pressed afresh in it.
// The window is deleted by CloseChildWindow (or with its owner).
QDialog* OpenChildWindow(QWidget* parent, int x, int y, int width, int height, unsigned flags,
                         const std::string& title);

// Closes and deletes (later) a window opened with OpenChildWindow: stores its
// position in ProgressWindowPos when it is the current wait window, clears
// AbortButton, re-enables the parent and gives it the focus. Enter or Escape
// still held from this window does not act on the parent. Nothing for null.
void CloseChildWindow(QDialog* window, QWidget* parent);

// What a window opened with OpenChildWindow does when asked to close (Escape,
// the close box, a button connected to reject()): onClose runs instead of
// the close, and closes the window itself with done() when it agrees. An
// empty function restores the plain close.
void SetCloseRequestHandler(QDialog* window, std::function<void()> onClose);

// Drops the releases and auto-repeats of Enter and Escape sent to the window
// until the key is pressed afresh in it (OpenChildWindow and CloseChildWindow
// do this themselves; message boxes use it too).
void IgnoreHeldKeys(QWidget* window);

// The window to own a standard dialog (message box, file dialog) asked for
// on behalf of parent: parent's window when it is enabled, else the modal
// window the user is working in, else none. A dialog owned by a disabled
// window would be disabled with it.
QWidget* UsableOwner(QWidget* parent);

// Progress window: 400 x 70 at ProgressWindowPos, caption only, with a
// centred ProgressText and a ProgressBar (0 to 100). Shown at once (modal,
// without its own event loop) and made the current wait window.
QDialog* OpenProgressWindow(QWidget* parent, const std::string& title);

// Abortable wait window: 400 x 110 at ProgressWindowPos, caption, close box
// and minimise box, ProgressText showing text and the AbortButton
// "Interrompre" (translated). Closing the window or pressing Escape counts as
// a click on AbortButton; the window stays until the caller closes it.
QDialog* OpenAbortableWaitWindow(QWidget* parent, const std::string& title, const std::string& text);

// Balloon-style tooltip: black text on RGB(255, 255, 160), at most 320 pixels
// wide, shown while the pointer rests on the gadget.
void AddBalloonTip(QWidget* gadget, const std::string& text);

// Selects the characters from start to end (1-based, end excluded) of a
// QLineEdit, QPlainTextEdit or QTextEdit and scrolls the caret into view;
// start == end only places the caret. Positions are clamped to the text.
void SetTextSelection(QWidget* edit, int start, int end);
// 0-based start of the selection (the caret when nothing is selected).
int GetSelectionStart(QWidget* edit);

// 1 when the check mark of the row (0-based, first column) of a QTreeWidget
// or QListWidget is set; 0 otherwise, also for a row that does not exist.
int IsListItemChecked(QWidget* list, int row);

// Decodes a picture held in memory (JPEG, GIF, BMP, icon, and the other
// formats Qt reads). Returns a null image when the data is empty or cannot be
// decoded. Size rule: a picture's physical size in hundredths of a millimetre
// times the screen's logical pixels per inch / 2540. The physical size comes
// from the resolution stored in the file (the image's dots per metre); a
// picture that stores none is taken at screen resolution, i.e. keeps its
// pixel size. Both steps round to the nearest integer.
QImage CatchPicture(const void* data, std::size_t size);
// The same for a picture file read whole (path in file-system bytes).
QImage LoadPicture(const std::string& path);

// Appends an item to the menu and registers its shortcut (empty = none) for
// the window, so that the shortcut triggers the same action. The item id is
// kept in the action's data (QAction::data().toInt()).
QAction* AddMenuItemWithShortcut(QWidget* window, QMenu* menu, int id, const std::string& text,
                                 const QKeySequence& shortcut = {});

// Report-list columns of a QTreeWidget. A new QTreeWidget has one column;
// name it with SetListColumnTitle and size it with SetListColumnWidth.
// Inserts a column at index (clamped to 0..count) with the header title,
// width and alignment; the alignment is applied to the rows already there
// and is kept on the header for AlignListRow.
void InsertListColumn(QTreeWidget* list, int index, int width, bool rightAligned, const std::string& title);
void SetListColumnTitle(QTreeWidget* list, int index, const std::string& title);
// Header title of a column (at most 500 characters); "" when there is none.
std::string GetListColumnTitle(QTreeWidget* list, int index);
int CountListColumns(QTreeWidget* list);
void SetListColumnWidth(QTreeWidget* list, int index, int width);
// Gives each cell of the row the alignment of its column's header.
void AlignListRow(QTreeWidget* list, QTreeWidgetItem* row);

}  // namespace kestrova::ui
