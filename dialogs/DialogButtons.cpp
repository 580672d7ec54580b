#include "dialogs/DialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

#include "core/Ids.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

void AddOkCancel(QDialog& dialog, QBoxLayout& row, bool withCancel) {
    auto* ok = new QPushButton(Tr(str::kOkText), &dialog);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    row.addWidget(ok);
    if (!withCancel) return;
    auto* cancel = new QPushButton(Tr(str::kCancelText), &dialog);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    row.addWidget(cancel);
}

} // namespace vantix
