#pragma once
#include <QDialog>

class QLabel;

namespace vantix {

// "About Vantix": the program's icon, name and version, and where its
// files are.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr, const QString& filesText = {});
    QString VersionLabel() const;

private:
    QLabel* version_;
};

} // namespace vantix
