#include "views/CTaskbarNotifier.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <algorithm>

#include "views/Resources.h"

namespace vantix {

namespace {

constexpr int kNoTransparency = 0xFFFF;

ScreenAreas PrimaryScreenAreas() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? ScreenAreas{screen->availableGeometry(), screen->geometry()} : ScreenAreas{};
}

int Right(const QRect& r) { return r.x() + r.width(); }
int Bottom(const QRect& r) { return r.y() + r.height(); }

QFont StyledFont(const QString& face, int tenthsOfPoint, int style) {
    QFont font(face);
    font.setPointSizeF(tenthsOfPoint / 10.0);
    font.setBold(style & 1);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    return font;
}

// Word-wrapped, centred both ways, the last line that fits ending in an
// ellipsis when the text is longer.
void DrawWrappedText(QPainter& painter, const QRect& rect, QString text) {
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFontMetrics metrics(painter.font());
    const int lineHeight = metrics.lineSpacing();
    const int maxLines = std::max(1, rect.height() / lineHeight);
    QStringList lines;
    QTextLayout layout(text, painter.font());
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        if (static_cast<int>(lines.size()) == maxLines - 1) {
            lines << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, rect.width());
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    int y = rect.top() + (rect.height() - static_cast<int>(lines.size()) * lineHeight) / 2;
    for (const QString& line : lines) {
        painter.drawText(QRect(rect.left(), y, rect.width(), lineHeight), Qt::AlignCenter, line);
        y += lineHeight;
    }
}

} // namespace

CTaskbarNotifier::CTaskbarNotifier(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      screenAreas_(PrimaryScreenAreas) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
    for (QTimer* timer : {&appearTimer_, &stayTimer_, &disappearTimer_})
        timer->setTimerType(Qt::PreciseTimer);
    stayTimer_.setSingleShot(true);
    connect(&appearTimer_, &QTimer::timeout, this, &CTaskbarNotifier::AppearStep);
    connect(&stayTimer_, &QTimer::timeout, this, &CTaskbarNotifier::StayOver);
    connect(&disappearTimer_, &QTimer::timeout, this, &CTaskbarNotifier::DisappearStep);
}

void CTaskbarNotifier::SetScreenAreasSource(std::function<ScreenAreas()> source) {
    screenAreas_ = std::move(source);
}

CTaskbarNotifier::Edge CTaskbarNotifier::TaskbarEdge(const ScreenAreas& a) {
    if (a.work.width() < a.screen.width())
        return a.work.x() == a.screen.x() ? Edge::Right : Edge::Left;
    if (a.work.height() < a.screen.height() && a.work.y() != a.screen.y())
        return Edge::Top;
    return Edge::Bottom;
}

void CTaskbarNotifier::SetTextFont(const QString& face, int tenthsOfPoint, int normalStyle, int hoverStyle) {
    normalFont_ = StyledFont(face, tenthsOfPoint, normalStyle);
    hoverFont_ = StyledFont(face, tenthsOfPoint, hoverStyle);
    update();
}

bool CTaskbarNotifier::SetSkin(int bitmapId, int red, int green, int blue) {
    return SetSkin(QPixmap(ResourcePath(bitmapId)), red, green, blue);
}

bool CTaskbarNotifier::SetSkin(const QPixmap& skin, int red, int green, int blue) {
    skin_ = skin;
    if (skin_.isNull())
        return false;
    textRect_ = skin_.rect();
    resize(skin_.size());
    if (red != kNoTransparency && green != kNoTransparency && blue != kNoTransparency)
        setMask(skin_.createMaskFromColor(QColor(red, green, blue), Qt::MaskInColor));
    return true;
}

void CTaskbarNotifier::SetTextColor(const QColor& normal, const QColor& hover) {
    normalColor_ = normal;
    hoverColor_ = hover;
    update();
}

void CTaskbarNotifier::SetTextRect(const QRect& rect) { textRect_ = rect; }

void CTaskbarNotifier::ComputeStart(const ScreenAreas& a) {
    edge_ = TaskbarEdge(a);
    const int w = skin_.width(), h = skin_.height();
    switch (edge_) {
    case Edge::Right: start_ = {Right(a.work), Bottom(a.work) - h}; break;
    case Edge::Left: start_ = {a.work.x() - w, Bottom(a.work) - h}; break;
    case Edge::Top: start_ = {Right(a.work) - w, a.work.y() - h}; break;
    case Edge::Bottom: start_ = {Right(a.work) - w, Bottom(a.work)}; break;
    }
}

