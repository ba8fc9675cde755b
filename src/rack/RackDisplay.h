// The meter display as the rack drives it, through the profile of the rack's layout
// (LayoutProfiles.h): it redraws a slot's cell on each meter answer (as an observer of the rack)
// and prepares, blanks and shows the panel when the engine says so. Until a display is attached
// nothing is drawn.
#pragma once

#include "RackEvents.h"

namespace k7 {

struct DeviceTables;
class MeterDisplay;

class RackDisplay final : public RackEvents {
public:
    explicit RackDisplay(const DeviceTables& devices) : devices_(devices) {}

    void Attach(MeterDisplay* display) { display_ = display; }
    MeterDisplay* attached() const { return display_; }

    // As metering starts: peaks reset, the cells of the layout drawn, the panel shown.
    void StartMetering();
    // Every cell blanked once (receivers still answering redraw theirs).
    void BlankPanel();

    // RackEvents
    void MeterAnswered(int slot, int position) override;

private:
    void prepareCells();

    const DeviceTables& devices_;
    MeterDisplay* display_ = nullptr;
};

} // namespace k7
