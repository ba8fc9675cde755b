// Replays fixed and seeded inputs through the ParseSerial fuzz target, so that every build
// (the sanitizer build above all) runs the same checks as the fuzzer.
// The target's own source, its entry point renamed, so that the four replays share one program.
#define LLVMFuzzerTestOneInput FuzzParseSerial
#include "ParseSerialFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> input(std::initializer_list<int> setup, std::initializer_list<int> rx) {
    std::vector<std::uint8_t> bytes(setup.begin(), setup.end());
    bytes.insert(bytes.end(), rx.begin(), rx.end());
    bytes.resize(8 + 21, 0);
    return bytes;
}

TEST(ParseSerialReplay, FixedAnswersAtTheTablesEdges) {
    const std::vector<std::vector<std::uint8_t>> inputs = {
        // identify on the last device of the last bank, mute byte 0xFF
        input({8 + 39, 0, 1, 0, 0, 0, 0, 0},
              {'R', 0, '!', 0, 0, 0, 0, 255, 255, 255, 255, 255, 32, 32, 32, 32, 32, 32}),
        // meter answer with every flag, layout 3, hold run out
        input({8, 4, 1, 3, 0, 200, ',', 1}, {'R', 0, 'D', 1, 2, 3, 4, 5, 0xFE}),
        // settings answer with a frequency byte beyond 99 on bank 4, position 8
        input({8 + 7, 4, 8, 2, 10, 0, 0, 0xFF}, {'R', 0, 'D', 200, 150, 255, 0x8C, 'A', 1}),
        // position above 8, a negative bank and device indices outside the tables
        input({8, 0, 9, 1, 0, 0, 0, 0}, {'R', 0, 'D', 1, 2, 3, 4, 5, 0}),
        input({8, 0xFF, 1, 1, 0, 0, 0, 0}, {'R', 0, '!'}),
        input({0, 0, 1, 1, 0, 0, 0, 0}, {'R', 0, 'D'}),
        input({255, 0, 1, 1, 0, 0, 0, 0}, {'R', 0, 'D'}),
    };
    for (const auto& bytes : inputs) {
        EXPECT_EQ(FuzzParseSerial(bytes.data(), bytes.size()), 0);
    }
}

TEST(ParseSerialReplay, SeededRandomAnswers) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> byte(0, 255);
    const int types[] = {'!', 'D', 'D', 'R', 0};
    for (int run = 0; run < 3000; ++run) {
        std::vector<std::uint8_t> bytes(8 + 21 * (1 + run % 5));
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        for (std::size_t at = 8; at + 2 < bytes.size(); at += 21) {
            bytes[at + 2] = static_cast<std::uint8_t>(types[byte(random) % 5]);
        }
        ASSERT_EQ(FuzzParseSerial(bytes.data(), bytes.size()), 0);
    }
}

} // namespace
