#include "ui/text_room.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionHeader>
#include <QTextDocument>
#include <QTreeView>
#include <algorithm>

namespace kestrova::ui {

namespace {

// A caption as shown: "&x" marks a letter, "&&" is an "&".
QString Shown(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

int WidestLine(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// The direct gadgets of a window that take part in its placing.
QList<QWidget*> Gadgets(QWidget* window)
{
    QList<QWidget*> gadgets;
    for (QObject* child : window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && !widget->isWindow() && !widget->isHidden())
            gadgets.push_back(widget);
    }
    return gadgets;
}

// The width the columns of a list may fill.
int ColumnRoom(const QTreeView* list)
{
    const int frame = list->frameWidth() * 2;
    int rows = 0;
    if (list->model() != nullptr)
        rows = list->model()->rowCount(list->rootIndex());
    const int rowHeight = rows > 0 ? std::max(list->sizeHintForRow(0), 1) : 0;
    const int header = list->header()->isHidden() ? 0 : list->header()->sizeHint().height();
    const bool scrolls = list->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ||
                         (list->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                          rows * rowHeight > list->height() - frame - header);
    const int bar = scrolls ? list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) : 0;
    return list->width() - frame - bar;
}

// Widens the columns whose titles do not fit, taking what goes past the
// list's room from the widest column when it can spare it.
void WidenColumns(QTreeView* list)
{
    QHeaderView* header = list->header();
    if (header->isHidden())
        return;
    const int before = header->length();
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        const int needed = NeededSectionWidth(header, section);
        if (needed > header->sectionSize(section))
            header->resizeSection(section, needed);
    }
    // Only what the widening added is taken back: a list may be meant to
    // scroll sideways (long paths in one wide column).
    const int excess = std::min(header->length() - ColumnRoom(list), header->length() - before);
    if (excess <= 0)
        return;
    int widest = -1;
    for (int section = 0; section < header->count(); ++section) {
        if (!header->isSectionHidden(section) &&
            (widest < 0 || header->sectionSize(section) > header->sectionSize(widest)))
            widest = section;
    }
    if (widest < 0)
        return;
    const int spare = header->sectionSize(widest) - NeededSectionWidth(header, widest);
    if (spare > 0)
        header->resizeSection(widest, header->sectionSize(widest) - std::min(spare, excess));
}

class FitOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && !widget->property("textsFitted").toBool()) {
                widget->setProperty("textsFitted", true);
                WidenToFitTexts(widget);
            }
        }
        return false;
    }
};

}  // namespace

int NeededTextWidth(const QWidget* gadget)
{
    const QFontMetrics metrics = gadget->fontMetrics();
    if (const auto* button = qobject_cast<const QAbstractButton*>(gadget)) {
        if (button->text().isEmpty())
            return 0;
        const int text = metrics.horizontalAdvance(Shown(button->text()));
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect();
        option.text = button->text();
        if (qobject_cast<const QPushButton*>(button) != nullptr) {
            const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            return text + icon + (button->width() - contents.width()) + 2;
        }
        if (qobject_cast<const QCheckBox*>(button) != nullptr || qobject_cast<const QRadioButton*>(button) != nullptr) {
            const QStyle::SubElement element = qobject_cast<const QCheckBox*>(button) != nullptr
                                                   ? QStyle::SE_CheckBoxContents
                                                   : QStyle::SE_RadioButtonContents;
            const QRect contents = button->style()->subElementRect(element, &option, button);
            return contents.left() + icon + text + 2;
        }
        return 0;
    }
    if (const auto* label = qobject_cast<const QLabel*>(gadget)) {
        if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull() ||
            (label->textFormat() != Qt::PlainText && Qt::mightBeRichText(label->text())))
            return 0;
        const QString text = label->buddy() == nullptr ? label->text() : Shown(label->text());
        const int frame = label->width() - label->contentsRect().width();
        int indent = label->indent();
        if (indent < 0)
            indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        return WidestLine(metrics, text) + frame + 2 * label->margin() + indent + 1;
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(gadget)) {
        if (frame->title().isEmpty())
            return 0;
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.rect = frame->rect();
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.textAlignment = frame->alignment();
        const QRect label =
            frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return std::max(label.left(), 0) * 2 + metrics.horizontalAdvance(Shown(frame->title())) + 2;
    }
    return 0;
}

