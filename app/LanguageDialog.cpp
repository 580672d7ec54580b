#include "app/LanguageDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/LanguageManager.h"
#include "dialogs/MessageBoxes.h"
#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

CD_Language::CD_Language(const QStringList& languages, const QString& current, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(Tr(str::kLanguageTitle));
    QStringList sorted = languages;
    sorted.sort(Qt::CaseInsensitive);
    list_->addItems(sorted);
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->text().startsWith(current, Qt::CaseInsensitive)) {
            list_->setCurrentRow(i);
            break;
        }
    auto* buttons = OkCancelButtons(this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(list_->currentItem() != nullptr);
    connect(list_, &QListWidget::currentItemChanged, ok,
            [ok](QListWidgetItem* item) { ok->setEnabled(item != nullptr); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

QString CD_Language::SelectedText() const {
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->text() : QString();
}

int RestartNoticeId(const std::string& selected, const std::string& startLanguage) {
    if (selected == startLanguage)
        return 0;
    return selected == LanguageManager::kEnglish ? str::kRestartEnglish : str::kRestartOther;
}

void RunLanguageCommand(QWidget* parent, LanguageManager& languages) {
    QStringList names;
    for (const auto& entry : languages.GetLanguages())
        names << QString::fromStdString(entry.first);
    CD_Language dialog(names, QString::fromStdString(languages.GetCurrent()), parent);
    if (dialog.exec() != QDialog::Accepted || dialog.SelectedText().isEmpty())
        return;
    const std::string selected = dialog.SelectedText().toStdString();
    languages.SetCurrent(selected);
    if (const int notice = RestartNoticeId(selected, languages.GetStartLanguage()))
        ShowInformation(parent, Tr(notice));
}

} // namespace vantix
