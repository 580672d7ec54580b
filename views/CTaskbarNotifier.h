#pragma once
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace vantix {

// The desktop's work area (without taskbars) and the whole screen.
struct ScreenAreas {
    QRect work;
    QRect screen;
};

// A borderless skinned popup that slides in from the taskbar's edge, waits,
// and slides back out. Pixels of the skin's transparent colour are holes.
class CTaskbarNotifier : public QWidget {
    Q_OBJECT
public:
    enum class State { Idle = 0, Appearing = 1, Waiting = 2, Disappearing = 3 };
    enum class Edge { Top = 1, Left = 2, Right = 3, Bottom = 4 };
    static constexpr int kStep = 2; // pixels per timer tick

    explicit CTaskbarNotifier(QWidget* parent = nullptr);

    // Where the work area and screen come from; the primary screen by default.
    void SetScreenAreasSource(std::function<ScreenAreas()> source);
    static Edge TaskbarEdge(const ScreenAreas& areas);

    // size in tenths of a point; style bits: 1 bold, 2 italic, 4 underline.
    void SetTextFont(const QString& face, int tenthsOfPoint, int normalStyle, int hoverStyle);
    // Takes the bitmap's size as the popup's and its whole area as the text
    // rectangle; pixels of (red, green, blue) become holes unless one of them
    // is 0xFFFF. False (and no skin) when the bitmap cannot be loaded.
    bool SetSkin(int bitmapId, int red, int green, int blue);
    bool SetSkin(const QPixmap& skin, int red, int green, int blue);
    void SetTextColor(const QColor& normal, const QColor& hover);
    void SetTextRect(const QRect& rect);

    // Slides the text in, keeps it timeToStay ms and slides it out. While the
    // popup is visible a new text replaces the old one without a new slide;
    // while it slides out it comes back at once.
    void Show(const QString& text, int timeToShow, int timeToStay, int timeToHide);
    void Hide();

    State AnimationState() const { return state_; }
    Edge CurrentEdge() const { return edge_; }
    QPoint CurrentPosition() const { return current_; }
    QPoint StartPosition() const { return start_; }
    QString Text() const { return text_; }
    bool MouseOver() const { return mouseOver_; }
    QSize SkinSize() const { return skin_.size(); }
    QRect TextRect() const { return textRect_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ComputeStart(const ScreenAreas& areas);
    QPoint FullyShownPosition(const ScreenAreas& areas) const;
    void AppearStep();
    void StayOver();
    void DisappearStep();
    void PlaceWindow();

    std::function<ScreenAreas()> screenAreas_;
    QFont normalFont_;
    QFont hoverFont_;
    QColor normalColor_{133, 146, 181};
    QColor hoverColor_{10, 36, 106};
    QPixmap skin_;
    QRect textRect_;
    QString text_;
    bool mouseOver_ = false;
    State state_ = State::Idle;
    int timeToStay_ = 0;
    int appearDelay_ = 0;
    int disappearDelay_ = 0;
    QPoint start_;
    QPoint current_;
    Edge edge_ = Edge::Bottom;
    QTimer appearTimer_;
    QTimer stayTimer_;
    QTimer disappearTimer_;
};

} // namespace vantix
