#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppInfo.h"
#include "core/Ids.h"
#include "views/Resources.h"
#include "views/Tr.h"

namespace vantix {

CAboutDlg::CAboutDlg(QWidget* parent, const QString& filesText) : QDialog(parent), version_(new QLabel(this)) {
    setWindowTitle(Tr(str::kAboutTitle));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(ResourcePath(ResTrayIcon)).pixmap(32, 32));
    version_->setText(Tr(str::kVersion, {QString::fromStdString(VersionText(kVersionLiteral))}));
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(Tr(str::kProgramName), this));
    texts->addWidget(version_);
    if (!filesText.isEmpty()) {
        auto* files = new QLabel(filesText, this);
        files->setWordWrap(true);
        files->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(files);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(str::kOk));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString CAboutDlg::VersionLabel() const { return version_->text(); }

} // namespace vantix
