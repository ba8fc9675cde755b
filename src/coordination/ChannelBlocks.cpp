// The window bookkeeping behind the set generator: a carrier's windows against the set are
// counted in when it joins and out when it leaves.
#include "ChannelBlocks.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace k7 {

namespace {

// The divisor is a constant (1, 2 or 3) wherever the windows are worked out, so these divide
// by multiplication.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

} // namespace

ChannelBlocks::ChannelBlocks(std::vector<int> channelsKHz, const CoordinationRules& rules)
    : channels_(std::move(channelsKHz)), rules_(rules), blocks_(channels_.size(), 0),
      free_((channels_.size() + 63) / 64, ~std::uint64_t{0}), union_(free_.size(), 0) {
    if (const std::size_t rest = channels_.size() % 64; rest != 0) {
        free_.back() = (std::uint64_t{1} << rest) - 1;
    }
    if (channels_.size() >= 2) {
        step_ = channels_[1] - channels_[0];
        for (std::size_t i = 2; i < channels_.size() && step_ > 0; ++i) {
            if (channels_[i] - channels_[i - 1] != step_) {
                step_ = 0;
            }
        }
    }
    // (n * inverse) >> 32 is n / step exactly while n < 2^22 and step < 1000: the error
    // n * (inverse - 2^32 / step) / 2^32 stays below 1 / step.
    if (step_ > 0 && step_ < 1000 && channels_.back() - channels_.front() < (1 << 22)) {
        inverse_ = (std::uint64_t{1} << 32) / static_cast<std::uint64_t>(step_) + 1;
    }
}

int ChannelBlocks::FirstAtOrAboveFar(std::int64_t kHz) const {
    if (step_ > 0) {
        return static_cast<int>(CeilDiv(kHz - channels_.front(), step_));
    }
    return static_cast<int>(std::ranges::lower_bound(channels_, kHz) - channels_.begin());
}

int ChannelBlocks::IndexOf(int kHz) const {
    const int index = FirstAtOrAbove(kHz);
    return index < channelCount() && channel(index) == kHz ? index : -1;
}

template <int Factor, typename Visit>
void ChannelBlocks::Window(std::int64_t product, int window, Visit& visit) const {
    const std::int64_t low = FloorDiv(product - window, Factor) + 1;
    const std::int64_t high = CeilDiv(product + window, Factor) - 1;
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
    Window<1>(x, std::max(rules_.spacing, 1), visit);
    const std::int64_t fx = x;
    if (const int w = rules_.thirdOrder2Tx; w > 0) {
        for (const std::int64_t s : carriers_) {
            Window<1>(2 * fx - s, w, visit); // the new products' victims
            Window<1>(2 * s - fx, w, visit);
            Window<2>(fx + s, w, visit); // 2y - x near s, 2y - s near x
        }
    }
    if (const int w = rules_.fifthOrder2Tx; w > 0) {
        for (const std::int64_t s : carriers_) {
            Window<1>(3 * fx - 2 * s, w, visit);
            Window<1>(3 * s - 2 * fx, w, visit);
            Window<3>(2 * fx + s, w, visit); // 3y - 2x near s
            Window<3>(2 * s + fx, w, visit); // 3y - 2s near x
            Window<2>(3 * fx - s, w, visit); // 3x - 2y near s
            Window<2>(3 * s - fx, w, visit); // 3s - 2y near x
        }
    }
    if (const int w = rules_.thirdOrder3Tx; w > 0) {
        const std::size_t n = carriers_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t s = carriers_[i];
            for (std::size_t j = i + 1; j < n; ++j) {
                const std::int64_t t = carriers_[j];
                Window<1>(fx + s - t, w, visit);
                Window<1>(fx + t - s, w, visit);
                Window<1>(s + t - fx, w, visit);
            }
        }
    }
}

void ChannelBlocks::Add(int kHz) {
    ForEachWindow(kHz, [this](int first, int last) {
        for (int i = first; i <= last; ++i) {
            if (blocks_[static_cast<std::size_t>(i)]++ == 0) {
                free_[static_cast<std::size_t>(i) / 64] &= ~(std::uint64_t{1} << (i % 64));
            }
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
            if (--blocks_[static_cast<std::size_t>(i)] == 0) {
                free_[static_cast<std::size_t>(i) / 64] |= std::uint64_t{1} << (i % 64);
            }
        }
    });
}

int ChannelBlocks::Impact(int kHz) {
    // The windows' union as bits, counted against the free channels' bits: the windows of
    // the carriers near a candidate overlap much, and the set leaves few channels free.
    std::ranges::fill(union_, 0);
    ForEachWindow(kHz, [this](int first, int last) {
        auto word = static_cast<std::size_t>(first / 64);
        const auto lastWord = static_cast<std::size_t>(last / 64);
        const std::uint64_t head = ~std::uint64_t{0} << (first % 64);
        const std::uint64_t tail = ~std::uint64_t{0} >> (63 - last % 64);
        if (word == lastWord) {
            union_[word] |= head & tail;
            return;
        }
        union_[word] |= head;
        while (++word < lastWord) {
            union_[word] = ~std::uint64_t{0};
        }
        union_[lastWord] |= tail;
    });
    int count = 0;
    for (std::size_t w = 0; w < union_.size(); ++w) {
        count += std::popcount(union_[w] & free_[w]);
    }
    return count;
}

} // namespace k7
