#include "views/ListPane.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <memory>

#include "views/Tr.h"

namespace vantix {

namespace {

// The average character width of the 8-point dialog font the column widths
// were laid out for; larger fonts widen the columns in proportion.
constexpr int kDesignCharWidth = 6;

} // namespace

ListPane::ListPane(std::initializer_list<Column> columns, QWidget* parent)
    : QTreeWidget(parent), columns_(columns) {
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
    FitColumns();
}

void ListPane::FitColumns() {
    for (int index = 0; index < static_cast<int>(columns_.size()); ++index)
        setColumnWidth(index, FittedWidth(index));
}

int ListPane::FittedWidth(int index) const {
    const Column& column = columns_[static_cast<std::size_t>(index)];
    const int charWidth = std::max(fontMetrics().averageCharWidth(), kDesignCharWidth);
    int width = std::max(column.width * charWidth / kDesignCharWidth, header()->sectionSizeHint(index));
    if (column.widest) {
        // Measured as the list's own cells are, margins and icon included.
        QStyleOptionViewItem cell;
        initViewItemOption(&cell);
        cell.text = QString::fromLatin1(column.widest);
        cell.features |= QStyleOptionViewItem::HasDisplay;
        if (column.withIcon)
            cell.features |= QStyleOptionViewItem::HasDecoration;
        width = std::max(width, style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), this).width());
    }
    return width;
}

void ListPane::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FitColumns();
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
