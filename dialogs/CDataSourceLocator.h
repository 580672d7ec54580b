#pragma once
#include <string>

class QWidget;

namespace vantix {

// Lets the user build or edit a connection string in our connection-string
// dialog (over the installed ODBC drivers and data sources).
class CDataSourceLocator {
public:
    explicit CDataSourceLocator(QWidget* owner = nullptr) : owner_(owner) {}
    virtual ~CDataSourceLocator() = default;

    // Opens the dialog on `connectionString`; true and the new string when
    // the user confirms, false (string unchanged) on Cancel.
    bool EditConnectionString(const std::string& connectionString);
    // Opens the dialog empty; on Cancel the stored string becomes empty.
    bool NewConnectionString();
    const std::string& GetConnectionString() const { return connectionString_; }

private:
    bool Run(const std::string& start);

    QWidget* owner_;
    std::string connectionString_;
};

} // namespace vantix
