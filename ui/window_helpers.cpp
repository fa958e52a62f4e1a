#include "ui/window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "base/translate.h"
#include "ui/text_convert.h"

namespace kestrova::ui {

WaitWindowState WaitWindow;

namespace {

// A child window whose Escape key and close box can be given another meaning
// (the progress window ignores them, the wait window treats them as abort).
class ChildWindow : public QDialog {
public:
    using QDialog::QDialog;
    std::function<void()> OnReject;

    void reject() override
    {
        if (OnReject)
            OnReject();
        else
            QDialog::reject();
    }
};

// Drops the releases and auto-repeats of Enter and Escape sent to one window
// until the key is pressed afresh there, so that a key held down while the
// window opened (or while the window above it closed) does not act on it.
class HeldKeyGuard : public QObject {
public:
    explicit HeldKeyGuard(QWidget* window) : QObject(window), window_(window) {}

    void Arm()
    {
        if (blocked_ == 0)
            qApp->installEventFilter(this);
        blocked_ = KeyReturn | KeyEnter | KeyEscape;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != window_)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        unsigned bit = KeyBit(key->key());
        if ((blocked_ & bit) == 0)
            return false;
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
            blocked_ &= ~bit;
            if (blocked_ == 0)
                qApp->removeEventFilter(this);
            return false;
        }
        return true;
    }

private:
    enum : unsigned { KeyReturn = 1, KeyEnter = 2, KeyEscape = 4 };

    static unsigned KeyBit(int key)
    {
        switch (key) {
            case Qt::Key_Return:
                return KeyReturn;
            case Qt::Key_Enter:
                return KeyEnter;
            case Qt::Key_Escape:
                return KeyEscape;
            default:
                return 0;
        }
    }

    QWidget* window_;
    unsigned blocked_ = 0;
};

}  // namespace

void IgnoreHeldKeys(QWidget* window)
{
    if (!window)
        return;
    for (QObject* child : window->children()) {
        if (auto* guard = dynamic_cast<HeldKeyGuard*>(child)) {
            guard->Arm();
            return;
        }
    }
    (new HeldKeyGuard(window))->Arm();
}

