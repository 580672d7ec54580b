#include "views/PaneLayout.h"

#include <QVBoxLayout>

#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"

namespace vantix {

PaneLayout::PaneLayout(const SplitSizes& sizes, QWidget* parent)
    : QWidget(parent),
      // Both splits are vertical with mode 0, so each upper pane keeps its height.
      outer_(new CRBSplitterWnd(Qt::Vertical, 0, 200, this)),
      inner_(new CRBSplitterWnd(Qt::Vertical, 0, 200)),
      devices_(new CV_Device),
      registrations_(new CV_Registrations),
      log_(new CV_Log2) {
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(outer_);
    outer_->addWidget(devices_);
    outer_->addWidget(inner_);
    inner_->addWidget(registrations_);
    inner_->addWidget(log_);
    outer_->SetFirstPaneSize(sizes.deviceHeight);
    inner_->SetFirstPaneSize(sizes.registrationHeight);
}

SplitSizes PaneLayout::CurrentSizes() const {
    // The panes' full heights, not their client heights: the latter lose the
    // frame width and would shrink the panes a little at every restart.
    return {outer_->FirstPaneSize(), inner_->FirstPaneSize()};
}

} // namespace vantix
