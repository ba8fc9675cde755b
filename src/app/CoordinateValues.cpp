#include "CoordinateValues.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace k7 {

namespace {

constexpr int kHighestKHz = 9'999'999;

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::optional<int> Digits(std::string_view text) {
    int value = 0;
    if (text.empty() || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<int> MegahertzKHz(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string decimals(point == std::string_view::npos ? "" : text.substr(point + 1));
    if (whole.size() > 4 || decimals.size() > 3 ||
        (point != std::string_view::npos && decimals.empty())) {
        return std::nullopt;
    }
    decimals.resize(3, '0');
    const std::optional<int> mhz = Digits(whole);
    const std::optional<int> khz = Digits(decimals);
    if (!mhz || !khz) {
        return std::nullopt;
    }
    const int kHz = *mhz * 1000 + *khz;
    return kHz > 0 && kHz <= kHighestKHz ? std::optional<int>(kHz) : std::nullopt;
}

std::string MegahertzText(int kHz) {
    char text[24];
    std::snprintf(text, sizeof text, "%d.%03d", kHz / 1000, kHz % 1000);
    return text;
}

Read<std::vector<int>> ReadFrequencies(std::string_view option, std::string_view text) {
    Read<std::vector<int>> read;
    for (const std::string_view part : Split(text, ',')) {
        const std::optional<int> kHz = MegahertzKHz(part);
        if (!kHz) {
            read.error = std::string(option) + " takes frequencies in MHz separated by commas " +
                         "(612.400,613.100), not " +
                         std::string(part.empty() ? "an empty one" : part);
            return read;
        }
        read.value.push_back(*kHz);
    }
    return read;
}

Read<std::vector<KHzRange>> ReadRanges(std::string_view option, std::string_view text) {
    Read<std::vector<KHzRange>> read;
    for (const std::string_view part : Split(text, ',')) {
        const std::vector<std::string_view> ends = Split(part, '-');
        const std::optional<int> low = ends.size() <= 2 ? MegahertzKHz(ends.front()) : std::nullopt;
        const std::optional<int> high = ends.size() == 2 ? MegahertzKHz(ends.back()) : low;
        if (!low || !high || *high < *low) {
            read.error = std::string(option) + " takes ranges in MHz, low-high, separated by " +
                         "commas (606.000-607.500), not " + std::string(part);
            return read;
        }
        read.value.push_back({*low, *high});
    }
    return read;
}

Read<std::vector<BandCount>> ReadBandCounts(std::string_view text, int mostCarriers) {
    Read<std::vector<BandCount>> read;
    int total = 0;
    for (const std::string_view part : Split(text, ',')) {
        const std::vector<std::string_view> fields = Split(part, ':');
        if (fields.size() != 2) {
            read.error = "--coordinate takes BAND:COUNT[,BAND:COUNT...], not " + std::string(part);
            return read;
        }
        const std::optional<int> band = Digits(fields[0]);
        if (!band || !BandPlan::ForBand(*band)) {
            read.error = "band code " + std::string(fields[0]) +
                         " is not in the band table; the codes are " + BandCodesText();
            return read;
        }
        const std::optional<int> count = Digits(fields[1]);
        if (!count || *count < 1 || *count > mostCarriers) {
            read.error = "COUNT takes 1 to " + std::to_string(mostCarriers) + " carriers, not " +
                         std::string(fields[1]);
            return read;
        }
        total += *count;
        read.value.push_back({*band, *count});
    }
    if (total > mostCarriers) {
        read.error = "the bands take at most " + std::to_string(mostCarriers) +
                     " carriers in all, not " + std::to_string(total);
    }
    return read;
}

std::string BandCodesText() {
    std::string text;
    for (const int code : BandPlan::CodesWithLimits()) {
        text += (text.empty() ? "" : ", ") + std::to_string(code);
    }
    return text;
}

} // namespace k7
