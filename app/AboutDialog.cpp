#include "app/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppInfo.h"
#include "app/Tr.h"

namespace vantix {

namespace {
constexpr int kStrAboutTitle = 1001;
constexpr int kStrProgramName = 1002;
constexpr int kStrOk = 1003;
constexpr int kStrVersion = 1016;
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), version_(new QLabel(this)) {
    setWindowTitle(Tr(kStrAboutTitle));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    version_->setText(Tr(kStrVersion).replace("%s", QString::fromStdString(VersionText(kVersionLiteral))));
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(Tr(kStrProgramName), this));
    texts->addWidget(version_);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(kStrOk));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString CAboutDlg::VersionLabel() const { return version_->text(); }

} // namespace vantix
