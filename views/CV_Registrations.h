#pragma once
#include "views/ListPane.h"

namespace FTDI {
class MessageRegistration;
}

namespace vantix {

// The pane of registrations (proximity card reads), in arrival order.
class CV_Registrations : public ListPane {
    Q_OBJECT
public:
    // Rows kept before a new one is added: the pane shows at most one more.
    static constexpr int kRowsBeforeAdd = 300;

    explicit CV_Registrations(QWidget* parent = nullptr);

    // Drops the oldest rows beyond the cap, appends this read and shows it.
    void AddRegistration(const FTDI::MessageRegistration& registration);
};

} // namespace vantix
