// The band table: one row per band code the station knows, everything else "Unknown Rx".
#include "BandTable.h"

namespace k7 {

namespace {

// Band 9's receivers are sold as 606-614 MHz and the message says so, but the limit stays at
// 622.0: the band's upload placeholder 621.975 must still read back from a file without a
// range error.
//
// Band 14 (Japan) has two ranges. The first is the licence-free band, 806.125-809.750 MHz on a
// 125 kHz raster, which holds every preset of the band; the second is the licensed band these
// receivers could also use, 797.000-806.000 MHz. Its out-of-range message is built from the
// limits by CheckJapanBand, so the row carries none.
constexpr std::array kBands{
    BandInfo{8, "Unknown Rx", 854.0, 865.0, 25,
             "Only 854.000 to 865.000 is allowed for this receiver."},
    BandInfo{9, "Unknown Rx", 606.0, 622.0, 25,
             "Only 606.000 to 614.000 is allowed for this receiver."},
    BandInfo{10, "K7.5 830-865", 830.0, 865.0, 25,
             "Only 830.000 to 865.000 is allowed for this receiver."},
    BandInfo{11, "K7.5 794-830", 794.0, 830.0, 25,
             "Only 794.000 to 830.000 is allowed for this receiver."},
    BandInfo{12, "K7.5 722-752", 722.0, 752.0, 25,
             "Only 722.000 to 752.000 is allowed for this receiver."},
    BandInfo{13, "K7.5 692-722", 692.0, 722.0, 25,
             "Only 692.000 to 722.000 is allowed for this receiver."},
    BandInfo{14, "Japan", 806.125, 809.750, 125, "", 797.0, 806.0},
    BandInfo{32, "K7.5 794-806", 794.0, 806.0, 25,
             "Only 794.000 to 806.000 is allowed for this receiver."},
    BandInfo{33, "K7.5 740-752", 740.0, 752.0, 25,
             "Only 740.000 to 752.000 is allowed for this receiver."},
    BandInfo{34, "K7.5 636-666", 636.0, 666.0, 25,
             "Only 636.000 to 666.000 is allowed for this receiver."},
    BandInfo{35, "K7.5 668-698", 668.0, 698.0, 25,
             "Only 668.000 to 698.000 is allowed for this receiver."},
    BandInfo{36, "K7.5 606-638", 606.0, 638.0, 25,
             "Only 606.000 to 638.000 is allowed for this receiver."},
};

constexpr BandInfo kUnknownBand{0, "Unknown Rx", 0.0, 0.0, 25, ""};

} // namespace

const BandInfo& BandFor(int code) {
    for (const BandInfo& band : kBands) {
        if (band.code == code) {
            return band;
        }
    }
    return kUnknownBand;
}

QString BandPanelName(int code) {
    return QString::fromLatin1(BandFor(code).panelName);
}

void BuildBandTables(BandTables& tables) {
    tables.BandLow.fill(0.0);
    tables.BandHigh.fill(0.0);
    for (const BandInfo& band : kBands) {
        tables.BandLow[band.code] = band.low;
        tables.BandHigh[band.code] = band.high;
        // The second range sits in the next entry, which no band of its own uses.
        if (band.high2 > 0.0 && band.code + 1 < kBandCodes) {
            tables.BandLow[band.code + 1] = band.low2;
            tables.BandHigh[band.code + 1] = band.high2;
        }
    }
}

} // namespace k7
