#pragma once
#include <QTreeWidget>
#include <initializer_list>
#include <vector>

namespace vantix {

// A report-style list: rows of text columns, whole-row selection of any
// number of rows, headers that do not sort on click. The three panes of the
// main window are built on it.
class ListPane : public QTreeWidget {
    Q_OBJECT
public:
    struct Column {
        int headingId;                  // string-table id of the heading
        int width;                      // pixels at an 8-point dialog font
        const char* widest = nullptr;   // a widest usual value, never clipped
        bool withIcon = false;          // cells carry the pane's icon too
    };

    ListPane(std::initializer_list<Column> columns, QWidget* parent);

    // Sets every column to its width scaled to the current font, widened
    // where the heading or the widest usual value needs more.
    void FitColumns();

    int RowCount() const { return topLevelItemCount(); }
    QString Text(int row, int column) const;
    // Deletes the first rows until at most maxRows remain.
    void TrimTo(int maxRows);
    // Appends a row, scrolls it into view and returns it.
    QTreeWidgetItem* AppendRow(const QStringList& texts);

protected:
    void changeEvent(QEvent* event) override;

private:
    int FittedWidth(int index) const;

    std::vector<Column> columns_;
};

} // namespace vantix
