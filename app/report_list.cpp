#include "app/report_list.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QToolTip>

#include "analysis/word_lists.h"
#include "ui/text_convert.h"

namespace kestrova {

ReportListModel::ReportListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ReportListModel::SetList(ReportList* list)
{
    beginResetModel();
    list_ = list;
    endResetModel();
}

void ReportListModel::AddColumn(const std::string& title, bool rightAligned)
{
    const int column = ColumnCount();
    beginInsertColumns(QModelIndex(), column, column);
    titles_.push_back(title);
    rightAligned_.push_back(rightAligned);
    endInsertColumns();
}

void ReportListModel::Reset()
{
    beginResetModel();
    endResetModel();
}

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || list_ == nullptr)
        return 0;
    return static_cast<int>(list_->Rows.size());
}

int ReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || list_ == nullptr || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole) {
        const auto& row = list_->Rows[static_cast<std::size_t>(index.row())];
        const auto column = static_cast<std::size_t>(index.column());
        return column < row.size() ? ui::FromPage(row[column]) : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        const bool right = rightAligned_.at(static_cast<std::size_t>(index.column()));
        return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    return {};
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount())
        return {};
    if (role == Qt::DisplayRole)
        return ui::FromPage(titles_[static_cast<std::size_t>(section)]);
    if (role == Qt::TextAlignmentRole) {
        const bool right = rightAligned_[static_cast<std::size_t>(section)];
        return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    return {};
}

ReportListView::ReportListView(ReportList* list, QWidget* parent) : QTreeView(parent), model_(new ReportListModel(this))
{
    model_->SetList(list);
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);

    // The selected row stays highlighted when the list loses the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    header()->viewport()->installEventFilter(this);
    headerBaseFont_ = header()->font();

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { OnSelectionChanged(); });
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int column) { SortListKeepSelection(this, column, column == 0); });
}

void ReportListView::AddColumn(const std::string& title, int width, bool rightAligned)
{
    model_->AddColumn(title, rightAligned);
    setColumnWidth(model_->ColumnCount() - 1, width);
    FitHeaderFont();
}

void ReportListView::FitHeaderFont()
{
    // A column title a little wider than its column ("Nb occurences" in a
    // column of 90 pixels with the usual desktop fonts) is shown in a
    // slightly smaller font rather than cut: half a point at a time, by a
    // fifth of the size at most. The widths are those the columns get when
    // they are added; later resizes keep the font.
    QHeaderView* head = header();
    const int margin = head->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, head);
    const auto fits = [&](const QFont& font) {
        const QFontMetrics metrics(font);
        for (int c = 0; c < model_->ColumnCount(); ++c) {
            const QString title = ui::FromPage(model_->ColumnTitle(c));
            if (metrics.horizontalAdvance(title) > columnWidth(c) - 2 * margin)
                return false;
        }
        return true;
    };
    QFont font = headerBaseFont_;
    const qreal base = font.pointSizeF();
    if (base > 0 && !fits(font)) {
        for (qreal size = base - 0.5; size >= base * 0.8; size -= 0.5) {
            font.setPointSizeF(size);
            if (fits(font))
                break;
        }
    }
    if (head->font() != font)
        head->setFont(font);
}

void ReportListView::Reload()
{
    const bool wasQuiet = quiet_;
    quiet_ = true;
    model_->Reset();
    quiet_ = wasQuiet;
    ReportList* list = model_->List();
    if (list != nullptr && (list->Selected < -1 || list->Selected >= static_cast<int>(list->Rows.size())))
        list->Selected = -1;
    SelectRowQuietly(list ? list->Selected : -1);
    // The header shows which column the rows are sorted on.
    if (list != nullptr && list->SortColumn >= 0 && list->SortColumn < model_->ColumnCount()) {
        header()->setSortIndicator(list->SortColumn, list->SortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
        header()->setSortIndicatorShown(true);
    } else {
        header()->setSortIndicatorShown(false);
    }
}

void ReportListView::SelectRowQuietly(int row)
{
    ReportList* list = model_->List();
    if (list == nullptr)
        return;
    const bool wasQuiet = quiet_;
    quiet_ = true;
    if (row >= 0 && row < model_->rowCount()) {
        const QModelIndex index = model_->index(row, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list->Selected = row;
    } else {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        list->Selected = -1;
    }
    quiet_ = wasQuiet;
}

std::string ReportListView::SelectedText(int column) const
{
    const ReportList* list = model_->List();
    if (list == nullptr || list->Selected < 0 || list->Selected >= static_cast<int>(list->Rows.size()))
        return {};
    const auto& row = list->Rows[static_cast<std::size_t>(list->Selected)];
    return column >= 0 && static_cast<std::size_t>(column) < row.size() ? row[static_cast<std::size_t>(column)]
                                                                        : std::string();
}

void ReportListView::ShowRow(int row)
{
    if (row >= 0 && row < model_->rowCount())
        scrollTo(model_->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ReportListView::OnSelectionChanged()
{
    ReportList* list = model_->List();
    if (list == nullptr)
        return;
    const QModelIndexList rows = selectionModel()->selectedRows();
    list->Selected = rows.isEmpty() ? -1 : rows.first().row();
    if (!quiet_)
        emit SelectionEdited();
}

void ReportListView::mousePressEvent(QMouseEvent* event)
{
    // A click beside the rows clears the selection, and counts as an event
    // of the list like a click on a row.
    if (!indexAt(event->position().toPoint()).isValid()) {
        SelectRowQuietly(-1);
        event->accept();
        setFocus(Qt::MouseFocusReason);
        emit SelectionEdited();
        return;
    }
    QTreeView::mousePressEvent(event);
}

bool ReportListView::ShowListTip(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || toolTip().isEmpty())
        return false;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), toolTip(), this);
    return true;
}

bool ReportListView::viewportEvent(QEvent* event)
{
    if (ShowListTip(event))
        return true;
    return QTreeView::viewportEvent(event);
}

bool ReportListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == header()->viewport() && ShowListTip(event))
        return true;
    return QTreeView::eventFilter(watched, event);
}

int SortListKeepSelection(ReportListView* list, int column, bool ascending)
{
    if (list == nullptr)
        return -1;
    SortReportList(list->List(), column, ascending);
    list->Reload();
    const int row = list->SelectedRow();
    if (row >= 0)
        list->ShowRow(row);
    list->setFocus(Qt::OtherFocusReason);
    return row;
}

}  // namespace kestrova
