// The receiver bands: each band code's panel name, limits, channel raster and out-of-range
// message, as one data table.
#pragma once

#include <QString>

#include <array>

namespace k7 {

inline constexpr int kBandCodes = 49; // codes 0..48

struct BandInfo {
    int code;
    const char* panelName; // "K7.5 830-865", "Japan", "Unknown Rx"
    double low;            // MHz; 0 when the band has no range check
    double high;
    int rasterKHz; // 25, or 125 for the Japanese band
    const char* messageLine;
    double low2 = 0; // a second range (the Japanese band only); 0 when there is none
    double high2 = 0;
};

// The row of a band code; codes without a row of their own get the "Unknown Rx" row.
const BandInfo& BandFor(int code);
QString BandPanelName(int code);

// BandLow / BandHigh indexed by band code 0..48 (entries 14 and 15 hold band 14's two ranges).
struct BandTables {
    std::array<double, kBandCodes> BandLow{};
    std::array<double, kBandCodes> BandHigh{};
};
// Fills the limit tables from the band table.
void BuildBandTables(BandTables& tables);

} // namespace k7