int NeededSectionWidth(const QHeaderView* header, int section)
{
    if (header->model() == nullptr)
        return 0;
    const QString title = header->model()->headerData(section, header->orientation(), Qt::DisplayRole).toString();
    if (title.isEmpty())
        return 0;
    QStyleOptionHeader option;
    option.initFrom(header);
    option.section = section;
    option.text = title;
    option.orientation = header->orientation();
    if (header->orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.rect = QRect(0, 0, std::max(header->sectionSize(section), 1), std::max(header->height(), 1));
    option.sortIndicator = QStyleOptionHeader::None;
    if (header->isSortIndicatorShown() && header->sortIndicatorSection() == section)
        option.sortIndicator = header->sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortUp
                                                                                  : QStyleOptionHeader::SortDown;
    const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
    int margin = option.rect.width() - label.width();
    if (option.sortIndicator != QStyleOptionHeader::None) {
        // Styles that draw the mark inside the label's rectangle.
        const QRect mark = header->style()->subElementRect(QStyle::SE_HeaderArrow, &option, header);
        if (label.intersects(mark))
            margin += mark.width();
    }
    return header->fontMetrics().horizontalAdvance(title) + margin + 2;
}

QStringList ClippedTexts(QWidget* window)
{
    QStringList problems;
    auto name = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    };
    for (QWidget* gadget : window->findChildren<QWidget*>()) {
        if (gadget->window() != window || !gadget->isVisibleTo(window))
            continue;
        const int needed = NeededTextWidth(gadget);
        if (needed > gadget->width()) {
            QString text;
            if (auto* b = qobject_cast<QAbstractButton*>(gadget))
                text = b->text();
            else if (auto* l = qobject_cast<QLabel*>(gadget))
                text = l->text();
            else if (auto* f = qobject_cast<QGroupBox*>(gadget))
                text = f->title();
            problems << QStringLiteral("%1 \"%2\": needs %3 pixels, has %4")
                            .arg(name(gadget), Shown(text))
                            .arg(needed)
                            .arg(gadget->width());
        }
        auto* list = qobject_cast<QTreeView*>(gadget);
        if (list == nullptr || list->header()->isHidden())
            continue;
        QHeaderView* header = list->header();
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section))
                continue;
            const int sectionNeeded = NeededSectionWidth(header, section);
            const QString title = list->model()->headerData(section, Qt::Horizontal).toString();
            if (sectionNeeded > header->sectionSize(section))
                problems << QStringLiteral("%1 column \"%2\": needs %3 pixels, has %4")
                                .arg(name(list), title)
                                .arg(sectionNeeded)
                                .arg(header->sectionSize(section));
            // A title the list's right edge cuts (a column pushed off).
            const int right = header->sectionPosition(section) + std::min(sectionNeeded, header->sectionSize(section));
            if (right > list->viewport()->width())
                problems << QStringLiteral("%1 column \"%2\": its title ends at %3, past the list's %4")
                                .arg(name(list), title)
                                .arg(right)
                                .arg(list->viewport()->width());
        }
    }
    return problems;
}

void WidenToFitTexts(QWidget* window)
{
    if (window == nullptr || window->layout() != nullptr)
        return;
    const bool fixed = window->minimumSize() == window->maximumSize();
    // At most one pass per gadget: each pass makes one gadget fit.
    const QList<QWidget*> gadgets = Gadgets(window);
    for (qsizetype pass = 0; pass <= gadgets.size(); ++pass) {
        QWidget* narrow = nullptr;
        int delta = 0;
        for (QWidget* gadget : gadgets) {
            const int needed = NeededTextWidth(gadget);
            if (needed > gadget->width()) {
                narrow = gadget;
                delta = needed - gadget->width();
                break;
            }
        }
        if (narrow == nullptr)
            break;
        // A strip of delta pixels opens at the gadget's right edge.
        const int edge = narrow->geometry().x() + narrow->width();
        for (QWidget* gadget : gadgets) {
            QRect g = gadget->geometry();
            if (g.x() >= edge)
                g.translate(delta, 0);
            else if (g.x() + g.width() >= edge)
                g.setWidth(g.width() + delta);
            gadget->setGeometry(g);
        }
        // The window grows on both sides, so a centred window stays centred.
        const QPoint at = window->pos();
        if (fixed)
            window->setFixedSize(window->width() + delta, window->height());
        else
            window->resize(window->width() + delta, window->height());
        window->move(at.x() - delta / 2, at.y());
    }
    for (QWidget* gadget : gadgets) {
        if (auto* list = qobject_cast<QTreeView*>(gadget))
            WidenColumns(list);
    }
}

void WidenEveryWindowToFitTexts()
{
    static FitOnShow* watcher = nullptr;
    if (watcher != nullptr || qApp == nullptr)
        return;
    watcher = new FitOnShow(qApp);
    qApp->installEventFilter(watcher);
}

}  // namespace kestrova::ui
