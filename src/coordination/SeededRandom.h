// A small random source that gives the same numbers for the same seed on every machine and
// standard library (the standard distributions and std::shuffle do not promise that).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace k7 {

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    // SplitMix64.
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n), n > 0, without the bias of a plain modulo.
    int below(int n) {
        const auto range = static_cast<std::uint64_t>(n);
        const std::uint64_t threshold = (0 - range) % range;
        std::uint64_t r = next();
        while (r < threshold) {
            r = next();
        }
        return static_cast<int>(r % range);
    }

    template <typename T>
    void shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) {
            std::swap(items[i - 1], items[static_cast<std::size_t>(below(static_cast<int>(i)))]);
        }
    }

private:
    std::uint64_t state_;
};

} // namespace k7
