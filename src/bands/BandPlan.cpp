// The band table's limits as whole kHz and the channel arithmetic on them.
#include "BandPlan.h"

#include "BandTable.h"

#include <algorithm>
#include <cmath>

namespace k7 {

namespace {

int ToKHz(double mhz) {
    return static_cast<int>(std::lround(mhz * 1000.0));
}

// Floor and ceiling of kHz on the raster; the raster counts from 0 kHz, as the stored texts do.
int RasterFloor(int kHz, int raster) {
    const int rest = ((kHz % raster) + raster) % raster;
    return kHz - rest;
}

int RasterCeil(int kHz, int raster) {
    const int floor = RasterFloor(kHz, raster);
    return floor == kHz ? kHz : floor + raster;
}

} // namespace

std::optional<BandPlan> BandPlan::ForBand(int code) {
    const BandInfo& row = BandFor(code);
    if (row.code != code || row.low <= 0.0) {
        return std::nullopt;
    }
    BandPlan plan;
    plan.code_ = code;
    plan.raster_ = row.rasterKHz;
    plan.ranges_[0] = {ToKHz(row.low), ToKHz(row.high)};
    plan.rangeCount_ = 1;
    if (row.high2 > 0.0) {
        plan.ranges_[1] = {ToKHz(row.low2), ToKHz(row.high2)};
        plan.rangeCount_ = 2;
        if (plan.ranges_[1].low < plan.ranges_[0].low) {
            std::swap(plan.ranges_[0], plan.ranges_[1]);
        }
    }
    for (std::size_t i = 0; i < plan.rangeCount_; ++i) {
        const KHzRange& range = plan.ranges_[i];
        const int first = RasterCeil(range.low, plan.raster_);
        const int last = RasterFloor(range.high, plan.raster_);
        plan.firstChannel_[i] = first;
        plan.channelsBefore_[i] = plan.channelCount_;
        plan.channelCount_ += last >= first ? (last - first) / plan.raster_ + 1 : 0;
    }
    if (plan.channelCount_ == 0) {
        return std::nullopt;
    }
    return plan;
}

std::vector<int> BandPlan::CodesWithLimits() {
    std::vector<int> codes;
    for (int code = 0; code < kBandCodes; ++code) {
        if (ForBand(code)) {
            codes.push_back(code);
        }
    }
    return codes;
}

bool BandPlan::Contains(int kHz) const {
    return std::ranges::any_of(ranges(), [kHz](const KHzRange& r) { return r.contains(kHz); });
}

int BandPlan::SnapToRaster(int kHz) const {
    const int half = (raster_ - 1) / 2;
    const int floor = RasterFloor(kHz, raster_);
    return kHz - floor <= half ? floor : floor + raster_;
}

std::optional<int> BandPlan::ChannelFor(int kHz) const {
    if (!Contains(kHz)) {
        return std::nullopt;
    }
    return SnapToRaster(kHz);
}

bool BandPlan::IsChannel(int kHz) const {
    return Contains(kHz) && RasterFloor(kHz, raster_) == kHz;
}

int BandPlan::ChannelAt(int index) const {
    std::size_t range = 0;
    while (range + 1 < rangeCount_ && index >= channelsBefore_[range + 1]) {
        ++range;
    }
    return firstChannel_[range] + (index - channelsBefore_[range]) * raster_;
}

std::optional<int> BandPlan::ChannelIndex(int kHz) const {
    if (!IsChannel(kHz)) {
        return std::nullopt;
    }
    return FirstChannelAtOrAbove(kHz);
}

int BandPlan::FirstChannelAtOrAbove(int kHz) const {
    for (std::size_t i = 0; i < rangeCount_; ++i) {
        const int count =
            (i + 1 < rangeCount_ ? channelsBefore_[i + 1] : channelCount_) - channelsBefore_[i];
        const int last = firstChannel_[i] + (count - 1) * raster_;
        if (count == 0 || kHz > last) {
            continue;
        }
        if (kHz <= firstChannel_[i]) {
            return channelsBefore_[i];
        }
        return channelsBefore_[i] + (RasterCeil(kHz, raster_) - firstChannel_[i]) / raster_;
    }
    return channelCount_;
}

} // namespace k7
