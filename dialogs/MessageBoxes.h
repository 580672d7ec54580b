#pragma once
#include <QString>

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace vantix {

// Modal message boxes titled with the program's name, with the system's
// stop, information or warning icon and one OK button.
void ShowStop(QWidget* parent, const QString& text);
void ShowInformation(QWidget* parent, const QString& text);
void ShowWarning(QWidget* parent, const QString& text);

// OK and Cancel with string-table texts, wired to the dialog's accept and
// reject; the caller places the box in its layout.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

} // namespace vantix