QPoint CTaskbarNotifier::FullyShownPosition(const ScreenAreas& a) const {
    const int w = skin_.width(), h = skin_.height();
    switch (edge_) {
    case Edge::Right: return {Right(a.work) - w, start_.y()};
    case Edge::Left: return {a.work.x(), start_.y()};
    case Edge::Top: return {start_.x(), a.work.y()};
    case Edge::Bottom: break;
    }
    return {start_.x(), Bottom(a.work) - h};
}

void CTaskbarNotifier::Show(const QString& text, int timeToShow, int timeToStay, int timeToHide) {
    text_ = text;
    timeToStay_ = timeToStay;
    const ScreenAreas areas = screenAreas_();
    switch (state_) {
    case State::Idle: {
        ComputeStart(areas);
        const bool sideways = edge_ == Edge::Left || edge_ == Edge::Right;
        // A popup without skin has no size; one step keeps the division sound.
        const int steps = std::max(1, (sideways ? skin_.width() : skin_.height()) / kStep);
        appearDelay_ = timeToShow / steps;
        disappearDelay_ = timeToHide / steps;
        current_ = start_;
        // Appearing from here on, so a second Show before the first tick
        // does not start the slide over.
        state_ = State::Appearing;
        PlaceWindow();
        show();
        appearTimer_.start(appearDelay_);
        break;
    }
    case State::Appearing:
        update();
        break;
    case State::Waiting:
        update();
        stayTimer_.start(timeToStay_);
        break;
    case State::Disappearing:
        disappearTimer_.stop();
        stayTimer_.start(timeToStay_);
        ComputeStart(areas);
        current_ = FullyShownPosition(areas);
        PlaceWindow();
        raise();
        update();
        break;
    }
}

void CTaskbarNotifier::Hide() {
    appearTimer_.stop();
    stayTimer_.stop();
    disappearTimer_.stop();
    move(0, 0);
    hide();
    state_ = State::Idle;
}

void CTaskbarNotifier::AppearStep() {
    state_ = State::Appearing;
    const int w = skin_.width(), h = skin_.height();
    bool moved = true;
    switch (edge_) {
    case Edge::Top:
        if ((moved = current_.y() - start_.y() < h)) current_.setY(std::min(current_.y() + kStep, start_.y() + h));
        break;
    case Edge::Left:
        if ((moved = current_.x() - start_.x() < w)) current_.setX(std::min(current_.x() + kStep, start_.x() + w));
        break;
    case Edge::Right:
        if ((moved = current_.x() > start_.x() - w)) current_.setX(std::max(current_.x() - kStep, start_.x() - w));
        break;
    case Edge::Bottom:
        if ((moved = current_.y() > start_.y() - h)) current_.setY(std::max(current_.y() - kStep, start_.y() - h));
        break;
    }
    if (!moved) {
        appearTimer_.stop();
        stayTimer_.start(timeToStay_);
        state_ = State::Waiting;
    }
    PlaceWindow();
}

void CTaskbarNotifier::StayOver() { disappearTimer_.start(disappearDelay_); }

void CTaskbarNotifier::DisappearStep() {
    state_ = State::Disappearing;
    bool moved = true;
    switch (edge_) {
    case Edge::Top:
        if ((moved = current_.y() > start_.y())) current_.setY(std::max(current_.y() - kStep, start_.y()));
        break;
    case Edge::Left:
        if ((moved = current_.x() > start_.x())) current_.setX(std::max(current_.x() - kStep, start_.x()));
        break;
    case Edge::Right:
        if ((moved = current_.x() < start_.x())) current_.setX(std::min(current_.x() + kStep, start_.x()));
        break;
    case Edge::Bottom:
        if ((moved = current_.y() < start_.y())) current_.setY(std::min(current_.y() + kStep, start_.y()));
        break;
    }
    if (!moved) {
        Hide();
        return;
    }
    PlaceWindow();
}

void CTaskbarNotifier::PlaceWindow() { setGeometry(QRect(current_, skin_.size())); }

void CTaskbarNotifier::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, skin_);
    painter.setFont(mouseOver_ ? hoverFont_ : normalFont_);
    painter.setPen(mouseOver_ ? hoverColor_ : normalColor_);
    DrawWrappedText(painter, textRect_, text_);
}

void CTaskbarNotifier::enterEvent(QEnterEvent*) {
    mouseOver_ = true;
    update();
}

void CTaskbarNotifier::leaveEvent(QEvent*) {
    mouseOver_ = false;
    update();
}

void CTaskbarNotifier::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
}

} // namespace vantix
