// The bands in whole kHz: limits, channel raster and the channels themselves, for code that
// computes with frequencies (the frequency coordination) instead of checking typed text. It
// is read from the band table and agrees with CheckFrequency on every channel.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

namespace k7 {

// Both ends included.
struct KHzRange {
    int low = 0;
    int high = 0;
    bool contains(int kHz) const { return low <= kHz && kHz <= high; }
};

class BandPlan {
public:
    // The plan of a band with limits; nothing for a code without them (no range check, so no
    // channels to count or choose from).
    static std::optional<BandPlan> ForBand(int code);
    // Every band code with limits, ascending.
    static std::vector<int> CodesWithLimits();

    int code() const { return code_; }
    int raster() const { return raster_; }
    // One range, or two for the Japanese band; ascending and apart.
    std::span<const KHzRange> ranges() const { return {ranges_.data(), rangeCount_}; }
    int lowest() const { return ChannelAt(0); }
    int highest() const { return ChannelAt(ChannelCount() - 1); }

    // Inside one of the ranges, on the raster or not (the band's range check).
    bool Contains(int kHz) const;
    // The raster point a value is stored as: 12 kHz above a point rounds down, 13 up (62 and
    // 63 on the 125 kHz raster).
    int SnapToRaster(int kHz) const;
    // What a value inside the band is stored as (snapped to the raster); nothing outside.
    std::optional<int> ChannelFor(int kHz) const;
    // Inside the band and on the raster: a frequency a receiver of the band can be set to.
    bool IsChannel(int kHz) const;

    int ChannelCount() const { return channelCount_; }
    // Channels are numbered from 0 in ascending order across the ranges.
    int ChannelAt(int index) const;
    // The number of a channel; nothing for a value that is not one.
    std::optional<int> ChannelIndex(int kHz) const;
    // The number of the lowest channel at or above kHz; ChannelCount() when there is none.
    int FirstChannelAtOrAbove(int kHz) const;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = int;
        using difference_type = std::ptrdiff_t;
        using pointer = const int*;
        using reference = int;
        Iterator() = default;
        Iterator(const BandPlan* plan, int index) : plan_(plan), index_(index) {}
        int operator*() const { return plan_->ChannelAt(index_); }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

    private:
        const BandPlan* plan_ = nullptr;
        int index_ = 0;
    };
    // Every channel, ascending: for (int kHz : plan) ...
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, channelCount_}; }

private:
    BandPlan() = default;

    int code_ = 0;
    int raster_ = 25;
    std::array<KHzRange, 2> ranges_{};
    std::size_t rangeCount_ = 0;
    // Per range: its first channel and the number of channels before it.
    std::array<int, 2> firstChannel_{};
    std::array<int, 2> channelsBefore_{};
    int channelCount_ = 0;
};

} // namespace k7
