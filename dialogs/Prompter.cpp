#include "dialogs/Prompter.h"

#include <QMessageBox>

#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

namespace {

class MessageBoxPrompter : public Prompter {
public:
    void Inform(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, Caption(), text);
    }
    void Plain(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, Caption(), text, QMessageBox::Ok, parent);
        box.exec();
    }
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox::critical(parent, Caption(), text);
    }
    bool Ask(QWidget* parent, const QString& text) override {
        return QMessageBox::question(parent, Caption(), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }

private:
    static QString Caption() { return Tr(str::kProgramName); }
};

} // namespace

Prompter& DefaultPrompter() {
    static MessageBoxPrompter prompter;
    return prompter;
}

} // namespace vantix
