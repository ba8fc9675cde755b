// The values of the coordination command line that are more than a whole number: the bands and
// counts of a mixed rack ("34:20,36:20"), frequency lists in MHz ("612.400,613.100") and
// frequency ranges ("606.000-607.500"). Each reader gives the value or what is wrong with it.
#pragma once

#include "bands/BandPlan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace k7 {

struct BandCount {
    int band = 0;
    int count = 0;
};

template <typename T>
struct Read {
    T value{};
    std::string error; // empty when the text was read
};

// A frequency in MHz with at most three decimals and a point ("612.4", "612.400") as kHz.
std::optional<int> MegahertzKHz(std::string_view text);
// "ddd.ddd".
std::string MegahertzText(int kHz);
// Comma-separated frequencies; option names the option in the message.
Read<std::vector<int>> ReadFrequencies(std::string_view option, std::string_view text);
// Comma-separated ranges "LOW-HIGH" (both ends included) or single frequencies.
Read<std::vector<KHzRange>> ReadRanges(std::string_view option, std::string_view text);
// "BAND:COUNT[,BAND:COUNT...]": every band with limits, every count 1 to mostCarriers, and at
// most mostCarriers in all.
Read<std::vector<BandCount>> ReadBandCounts(std::string_view text, int mostCarriers);
// "8, 9, 10, ...": the band codes with limits, for messages.
std::string BandCodesText();

} // namespace k7
