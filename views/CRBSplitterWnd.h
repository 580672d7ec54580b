#pragma once
#include <QSplitter>

namespace vantix {

// A two-pane splitter that keeps one pane at a remembered size when it is
// resized. Mode 0 keeps the right pane of a horizontal split; any other mode
// keeps the bottom pane of a vertical split. When the mode does not match the
// orientation (mode 0 on a vertical split, as the main window uses it) the
// first pane keeps its size and the second takes the rest. A drag of the bar
// sets the size that is kept.
class CRBSplitterWnd : public QSplitter {
    Q_OBJECT
public:
    explicit CRBSplitterWnd(Qt::Orientation orientation = Qt::Vertical, int mode = 0, int rememberedSize = 200,
                            QWidget* parent = nullptr);

    int Mode() const { return mode_; }
    // Pixels of the kept second pane together with the bar.
    int RememberedSize() const { return remembered_; }
    // The size the first pane keeps in the other modes.
    void SetFirstPaneSize(int pixels);
    // The first pane's size along the split; before the splitter was ever
    // laid out, the size it will get.
    int FirstPaneSize() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool KeepsSecondPane() const;
    int Extent() const;
    void ApplySizes();
    void TakeSizesFromDrag();

    int mode_;
    int remembered_;
    int firstSize_ = 100;
    bool laidOut_ = false;
};

} // namespace vantix
