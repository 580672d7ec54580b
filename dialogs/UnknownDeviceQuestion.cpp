#include "dialogs/UnknownDeviceQuestion.h"

#include <QThread>
#include <memory>

#include "dialogs/CD_UnknownDevice.h"

namespace vantix {

struct UnknownDeviceQuestion::Pending {
    QString deviceText;
    bool done = false;
    int answer = -1;
};

UnknownDeviceQuestion::UnknownDeviceQuestion(QWidget* dialogParent) : dialogParent_(dialogParent) {}

UnknownDeviceQuestion::~UnknownDeviceQuestion() { Shutdown(); }

int UnknownDeviceQuestion::Ask(const std::string& deviceText) {
    auto pending = std::make_shared<Pending>();
    pending->deviceText = QString::fromLatin1(deviceText);
    if (QThread::currentThread() == thread()) {
        Answer(*pending);
        return pending->answer;
    }
    std::unique_lock lock(mutex_);
    if (shutDown_) return -1;
    QMetaObject::invokeMethod(this, [this, pending] { Answer(*pending); }, Qt::QueuedConnection);
    answered_.wait(lock, [&] { return pending->done || shutDown_; });
    return pending->done ? pending->answer : -1;
}

void UnknownDeviceQuestion::Answer(Pending& pending) {
    int answer = -1;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_) return;
    }
    CD_UnknownDevice dialog(pending.deviceText, dialogParent_);
    open_ = &dialog;
    dialog.exec();
    open_ = nullptr;
    answer = dialog.Result();
    std::lock_guard lock(mutex_);
    pending.answer = shutDown_ ? -1 : answer;
    pending.done = true;
    answered_.notify_all();
}

void UnknownDeviceQuestion::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        answered_.notify_all();
    }
    if (open_) open_->reject();
}

} // namespace vantix
