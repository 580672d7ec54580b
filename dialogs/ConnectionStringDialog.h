#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace vantix {

// Builds an ODBC connection string: the installed drivers and data sources
// to pick from, the key=value pairs to edit, and a connection test.
class ConnectionStringDialog : public QDialog {
    Q_OBJECT
public:
    ConnectionStringDialog(const std::string& connectionString, QWidget* parent);

    std::string ConnectionString() const;
    // Connects with the string as it stands; the result shows in the dialog.
    bool TestConnection();
    // Puts Driver (or DSN) first, in place of any Driver or DSN pair.
    void UseSource(const QString& key, const QString& name);

    QListWidget* Drivers() const { return drivers_; }
    QTableWidget* Pairs() const { return pairs_; }
    QLabel* TestResult() const { return testResult_; }

private:
    void AddPair(const QString& key, const QString& value);
    void UpdatePreview();

    QListWidget* drivers_;
    QListWidget* dataSources_;
    QTableWidget* pairs_;
    QLineEdit* preview_;
    QLabel* testResult_;
};

} // namespace vantix
