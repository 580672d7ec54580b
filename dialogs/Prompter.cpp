#include "dialogs/Prompter.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace vantix {

namespace {

class MessageBoxPrompter : public Prompter {
public:
    void Inform(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, Caption(), text);
    }
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox::critical(parent, Caption(), text);
    }
    bool Ask(QWidget* parent, const QString& text) override {
        return QMessageBox::question(parent, Caption(), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }

private:
    static QString Caption() {
        const QString name = QGuiApplication::applicationDisplayName();
        return name.isEmpty() ? QStringLiteral("Vantix") : name;
    }
};

} // namespace

Prompter& DefaultPrompter() {
    static MessageBoxPrompter prompter;
    return prompter;
}

} // namespace vantix
