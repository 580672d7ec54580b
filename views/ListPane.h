#pragma once
#include <QTreeWidget>
#include <initializer_list>

namespace vantix {

// A report-style list: rows of text columns, whole-row selection of any
// number of rows, headers that do not sort on click. The three panes of the
// main window are built on it.
class ListPane : public QTreeWidget {
    Q_OBJECT
public:
    struct Column {
        int headingId; // string-table id of the heading
        int width;     // pixels
    };

    ListPane(std::initializer_list<Column> columns, QWidget* parent);

    int RowCount() const { return topLevelItemCount(); }
    QString Text(int row, int column) const;
    // Deletes the first rows until at most maxRows remain.
    void TrimTo(int maxRows);
    // Appends a row, scrolls it into view and returns it.
    QTreeWidgetItem* AppendRow(const QStringList& texts);
};

} // namespace vantix
