#pragma once
#include <QDialog>

class QComboBox;

namespace vantix {

// "Unknown Device ...": the user classifies a reader whose model is not
// recognised. Result(): the chosen device type, -1 for "Don't work with that
// device" and for any end other than OK.
class CD_UnknownDevice : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOptionCount = 5;

    // `deviceText` is "serial (description)".
    CD_UnknownDevice(const QString& deviceText, QWidget* parent);

    QString message;
    int choice = 0;

    void accept() override;
    // The device type after the run: choice - 1 on OK, else -1.
    int Result() const { return result() == Accepted ? choice - 1 : -1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* list_ = nullptr;
};

} // namespace vantix
