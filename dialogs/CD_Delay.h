#pragma once
#include <QDialog>

#include "dialogs/Prompter.h"

class QLineEdit;

namespace vantix {

// "Intercharacter Delay": the pause after each typed character, 1..500 ms.
class CD_Delay : public QDialog {
    Q_OBJECT
public:
    static constexpr unsigned kMin = 1;
    static constexpr unsigned kMax = 500;

    explicit CD_Delay(QWidget* parent, Prompter& prompter = DefaultPrompter());

    unsigned delay = 1;

    // Shows `delay` in the box; call before the run.
    void WriteControls();
    // OK: refuses (with the standard range message) what is not 1..500.
    void accept() override;

private:
    Prompter& prompter_;
    QLineEdit* box_ = nullptr;
};

} // namespace vantix
