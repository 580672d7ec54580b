#pragma once
#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;

namespace vantix {

// A modeless progress window for a long operation on the user-interface
// thread: a status line, a bar and Cancel. The operation polls it; the owner
// window is disabled while it exists.
class CD_Progress : public QDialog {
    Q_OBJECT
public:
    // captionId 0 gives "Progress".
    explicit CD_Progress(int captionId = 0);
    ~CD_Progress() override;

    // Shows the window beside `owner` (none: the application's active
    // window), disabling the owner until Destroy.
    bool Create(QWidget* owner);
    void SetStatus(const QString& text);
    void HideProgressBar();
    // Handles every pending event, then reports a cancel once and clears it.
    bool PollCancel();
    // Hides the window and enables the owner again.
    void Destroy();


protected:
    // Cancel, Escape and the close box only ask for a stop.
    void reject() override { cancelled_ = true; }
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* status_;
    QProgressBar* bar_;
    bool cancelled_ = false;
    QPointer<QWidget> owner_;
    bool ownerDisabled_ = false;
    static constexpr int kLower = 0, kUpper = 100, kStep = 1;
};

} // namespace vantix
