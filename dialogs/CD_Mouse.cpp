#include "dialogs/CD_Mouse.h"

#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include "core/Ids.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

CD_Mouse::CD_Mouse(QWidget* parent, Prompter& prompter)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      cursorPosition([] { return QCursor::pos(); }),
      prompter_(prompter) {
    setWindowTitle(Tr(str::kMouseCaption));
    auto* help = new QLabel(Tr(str::kMouseHelpText), this);
    help->setWordWrap(true);
    live_ = new QLabel(Tr(str::kLiveTemplate), this);
    live_->setObjectName(QString::number(ids::kMouseLive));
    xBox_ = new QLineEdit(this);
    xBox_->setObjectName(QString::number(ids::kMouseX));
    yBox_ = new QLineEdit(this);
    yBox_->setObjectName(QString::number(ids::kMouseY));
    captureButton_ = new QPushButton(Tr(str::kCaptureText), this);
    captureButton_->setObjectName(QString::number(ids::kCaptureButton));
    connect(captureButton_, &QPushButton::clicked, this, &CD_Mouse::StartCapture);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Tr(str::kCurrentCoordinatesText), this), 0, 0);
    grid->addWidget(live_, 0, 1);
    grid->addWidget(new QLabel(Tr(str::kXText), this), 1, 0);
    grid->addWidget(xBox_, 1, 1);
    grid->addWidget(new QLabel(Tr(str::kYText), this), 2, 0);
    grid->addWidget(yBox_, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(captureButton_);
    buttons->addStretch();
    AddOkCancel(*this, *buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &CD_Mouse::Tick);
}

CD_Mouse::~CD_Mouse() { StopCapture(); }

void CD_Mouse::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        WriteControls();
        move(cursorPosition() - QPoint(width() / 2, height() / 2));
        StartCapture();
    }
    QDialog::showEvent(event);
}

void CD_Mouse::StartCapture() {
    capturing = true;
    timer_.start();
    captureButton_->setEnabled(false);
    TryGrab();
}

bool CD_Mouse::TryGrab() {
    // The server refuses a pointer grab until the window is viewable, and a
    // window manager maps it some time after show(); so every tick tries
    // again until the grab holds.
    QWindow* window = windowHandle();
    if (grabbed_ || !window || !window->isExposed())
        return grabbed_;
    if (!window->setMouseGrabEnabled(true))
        return false;
    grabMouse();
    grabbed_ = true;
    return true;
}

void CD_Mouse::StopCapture() {
    timer_.stop();
    grabbed_ = false;
    if (QWidget::mouseGrabber() == this) releaseMouse();
}

void CD_Mouse::Tick() {
    TryGrab();
    const QPoint at = cursorPosition();
    liveText = QStringLiteral("%1, %2").arg(at.x()).arg(at.y());
    WriteControls();
    live_->repaint();
}

void CD_Mouse::CaptureNow() {
    const QPoint at = cursorPosition();
    x = at.x();
    y = at.y();
    WriteControls();
    capturing = false;
    StopCapture();
    captureButton_->setEnabled(true);
}

void CD_Mouse::mousePressEvent(QMouseEvent* event) {
    // The grab brings every click on the screen here, the dialog's own
    // buttons included; the screen position counts, not the event's.
    if (capturing && event->button() == Qt::LeftButton) {
        CaptureNow();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CD_Mouse::WriteControls() {
    live_->setText(liveText.isEmpty() ? Tr(str::kLiveTemplate) : liveText);
    xBox_->setText(QString::number(x));
    yBox_->setText(QString::number(y));
}

void CD_Mouse::accept() {
    bool xOk = false;
    bool yOk = false;
    const int newX = xBox_->text().trimmed().toInt(&xOk);
    const int newY = yBox_->text().trimmed().toInt(&yOk);
    if (!xOk || !yOk) {
        prompter_.Inform(this, Tr(str::kIntegerMessage));
        (xOk ? yBox_ : xBox_)->setFocus();
        return;
    }
    x = newX;
    y = newY;
    QDialog::accept();
}

void CD_Mouse::done(int result) {
    capturing = false;
    StopCapture();
    QDialog::done(result);
}

} // namespace vantix
