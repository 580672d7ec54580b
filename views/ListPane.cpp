#include "views/ListPane.h"

#include <QHeaderView>
#include <memory>

#include "views/Tr.h"

namespace vantix {

ListPane::ListPane(std::initializer_list<Column> columns, QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QStringList headings;
    for (const Column& c : columns)
        headings << Tr(c.headingId);
    setHeaderLabels(headings);
    int index = 0;
    for (const Column& c : columns)
        setColumnWidth(index++, c.width);
}

QString ListPane::Text(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void ListPane::TrimTo(int maxRows) {
    while (RowCount() > maxRows)
        std::unique_ptr<QTreeWidgetItem> dropped(takeTopLevelItem(0));
}

QTreeWidgetItem* ListPane::AppendRow(const QStringList& texts) {
    auto* item = new QTreeWidgetItem(this, texts); // owned by the list
    scrollToItem(item);
    return item;
}

} // namespace vantix
