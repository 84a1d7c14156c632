// The report list of the file-list window's four recording lists: a tree widget in list form
// with check boxes, grid lines and full-row selection, whose header click sorts the rows by
// that column. Each row keeps its check box, selection, focus and item data through a sort.
#pragma once

#include "catalogue/EventListSort.h"

#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <vector>

namespace trevix {

class CListEvent : public QTreeWidget {
    Q_OBJECT
public:
    explicit CListEvent(QWidget* parent = nullptr);

    void SetListKind(int kind) { listKind_ = kind; }
    int ListKind() const { return listKind_; }
    const EventListSortState& SortState() const { return sortState_; }

    // Columns by title and width; a width of 0 makes a hidden column that still holds text.
    struct Column {
        QString title;
        int width = 0;
    };
    void SetColumns(const std::vector<Column>& columns);

    // Appends an unticked row; returns its index.
    int AddRow(const QStringList& texts, quint32 itemData = 0);
    int RowCount() const { return topLevelItemCount(); }
    QString Text(int row, int column) const;
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    void SetAllChecked(bool checked);
    // True when at least one row is ticked.
    bool AnyChecked() const;
    // The rows that are ticked, in list order.
    std::vector<int> CheckedRows() const;
    quint32 ItemData(int row) const;

    // The column-click handler: sorts by column as the list's rules say (nothing for the
    // columns that never sort).
    void OnColumnClick(int column);

signals:
    // A click on a row (NM_CLICK): the row and the column it hit.
    void rowClicked(int row, int column);

private:
    void Rewrite(const std::vector<int>& order);

    int listKind_ = kListKindEvent;
    EventListSortState sortState_;
};

} // namespace trevix