namespace {

QScreen* ScreenOf(QWidget* widget)
{
    QScreen* screen = widget ? widget->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

Qt::WindowFlags QtFlags(unsigned flags)
{
    Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint;
    if (flags & WindowCaption)
        f |= Qt::WindowTitleHint;
    else
        f |= Qt::FramelessWindowHint;
    if (flags & WindowCloseBox)
        f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (flags & WindowMinimiseBox)
        f |= Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    return f;
}

ChildWindow* OpenWaitWindow(QWidget* parent, int height, unsigned flags, const std::string& title)
{
    if (!WaitWindow.ProgressWindowPosSet)
        InitProgressWindowPos();
    const QPoint pos = WaitWindow.ProgressWindowPos;
    auto* window = static_cast<ChildWindow*>(OpenChildWindow(parent, pos.x(), pos.y(), 400, height, flags, title));
    WaitWindow.CurrentWaitWindow = window;
    WaitWindow.ProgressText = nullptr;
    WaitWindow.ProgressBar = nullptr;
    WaitWindow.AbortButton = nullptr;
    WaitWindow.AbortClicked = false;
    return window;
}

QLabel* NewCentredText(QWidget* window, int height, const QString& text)
{
    auto* label = new QLabel(text, window);
    label->setGeometry(10, 8, window->width() - 19, height);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

}  // namespace

void InitProgressWindowPos()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    WaitWindow.ProgressWindowPos = QPoint(size.width() / 2 - 200, size.height() / 2 - 100);
    WaitWindow.ProgressWindowPosSet = true;
}

QDialog* OpenChildWindow(QWidget* parent, int x, int y, int width, int height, unsigned flags, const std::string& title)
{
    // The window is not a QObject child of its owner: a disabled owner would
    // disable it too. It is tied to the owner as its transient parent instead.
    QWidget* owner = parent ? parent->window() : nullptr;
    auto* window = new ChildWindow(nullptr, QtFlags(flags));
    window->setWindowTitle(FromPage(title));
    window->setWindowIcon(QApplication::windowIcon());
    window->setWindowModality(Qt::ApplicationModal);
    if (flags & WindowSizingBorder)
        window->resize(width, height);
    else
        window->setFixedSize(width, height);
    if (flags & WindowCentred) {
        const QRect screen = ScreenOf(owner)->availableGeometry();
        window->move(screen.x() + (screen.width() - width) / 2, screen.y() + (screen.height() - height) / 2);
    } else {
        window->move(x, y);
    }
    if (owner) {
        owner->setEnabled(false);
        window->winId();  // creates the native window so it can be given an owner
        if (window->windowHandle() && owner->windowHandle())
            window->windowHandle()->setTransientParent(owner->windowHandle());
        QObject::connect(owner, &QObject::destroyed, window, &QObject::deleteLater);
    }
    IgnoreHeldKeys(window);
    return window;
}

void CloseChildWindow(QDialog* window, QWidget* parent)
{
    if (!window)
        return;
    if (window == WaitWindow.CurrentWaitWindow) {
        WaitWindow.ProgressWindowPos = window->pos();
        WaitWindow.ProgressWindowPosSet = true;
        WaitWindow.CurrentWaitWindow = nullptr;
        WaitWindow.ProgressText = nullptr;
        WaitWindow.ProgressBar = nullptr;
    }
    WaitWindow.AbortButton = nullptr;
    WaitWindow.AbortClicked = false;
    QWidget* owner = parent ? parent->window() : nullptr;
    if (owner)
        owner->setEnabled(true);
    window->hide();
    window->deleteLater();
    if (owner) {
        owner->activateWindow();
        owner->raise();
        IgnoreHeldKeys(owner);
    }
}

void SetCloseRequestHandler(QDialog* window, std::function<void()> onClose)
{
    if (auto* child = dynamic_cast<ChildWindow*>(window))
        child->OnReject = std::move(onClose);
}

QWidget* UsableOwner(QWidget* parent)
{
    QWidget* owner = parent ? parent->window() : nullptr;
    if (owner && owner->isEnabled())
        return owner;
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->isEnabled() ? modal : nullptr;
}

QDialog* OpenProgressWindow(QWidget* parent, const std::string& title)
{
    ChildWindow* window = OpenWaitWindow(parent, 70, WindowCaption, title);
    window->OnReject = [] {};  // no close box: neither Escape nor the system closes it
    WaitWindow.ProgressText = NewCentredText(window, 40, QString());
    auto* bar = new QProgressBar(window);
    bar->setGeometry(5, 58, 390, 10);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    WaitWindow.ProgressBar = bar;
    window->show();
    return window;
}

QDialog* OpenAbortableWaitWindow(QWidget* parent, const std::string& title, const std::string& text)
{
    ChildWindow* window = OpenWaitWindow(parent, 110, WindowCaption | WindowCloseBox | WindowMinimiseBox, title);
    WaitWindow.ProgressText = NewCentredText(window, 75, FromPage(text));
    auto* abort = new QPushButton(Tr("Interrompre"), window);
    abort->setGeometry(20, 85, 360, 20);
    QObject::connect(abort, &QPushButton::clicked, window, [] { WaitWindow.AbortClicked = true; });
    WaitWindow.AbortButton = abort;
    window->OnReject = [abort] { abort->click(); };
    window->show();
    return window;
}

void AddBalloonTip(QWidget* gadget, const std::string& text)
{
    if (!gadget)
        return;
    // Rich text lets the tip wrap at its maximum width.
    gadget->setToolTip(Qt::convertFromPlainText(FromPage(text), Qt::WhiteSpaceNormal));
    static const QString rule =
        QStringLiteral("QToolTip { color: black; background-color: rgb(255, 255, 160); max-width: 320px; }");
    QString sheet = gadget->styleSheet();
    if (!sheet.contains(rule))
        gadget->setStyleSheet(sheet.isEmpty() ? rule : sheet + QLatin1Char('\n') + rule);
}

void SetTextSelection(QWidget* edit, int start, int end)
{
    if (auto* line = qobject_cast<QLineEdit*>(edit)) {
        const int length = static_cast<int>(line->text().size());
        const int from = std::clamp(start - 1, 0, length);
        const int to = std::clamp(end - 1, 0, length);
        if (from == to)
            line->setCursorPosition(from);
        else
            line->setSelection(from, to - from);
        return;
    }
    QTextDocument* document = nullptr;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit))
        document = plain->document();
    else if (auto* rich = qobject_cast<QTextEdit*>(edit))
        document = rich->document();
    if (!document)
        return;
    const int last = document->characterCount() - 1;  // the document ends with a paragraph mark
    QTextCursor cursor(document);
    cursor.setPosition(std::clamp(start - 1, 0, last));
    cursor.setPosition(std::clamp(end - 1, 0, last), QTextCursor::KeepAnchor);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit)) {
        plain->setTextCursor(cursor);
        plain->ensureCursorVisible();
    } else if (auto* rich = qobject_cast<QTextEdit*>(edit)) {
        rich->setTextCursor(cursor);
        rich->ensureCursorVisible();
    }
}

