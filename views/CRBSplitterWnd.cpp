#include "views/CRBSplitterWnd.h"

#include <algorithm>

namespace vantix {

CRBSplitterWnd::CRBSplitterWnd(Qt::Orientation orientation, int mode, int rememberedSize, QWidget* parent)
    : QSplitter(orientation, parent), mode_(mode), remembered_(rememberedSize) {
    setChildrenCollapsible(false);
    connect(this, &QSplitter::splitterMoved, this, &CRBSplitterWnd::TakeSizesFromDrag);
}

bool CRBSplitterWnd::KeepsSecondPane() const {
    return (mode_ == 0) == (orientation() == Qt::Horizontal);
}

int CRBSplitterWnd::Extent() const { return orientation() == Qt::Horizontal ? width() : height(); }

void CRBSplitterWnd::SetFirstPaneSize(int pixels) {
    firstSize_ = std::max(0, pixels);
    if (laidOut_)
        ApplySizes();
}

int CRBSplitterWnd::FirstPaneSize() const {
    if (!laidOut_ || count() < 1)
        return KeepsSecondPane() ? std::max(0, Extent() - remembered_) : firstSize_;
    return sizes().front();
}

void CRBSplitterWnd::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    laidOut_ = true;
    ApplySizes();
}

void CRBSplitterWnd::ApplySizes() {
    if (count() != 2)
        return;
    const int extent = Extent();
    int first = KeepsSecondPane() ? extent - remembered_ : firstSize_;
    first = std::clamp(first < 1 ? 0 : first, 0, std::max(0, extent - handleWidth()));
    setSizes({first, std::max(0, extent - handleWidth() - first)});
}

void CRBSplitterWnd::TakeSizesFromDrag() {
    if (count() != 2)
        return;
    const int first = sizes().front();
    if (KeepsSecondPane())
        remembered_ = Extent() - first;
    else
        firstSize_ = first;
}

} // namespace vantix
