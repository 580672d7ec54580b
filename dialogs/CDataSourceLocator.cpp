#include "dialogs/CDataSourceLocator.h"

#include "dialogs/ConnectionStringDialog.h"

namespace vantix {

bool CDataSourceLocator::Run(const std::string& start) {
    ConnectionStringDialog dialog(start, owner_);
    if (dialog.exec() != QDialog::Accepted) return false;
    connectionString_ = dialog.ConnectionString();
    return true;
}

bool CDataSourceLocator::EditConnectionString(const std::string& connectionString) { return Run(connectionString); }

bool CDataSourceLocator::NewConnectionString() {
    if (Run({})) return true;
    connectionString_.clear();
    return false;
}

} // namespace vantix
