#pragma once
#include <QDialog>
#include <QPoint>
#include <QTimer>
#include <functional>

#include "dialogs/Prompter.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantix {

// "Change coordinates": shows the cursor position live and takes it at the
// first click anywhere on the screen (the mouse is grabbed while capturing);
// "Capture" starts again. X and Y can also be typed once capturing stopped.
class CD_Mouse : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;

    explicit CD_Mouse(QWidget* parent, Prompter& prompter = DefaultPrompter());
    ~CD_Mouse() override;

    int x = 0;
    int y = 0;
    QString liveText;
    bool capturing = true;

    // Where the cursor is on the screen; tests put a fixed point here.
    std::function<QPoint()> cursorPosition;

    // Takes the cursor position as the chosen point and stops capturing.
    void CaptureNow();
    void StartCapture();
    QPushButton* CaptureButton() const { return captureButton_; }

    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Tick();
    bool TryGrab();
    void StopCapture();
    void WriteControls();

    Prompter& prompter_;
    QTimer timer_;
    QLabel* live_ = nullptr;
    QLineEdit* xBox_ = nullptr;
    QLineEdit* yBox_ = nullptr;
    QPushButton* captureButton_ = nullptr;
    bool initialised_ = false;
    bool grabbed_ = false;
};

} // namespace vantix
