#include "RackDisplay.h"

#include "RackPorts.h"
#include "link/DeviceTables.h"

namespace k7 {

void RackDisplay::prepareCells() {
    switch (devices_.RackLayout) {
    case 1:
        display_->PrepareCells8();
        break;
    case 2:
        display_->PrepareCells16();
        break;
    case 3:
        display_->PrepareCells24();
        break;
    default:
        display_->PrepareCells40(); // 25 to 40 receivers
        break;
    }
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
    if (devices_.RackLayout != 1) {
        display_->ClearPanel();
    }
    prepareCells();
    display_->ShowPanel();
}

void RackDisplay::MeterAnswered(int slot, int position) {
    if (!display_) {
        return;
    }
    switch (devices_.RackLayout) {
    case 1:
        display_->Display8VU(position, position);
        break;
    case 2:
        display_->Display16VU(slot, position);
        break;
    case 3:
        display_->Display24VU(slot, position);
        break;
    default:
        display_->Display40VU(slot, position); // 25 to 40 receivers
        break;
    }
}

} // namespace k7
