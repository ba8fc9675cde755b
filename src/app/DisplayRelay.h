// The meter display the rack engine draws on, handed on to the real panel once it exists: the
// panel is built over the station's own tables, so it comes after the station. Until a panel
// is attached nothing is drawn.
#pragma once

#include "rack/RackPorts.h"

namespace k7 {

class DisplayRelay final : public MeterDisplay {
public:
    void Attach(MeterDisplay* display) { display_ = display; }
    MeterDisplay* attached() const { return display_; }

    void Display8VU(int receiver, int position) override {
        if (display_) {
            display_->Display8VU(receiver, position);
        }
    }
    void Display16VU(int receiver, int position) override {
        if (display_) {
            display_->Display16VU(receiver, position);
        }
    }
    void Display24VU(int receiver, int position) override {
        if (display_) {
            display_->Display24VU(receiver, position);
        }
    }
    void Display40VU(int receiver, int position) override {
        if (display_) {
            display_->Display40VU(receiver, position);
        }
    }
    void ResetPeaks() override { call(&MeterDisplay::ResetPeaks); }
    void PrepareCells8() override { call(&MeterDisplay::PrepareCells8); }
    void PrepareCells16() override { call(&MeterDisplay::PrepareCells16); }
    void PrepareCells24() override { call(&MeterDisplay::PrepareCells24); }
    void PrepareCells40() override { call(&MeterDisplay::PrepareCells40); }
    void ClearPanel() override { call(&MeterDisplay::ClearPanel); }
    void ShowPanel() override { call(&MeterDisplay::ShowPanel); }

private:
    void call(void (MeterDisplay::*operation)()) {
        if (display_) {
            (display_->*operation)();
        }
    }

    MeterDisplay* display_ = nullptr;
};

} // namespace k7
