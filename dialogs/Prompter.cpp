#include "dialogs/Prompter.h"

#include <QMessageBox>

#include "app/ShellStringIds.h"
#include "app/Tr.h"

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

QString FormatText(int id, const QStringList& args) {
    const QString format = Tr(id);
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const bool placeholder = format[i] == u'%' && i + 1 < format.size() &&
                                 (format[i + 1] == u's' || format[i + 1] == u'd');
        if (placeholder && next < args.size()) {
            out += args[next++];
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace vantix
