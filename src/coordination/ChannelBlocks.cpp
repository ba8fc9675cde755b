// The window bookkeeping behind the set generator: a carrier's windows against the set are
// counted in when it joins and out when it leaves.
#include "ChannelBlocks.h"

#include <algorithm>
#include <cassert>

namespace k7 {

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

} // namespace

ChannelBlocks::ChannelBlocks(std::vector<int> channelsKHz, const CoordinationRules& rules)
    : channels_(std::move(channelsKHz)), rules_(rules), blocks_(channels_.size(), 0),
      marks_(channels_.size(), 0) {
    if (channels_.size() >= 2) {
        step_ = channels_[1] - channels_[0];
        for (std::size_t i = 2; i < channels_.size() && step_ > 0; ++i) {
            if (channels_[i] - channels_[i - 1] != step_) {
                step_ = 0;
            }
        }
    }
}

int ChannelBlocks::FirstAtOrAbove(std::int64_t kHz) const {
    const auto count = static_cast<std::int64_t>(channels_.size());
    if (count == 0 || kHz <= channels_.front()) {
        return 0;
    }
    if (step_ > 0) {
        return static_cast<int>(std::min(count, CeilDiv(kHz - channels_.front(), step_)));
    }
    return static_cast<int>(std::ranges::lower_bound(channels_, kHz) - channels_.begin());
}

template <typename Visit>
void ChannelBlocks::Window(std::int64_t product, int factor, int window, Visit& visit) const {
    const std::int64_t low = FloorDiv(product - window, factor) + 1;
    const std::int64_t high = CeilDiv(product + window, factor) - 1;
    if (low > high || channels_.empty() || high < channels_.front() || low > channels_.back()) {
        return;
    }
    const int first = FirstAtOrAbove(low);
    const int last = FirstAtOrAbove(high + 1) - 1;
    if (first <= last) {
        visit(first, last);
    }
}

template <typename Visit>
void ChannelBlocks::ForEachWindow(int x, Visit&& visit) const {
    // Two carriers never share a channel, whatever the spacing.
    Window(x, 1, std::max(rules_.spacing, 1), visit);
    const std::int64_t fx = x;
    if (const int w = rules_.thirdOrder2Tx; w > 0) {
        for (const std::int64_t s : carriers_) {
            Window(2 * fx - s, 1, w, visit); // the new products' victims
            Window(2 * s - fx, 1, w, visit);
            Window(fx + s, 2, w, visit); // 2y - x near s, 2y - s near x
        }
    }
    if (const int w = rules_.fifthOrder2Tx; w > 0) {
        for (const std::int64_t s : carriers_) {
            Window(3 * fx - 2 * s, 1, w, visit);
            Window(3 * s - 2 * fx, 1, w, visit);
            Window(2 * fx + s, 3, w, visit); // 3y - 2x near s
            Window(2 * s + fx, 3, w, visit); // 3y - 2s near x
            Window(3 * fx - s, 2, w, visit); // 3x - 2y near s
            Window(3 * s - fx, 2, w, visit); // 3s - 2y near x
        }
    }
    if (const int w = rules_.thirdOrder3Tx; w > 0) {
        const std::size_t n = carriers_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t s = carriers_[i];
            for (std::size_t j = i + 1; j < n; ++j) {
                const std::int64_t t = carriers_[j];
                Window(fx + s - t, 1, w, visit);
                Window(fx + t - s, 1, w, visit);
                Window(s + t - fx, 1, w, visit);
            }
        }
    }
}

void ChannelBlocks::Add(int kHz) {
    ForEachWindow(kHz, [this](int first, int last) {
        for (int i = first; i <= last; ++i) {
            ++blocks_[static_cast<std::size_t>(i)];
        }
    });
    carriers_.push_back(kHz);
}

void ChannelBlocks::Remove(int kHz) {
    const auto found = std::ranges::find(carriers_, kHz);
    assert(found != carriers_.end());
    if (found == carriers_.end()) {
        return;
    }
    *found = carriers_.back();
    carriers_.pop_back();
    ForEachWindow(kHz, [this](int first, int last) {
        for (int i = first; i <= last; ++i) {
            --blocks_[static_cast<std::size_t>(i)];
        }
    });
}

int ChannelBlocks::Impact(int kHz) {
    if (++round_ == 0) {
        std::ranges::fill(marks_, 0u);
        round_ = 1;
    }
    int count = 0;
    ForEachWindow(kHz, [this, &count](int first, int last) {
        for (int i = first; i <= last; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (blocks_[at] == 0 && marks_[at] != round_) {
                marks_[at] = round_;
                ++count;
            }
        }
    });
    return count;
}

} // namespace k7
