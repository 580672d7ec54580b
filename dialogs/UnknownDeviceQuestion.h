#pragma once
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <mutex>
#include <string>

class QDialog;
class QWidget;

namespace vantix {

// Lets the device monitor thread ask the user about an unrecognised reader.
// The dialog runs on the user-interface thread (the object's thread); the
// asking thread waits for the answer without touching any widget.
// At exit call Shutdown() before joining the asking thread: it answers -1 to
// the waiting question (closing its dialog) and to every later one, so the
// monitor can never hold up the exit.
class UnknownDeviceQuestion : public QObject {
    Q_OBJECT
public:
    explicit UnknownDeviceQuestion(QWidget* dialogParent = nullptr);
    ~UnknownDeviceQuestion() override;

    // Any thread. `deviceText` is "serial (description)" in 8-bit text.
    // Returns the chosen device type, or -1.
    int Ask(const std::string& deviceText);

    // User-interface thread.
    void Shutdown();

    // The dialog currently open, for tests and for closing it at exit.
    QDialog* OpenDialog() const { return open_; }

private:
    struct Pending;
    void Answer(Pending& pending);

    QPointer<QWidget> dialogParent_;
    QPointer<QDialog> open_;
    std::mutex mutex_;
    std::condition_variable answered_;
    bool shutDown_ = false;
};

} // namespace vantix
