#pragma once

class QBoxLayout;
class QDialog;

namespace vantix {

// Appends OK (the default button) and, unless `withCancel` is false, Cancel
// to `row`; they run the dialog's accept() and reject().
void AddOkCancel(QDialog& dialog, QBoxLayout& row, bool withCancel = true);

} // namespace vantix