int GetSelectionStart(QWidget* edit)
{
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        return line->hasSelectedText() ? static_cast<int>(line->selectionStart()) : line->cursorPosition();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit))
        return plain->textCursor().selectionStart();
    if (auto* rich = qobject_cast<QTextEdit*>(edit))
        return rich->textCursor().selectionStart();
    return 0;
}

int IsListItemChecked(QWidget* list, int row)
{
    if (auto* tree = qobject_cast<QTreeWidget*>(list)) {
        QTreeWidgetItem* item = row >= 0 ? tree->topLevelItem(row) : nullptr;
        return item && item->checkState(0) == Qt::Checked ? 1 : 0;
    }
    if (auto* plain = qobject_cast<QListWidget*>(list)) {
        QListWidgetItem* item = row >= 0 ? plain->item(row) : nullptr;
        return item && item->checkState() == Qt::Checked ? 1 : 0;
    }
    return 0;
}

QImage CatchPicture(const void* data, std::size_t size)
{
    if (!data || size == 0 || size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    const QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        return {};

    // A new image carries the resolution Qt assumes for the screen; a decoded
    // picture with the same value stored none of its own.
    const QImage probe(1, 1, QImage::Format_RGB32);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpiX = screen ? std::round(screen->logicalDotsPerInchX()) : 96.0;
    const double dpiY = screen ? std::round(screen->logicalDotsPerInchY()) : 96.0;
    auto onScreen = [](int pixels, int dotsPerMetre, int defaultDotsPerMetre, double dpi) {
        if (dotsPerMetre <= 0 || dotsPerMetre == defaultDotsPerMetre)
            return pixels;
        const double hundredthsOfMm = std::round(pixels * 100000.0 / dotsPerMetre);
        return std::max(1, static_cast<int>(std::lround(hundredthsOfMm * dpi / 2540.0)));
    };
    const int width = onScreen(image.width(), image.dotsPerMeterX(), probe.dotsPerMeterX(), dpiX);
    const int height = onScreen(image.height(), image.dotsPerMeterY(), probe.dotsPerMeterY(), dpiY);
    if (width != image.width() || height != image.height())
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDotsPerMeterX(probe.dotsPerMeterX());
    image.setDotsPerMeterY(probe.dotsPerMeterY());
    return image;
}

QImage LoadPicture(const std::string& path)
{
    QFile file(FromFileName(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return CatchPicture(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QAction* AddMenuItemWithShortcut(QWidget* window, QMenu* menu, int id, const std::string& text,
                                 const QKeySequence& shortcut)
{
    auto* action = new QAction(FromPage(text), menu);
    action->setData(id);
    menu->addAction(action);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        // Registered on the window as well, so the shortcut works whether or
        // not the menu is in the window's menu bar.
        if (window)
            window->addAction(action);
    }
    return action;
}

namespace {

// The roles a list cell may carry; moved along when a column is inserted.
constexpr int CellRoles[] = {Qt::DisplayRole,
                             Qt::DecorationRole,
                             Qt::EditRole,
                             Qt::ToolTipRole,
                             Qt::StatusTipRole,
                             Qt::WhatsThisRole,
                             Qt::FontRole,
                             Qt::TextAlignmentRole,
                             Qt::BackgroundRole,
                             Qt::ForegroundRole,
                             Qt::CheckStateRole,
                             Qt::AccessibleTextRole,
                             Qt::AccessibleDescriptionRole,
                             Qt::SizeHintRole,
                             Qt::UserRole,
                             Qt::UserRole + 1,
                             Qt::UserRole + 2,
                             Qt::UserRole + 3};

// Moves the cells of an item from column index onwards one column to the right
// and leaves column index empty (columnCount already counts the new column).
void ShiftCells(QTreeWidgetItem* item, int index, int columnCount)
{
    for (int column = columnCount - 1; column > index; --column)
        for (int role : CellRoles)
            item->setData(column, role, item->data(column - 1, role));
    for (int role : CellRoles)
        item->setData(index, role, QVariant());
}

}  // namespace

void InsertListColumn(QTreeWidget* list, int index, int width, bool rightAligned, const std::string& title)
{
    const int count = list->columnCount();
    index = std::clamp(index, 0, count);
    // The cells are moved by hand: QTreeWidget's own column insertion does
    // not move the texts of the rows and of the header along.
    std::vector<int> widths;
    for (int i = 0; i < count; ++i)
        widths.push_back(list->columnWidth(i));
    list->setColumnCount(count + 1);
    const Qt::Alignment alignment = (rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    QTreeWidgetItem* header = list->headerItem();
    ShiftCells(header, index, count + 1);
    header->setText(index, FromPage(title));
    header->setData(index, Qt::TextAlignmentRole, static_cast<int>(alignment));
    for (QTreeWidgetItemIterator it(list); *it; ++it) {
        ShiftCells(*it, index, count + 1);
        (*it)->setData(index, Qt::TextAlignmentRole, static_cast<int>(alignment));
    }
    widths.insert(widths.begin() + index, width);
    for (int i = 0; i <= count; ++i)
        list->setColumnWidth(i, widths[static_cast<std::size_t>(i)]);
}

void SetListColumnTitle(QTreeWidget* list, int index, const std::string& title)
{
    if (index >= 0 && index < list->columnCount())
        list->headerItem()->setText(index, FromPage(title));
}

std::string GetListColumnTitle(QTreeWidget* list, int index)
{
    if (index < 0 || index >= list->columnCount())
        return {};
    return ToPage(list->headerItem()->text(index).left(500));
}

int CountListColumns(QTreeWidget* list)
{
    return list->columnCount();
}

void SetListColumnWidth(QTreeWidget* list, int index, int width)
{
    if (index >= 0 && index < list->columnCount())
        list->setColumnWidth(index, width);
}

void AlignListRow(QTreeWidget* list, QTreeWidgetItem* row)
{
    QTreeWidgetItem* header = list->headerItem();
    for (int i = 0; i < list->columnCount(); ++i) {
        const QVariant alignment = header->data(i, Qt::TextAlignmentRole);
        if (alignment.isValid())
            row->setData(i, Qt::TextAlignmentRole, alignment);
    }
}

}  // namespace kestrova::ui
