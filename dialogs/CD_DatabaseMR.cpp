#include "dialogs/CD_DatabaseMR.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "dialogs/CDataSourceLocator.h"
#include "views/Tr.h"

namespace vantix {

CD_DatabaseMR::CD_DatabaseMR(QWidget* parent)
    : QDialog(parent), use_(new QCheckBox(Tr(str::kUseDatabase), this)), edit_(new QPlainTextEdit(this)),
      build_(new QPushButton(Tr(str::kBuild), this)) {
    setWindowTitle(Tr(str::kDatabaseTitle));
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(use_);
    layout->addWidget(new QLabel(Tr(str::kConnectionStringLabel), this));
    layout->addWidget(edit_);
    layout->addWidget(build_, 0, Qt::AlignLeft);
    layout->addWidget(buttons);
    connect(use_, &QCheckBox::clicked, this, &CD_DatabaseMR::OnUseClicked);
    connect(build_, &QPushButton::clicked, this, &CD_DatabaseMR::OnBuild);
    connect(buttons, &QDialogButtonBox::accepted, this, &CD_DatabaseMR::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, 260);
}

void CD_DatabaseMR::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        DoDataExchange(false);
        UpdateEnabling();
    }
    QDialog::showEvent(event);
}

void CD_DatabaseMR::DoDataExchange(bool save) {
    if (save) {
        useDatabase = use_->isChecked() ? 1 : 0;
        connectionString = edit_->toPlainText().toStdString();
    } else {
        use_->setChecked(useDatabase != 0);
        edit_->setPlainText(QString::fromStdString(connectionString));
    }
}

void CD_DatabaseMR::UpdateEnabling() {
    edit_->setEnabled(use_->isChecked());
    build_->setEnabled(use_->isChecked());
}

void CD_DatabaseMR::OnUseClicked() {
    DoDataExchange(true);
    UpdateEnabling();
}

void CD_DatabaseMR::OnBuild() {
    // Starts from the text in the edit box, typed changes included, so
    // nothing the user wrote is silently replaced; a successful build
    // replaces the edit box.
    connectionString = edit_->toPlainText().toStdString();
    CDataSourceLocator locator(this);
    const bool built = connectionString.empty() ? locator.NewConnectionString()
                                                : locator.EditConnectionString(connectionString);
    if (!built) return;
    connectionString = locator.GetConnectionString();
    edit_->setPlainText(QString::fromStdString(connectionString));
}

void CD_DatabaseMR::accept() {
    DoDataExchange(true);
    QDialog::accept();
}

} // namespace vantix
