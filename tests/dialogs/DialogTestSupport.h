#pragma once
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "dialogs/Prompter.h"
#include "tests/support/QtWait.h"

namespace vantix::test {

// Answers the message boxes of a dialog and keeps their texts.
class RecordingPrompter : public Prompter {
public:
    void Inform(QWidget*, const QString& text) override { informed << text; }
    void Error(QWidget*, const QString& text) override { errors << text; }
    bool Ask(QWidget*, const QString& text) override {
        asked << text;
        return answer;
    }

    bool answer = true;
    QStringList informed;
    QStringList errors;
    QStringList asked;
};

// Runs `action` on the modal dialog of type T once it is open (for dialogs
// run with exec() by the code under test).
template <class T>
void WhenModal(std::function<void(T*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start(5);
}


template <class T>
T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

inline QString BoxText(QWidget* dialog, int id) { return Control<QLabel>(dialog, id)->text(); }

} // namespace vantix::test
