#include "dialogs/StartupDialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/MessageBoxes.h"
#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

CD_Startup::CD_Startup(AutostartFolders folders, std::string executable, QWidget* parent)
    : QDialog(parent), folders_(std::move(folders)), executable_(std::move(executable)),
      group_(new QButtonGroup(this)) {
    setWindowTitle(Tr(str::kStartupTitle));
    auto* layout = new QVBoxLayout(this);
    const int texts[] = {str::kStartupAllUsers, str::kStartupCurrentUser, str::kStartupNever};
    for (int choice = StartupAllUsers; choice <= StartupNever; ++choice) {
        auto* button = new QRadioButton(Tr(texts[choice]), this);
        group_->addButton(button, choice);
        layout->addWidget(button);
    }
    layout->addWidget(OkCancelButtons(this));
    SetChoice(CurrentStartupChoice(folders_));
}

int CD_Startup::Choice() const { return group_->checkedId(); }

void CD_Startup::SetChoice(int choice) {
    if (QAbstractButton* button = group_->button(choice))
        button->setChecked(true);
}

void CD_Startup::accept() {
    const auto failures = ApplyStartupChoice(folders_, Choice(), executable_);
    if (!failures.empty()) {
        QString reasons;
        for (const auto& failure : failures)
            reasons += QString::fromStdString(failure) + "\n";
        ShowWarning(this, Tr(str::kStartupFailed, {reasons.trimmed()}));
    }
    QDialog::accept();
}

void RunStartupCommand(QWidget* parent) {
    CD_Startup dialog(AutostartFolders::FromEnvironment(), QCoreApplication::applicationFilePath().toStdString(),
                      parent);
    dialog.exec();
}

} // namespace vantix
