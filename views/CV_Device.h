#pragma once
#include <memory>
#include <optional>
#include <string>

#include "views/ListPane.h"

class QMenu;

namespace FTDI {
class DevData;
}

namespace vantix {

// The pane of attached readers, one row per reader, in ascending order of the
// serial number. It only shows rows; the edit and beep commands it offers go
// out as signals for the main window to carry out.
class CV_Device : public ListPane {
    Q_OBJECT
public:
    enum Column { ColSerial, ColName, ColBeep, ColKeyboard, ColDatabase, ColId, ColEvent, ColDescription };

    explicit CV_Device(QWidget* parent = nullptr);

    // Adds the reader's row at its sorted place. A reader that already has a
    // row gets that row rewritten instead, so a serial is never listed twice.
    void AddDevice(const std::string& serialNumber, const FTDI::DevData& device);
    // Rewrites the configuration columns (not serial or description) of the
    // reader's row; false when it has none.
    bool UpdateDevice(const std::string& serialNumber, const FTDI::DevData& device);
    // False when the reader has no row.
    bool RemoveDevice(const std::string& serialNumber);
    // Row whose serial is exactly this text, or -1.
    int FindRow(const std::string& serialNumber) const;

    bool HasSelection() const;
    // The serial of the first selected row in display order.
    std::optional<std::string> FirstSelectedSerial() const;

    // The "Device" menu with Edit and Buzz, or null while no row is selected.
    std::unique_ptr<QMenu> CreateContextMenu();

signals:
    void editRequested();
    void buzzRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillConfigColumns(QTreeWidgetItem& row, const FTDI::DevData& device) const;
};

} // namespace vantix
