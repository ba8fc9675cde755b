// Replays fixed and seeded answers through the ParseUpload fuzz target in every build.
// The target's own source, its entry point renamed, so that the four replays share one program.
#define LLVMFuzzerTestOneInput FuzzParseUpload
#include "ParseUploadFuzz.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

TEST(ParseUploadReplay, FixedAnswersAtTheEdges) {
    std::vector<std::vector<std::uint8_t>> inputs;
    for (int count : {0, 1, 40, 41, 255}) {
        std::vector<std::uint8_t> bytes(405, 0xFF);
        bytes[0] = 36;
        bytes[3] = static_cast<std::uint8_t>(count);
        inputs.push_back(bytes);
        for (std::size_t at = 4; at < bytes.size(); at += 10) {
            for (std::size_t i = 6; i < 9 && at + i < bytes.size(); ++i) {
                bytes[at + i] = 99; // every frequency byte at its largest
            }
        }
        inputs.push_back(bytes);
    }
    inputs.push_back({14});
    inputs.push_back({});
    for (const auto& bytes : inputs) {
        EXPECT_EQ(FuzzParseUpload(bytes.data(), bytes.size()), 0);
    }
}

TEST(ParseUploadReplay, SeededRandomAnswers) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> digitByte(0, 99);
    for (int run = 0; run < 3000; ++run) {
        std::vector<std::uint8_t> bytes(1 + 404 - run % 50);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        bytes[3 % bytes.size()] = static_cast<std::uint8_t>(run % 42);
        // Most runs with frequency bytes that parse, so that accepted answers are checked too.
        if (run % 4 != 0) {
            for (std::size_t at = 4; at + 9 < bytes.size(); at += 10) {
                for (std::size_t i = 6; i < 9; ++i) {
                    bytes[at + i] = static_cast<std::uint8_t>(digitByte(random));
                }
            }
        }
        ASSERT_EQ(FuzzParseUpload(bytes.data(), bytes.size()), 0);
    }
}

} // namespace
