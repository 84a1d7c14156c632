#include "catalogue/ui/ListEvent.h"

#include "app/ui/UiFonts.h"

#include <QHeaderView>

namespace trevix {
namespace {

constexpr int kItemDataRole = Qt::UserRole + 1;

} // namespace

CListEvent::CListEvent(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false); // the header click sorts by our own rule
    setFont(UiFonts::Get(2));
    setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #c0c0c0;"
                                 " border-bottom: 1px solid #c0c0c0; }"));
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignCenter);
    connect(header(), &QHeaderView::sectionClicked, this, &CListEvent::OnColumnClick);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        const int row = indexOfTopLevelItem(item);
        if (row >= 0)
            emit rowClicked(row, column);
    });
}

void CListEvent::SetColumns(const std::vector<Column>& columns) {
    setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const Column& column : columns)
        titles << column.title;
    setHeaderLabels(titles);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const int width = columns[static_cast<std::size_t>(c)].width;
        setColumnWidth(c, width);
        setColumnHidden(c, width == 0);
        headerItem()->setTextAlignment(c, Qt::AlignCenter);
    }
}

int CListEvent::AddRow(const QStringList& texts, quint32 itemData) {
    auto item = std::make_unique<QTreeWidgetItem>(texts);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    item->setData(0, kItemDataRole, itemData);
    for (int c = 0; c < texts.size(); ++c)
        item->setTextAlignment(c, Qt::AlignCenter);
    addTopLevelItem(item.release()); // the list owns its items
    return topLevelItemCount() - 1;
}

QString CListEvent::Text(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

bool CListEvent::IsChecked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->checkState(0) == Qt::Checked;
}

void CListEvent::SetChecked(int row, bool checked) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CListEvent::SetAllChecked(bool checked) {
    for (int row = 0; row < topLevelItemCount(); ++row)
        SetChecked(row, checked);
}

bool CListEvent::AnyChecked() const {
    for (int row = 0; row < topLevelItemCount(); ++row)
        if (IsChecked(row))
            return true;
    return false;
}

std::vector<int> CListEvent::CheckedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < topLevelItemCount(); ++row)
        if (IsChecked(row))
            rows.push_back(row);
    return rows;
}

quint32 CListEvent::ItemData(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, kItemDataRole).toUInt() : 0;
}

void CListEvent::OnColumnClick(int column) {
    const auto order = SortEventList(
        listKind_, topLevelItemCount(), column,
        [this](int row, int c) { return Text(row, c).toStdU16String(); }, sortState_);
    if (order && order->size() >= 2)
        Rewrite(*order);
}

void CListEvent::Rewrite(const std::vector<int>& order) {
    // Items carry their texts, check box, item data and selection; focus is restored by hand.
    QTreeWidgetItem* focused = currentItem();
    std::vector<QTreeWidgetItem*> items;
    items.reserve(order.size());
    for (const int row : order)
        items.push_back(topLevelItem(row));
    std::vector<bool> selected;
    for (const QTreeWidgetItem* item : items)
        selected.push_back(item->isSelected());
    const bool blocked = blockSignals(true);
    while (topLevelItemCount() > 0)
        takeTopLevelItem(0);
    for (QTreeWidgetItem* item : items)
        addTopLevelItem(item);
    for (std::size_t k = 0; k < items.size(); ++k)
        items[k]->setSelected(selected[k]);
    if (focused != nullptr)
        setCurrentItem(focused, 0, QItemSelectionModel::NoUpdate);
    blockSignals(blocked);
    viewport()->update();
}

} // namespace trevix
