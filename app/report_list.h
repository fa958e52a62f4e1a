// A report list of a window: a list view showing an engine ReportList (rows
// of Windows-1252 column texts and the selected row). Single selection of
// whole rows, the selection stays visible when the list loses the focus, and
// a click on a column header sorts the list (SortListKeepSelection): the
// first column ascending, any other column descending.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QTreeView>
#include <string>
#include <vector>

#include "page/page_state.h"

namespace kestrova {

class ReportListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReportListModel(QObject* parent = nullptr);

    void SetList(ReportList* list);
    ReportList* List() const { return list_; }
    // Column titles (Windows-1252) and alignment.
    void AddColumn(const std::string& title, bool rightAligned);
    int ColumnCount() const { return static_cast<int>(titles_.size()); }
    const std::string& ColumnTitle(int column) const { return titles_.at(static_cast<std::size_t>(column)); }
    // The engine list changed behind the model's back.
    void Reset();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ReportList* list_ = nullptr;
    std::vector<std::string> titles_;
    std::vector<bool> rightAligned_;
};

class ReportListView : public QTreeView {
    Q_OBJECT
public:
    // The list shown is `list` (not owned; it must outlive the view).
    explicit ReportListView(ReportList* list, QWidget* parent = nullptr);

    ReportList& List() const { return *model_->List(); }
    ReportListModel* Model() const { return model_; }

    // Adds a column with its title (Windows-1252), width in pixels and alignment.
    void AddColumn(const std::string& title, int width, bool rightAligned);
    void SetColumnWidth(int column, int width) { setColumnWidth(column, width); }

    // Shows the engine list again after the engine changed its rows or its
    // selected row; the selection follows List().Selected.
    void Reload();
    // Selects a row (or none with -1) without raising SelectionEdited.
    void SelectRowQuietly(int row);
    void ClearSelectionQuietly() { SelectRowQuietly(-1); }
    // Text of a column of the selected row ("" when none is selected).
    std::string SelectedText(int column) const;
    int SelectedRow() const { return model_->List() ? model_->List()->Selected : -1; }
    // Scrolls a row into view.
    void ShowRow(int row);

signals:
    // The user changed the selection (click, keys) or clicked the list.
    void SelectionEdited();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // The list's tooltip (the balloon tip) shows over the rows and the
    // column headers, not only over the frame.
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSelectionChanged();
    bool ShowListTip(QEvent* event);
    // Shrinks the header's font a little when a column title is wider than
    // its column.
    void FitHeaderFont();

    ReportListModel* model_;
    bool quiet_ = false;
    QFont headerBaseFont_;
};

// Sorts the list's rows by a column (ascending or descending, the order of
// CompareListRows), shows it again, scrolls the selected row into view and
// gives the list the keyboard focus. Returns the selected row's new index,
// or -1 when no row is selected.
int SortListKeepSelection(ReportListView* list, int column, bool ascending);

}  // namespace kestrova
