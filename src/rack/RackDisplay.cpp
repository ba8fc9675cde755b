#include "RackDisplay.h"

#include "LayoutProfiles.h"
#include "RackPorts.h"
#include "link/DeviceTables.h"

namespace k7 {

void RackDisplay::prepareCells() {
    (display_->*LayoutProfileOf(devices_.RackLayout).prepare)();
}

void RackDisplay::StartMetering() {
    if (!display_) {
        return;
    }
    display_->ResetPeaks();
    prepareCells();
    display_->ShowPanel();
}

void RackDisplay::BlankPanel() {
    if (!display_) {
        return;
    }
    if (LayoutProfileOf(devices_.RackLayout).clearsWhenBlanked) {
        display_->ClearPanel();
    }
    prepareCells();
    display_->ShowPanel();
}

void RackDisplay::MeterAnswered(int slot, int position) {
    if (!display_) {
        return;
    }
    const LayoutProfile& layout = LayoutProfileOf(devices_.RackLayout);
    (display_->*layout.draw)(layout.cellOfPosition ? position : slot, position);
}

} // namespace k7
