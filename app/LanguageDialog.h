#pragma once
#include <QDialog>
#include <QStringList>

class QListWidget;

namespace vantix {

class LanguageManager;

// Picks the interface language: the known names sorted, the first one that
// begins with the current name (any case) selected. OK stays disabled while
// nothing is selected.
class CD_Language : public QDialog {
    Q_OBJECT
public:
    CD_Language(const QStringList& languages, const QString& current, QWidget* parent = nullptr);
    QString SelectedText() const;
    QListWidget* List() const { return list_; }

private:
    QListWidget* list_;
};

// The notice after a choice: 0 when the start language stays, else 151 for
// "English" and 165 for any other name.
int RestartNoticeId(const std::string& selected, const std::string& startLanguage);

// The Language command: the dialog, the new current language and the
// restart notice.
void RunLanguageCommand(QWidget* parent, LanguageManager& languages);

} // namespace vantix
