#include "Presets.h"

#include "DefaultFiles.h"

#include <QStringList>

#include <array>

namespace k7 {

namespace {

struct BandPresets {
    int band;
    int count; // line 2 of the default files; it may differ from the list's length
    const char* list;
    const char* fallback;
};

constexpr std::array kPresets{
    BandPresets{10, 19,
                "831.900 833.650 834.025 834.600 836.925 839.150 840.475 843.250 846.700 847.975 "
                "850.400 851.575 854.725 855.850 857.275 857.700 858.925 862.875",
                "864.900"},
    BandPresets{11, 21,
                "794.300 794.650 795.450 799.650 800.225 802.475 803.500 805.525 808.900 812.125 "
                "812.875 816.550 818.400 819.250 820.350 824.450 825.075 826.525 827.200 828.700 "
                "829.100",
                "829.100"},
    BandPresets{12, 24,
                "722.300 723.625 725.050 725.400 726.775 728.050 729.200 731.425 735.450 736.425 "
                "737.100 737.950 740.050 740.650 743.925 744.375 745.400 745.950 747.700 748.325 "
                "749.675 750.350 751.125 751.750",
                "751.750"},
    BandPresets{13, 24,
                "693.225 694.625 695.725 696.125 699.825 700.825 702.675 703.375 705.400 706.700 "
                "707.325 708.675 711.475 713.150 713.725 714.075 715.325 715.825 717.375 718.400 "
                "719.825 720.375 721.125 721.750",
                "721.750"},
    BandPresets{14, 6, "806.125 806.375 807.125 807.750 809.000 809.500", "809.500"},
    BandPresets{32, 20,
                "794.100 794.775 795.125 795.625 796.575 797.025 797.375 798.275 798.750 799.850 "
                "800.775 801.250 802.000 802.925 803.625 803.975 804.425 804.775 805.350 805.825",
                "805.825"},
    BandPresets{33, 20,
                "740.625 741.275 742.050 742.725 743.275 743.625 744.275 744.625 745.075 745.725 "
                "746.150 747.075 747.525 748.525 749.225 749.700 750.075 750.675 751.150 751.525",
                "751.525"},
    BandPresets{34, 24,
                "636.975 638.375 639.475 639.875 643.575 644.375 646.425 647.125 649.150 650.450 "
                "651.075 652.425 655.225 656.900 657.475 657.825 659.075 659.575 661.125 662.150 "
                "663.575 664.125 664.875 665.500",
                "665.500"},
    BandPresets{35, 24,
                "668.975 670.375 671.475 671.875 675.575 676.575 678.425 679.125 681.150 682.450 "
                "683.075 684.425 687.225 688.900 689.475 689.825 691.075 691.575 693.125 694.150 "
                "695.575 696.125 696.875 697.500",
                "697.500"},
    BandPresets{36, 24,
                "606.600 607.500 608.150 609.150 609.950 610.550 611.250 612.300 613.150 613.500",
                "637.975"},
};

struct BandFillRow {
    int band;
    BandFillValues values;
};

// Band 14 has no placeholder of its own for the snapshot; 808.000 lies in its licence-free
// range, so the snapshot reads back like every other band's.
constexpr std::array kFillValues{
    BandFillRow{8, {"850.400", "854.725", "854.000"}},
    BandFillRow{9, {"613.575", "613.575", "613.575"}},
    BandFillRow{10, {"850.400", "854.725", "854.000"}},
    BandFillRow{11, {"805.825", "800.000", "800.000"}},
    BandFillRow{12, {"751.750", "740.000", "740.000"}},
    BandFillRow{13, {"721.750", "710.000", "710.000"}},
    BandFillRow{14, {"N/A", "808.000", "808.000"}},
    BandFillRow{32, {"805.825", "800.000", "800.000"}},
    BandFillRow{33, {"751.750", "746.000", "746.000"}},
    BandFillRow{34, {"665.500", "665.500", "665.500"}},
    BandFillRow{35, {"697.500", "697.500", "697.500"}},
    BandFillRow{36, {"635.500", "635.500", "635.500"}},
};

constexpr BandFillValues kNoFillValues{"", "", ""};

const BandPresets* PresetsFor(int band) {
    for (const BandPresets& presets : kPresets) {
        if (presets.band == band) {
            return &presets;
        }
    }
    return nullptr;
}

} // namespace

std::optional<int> PresetCount(int band) {
    const BandPresets* presets = PresetsFor(band);
    return presets ? std::optional<int>(presets->count) : std::nullopt;
}

QStringList PresetList(int band) {
    const BandPresets* presets = PresetsFor(band);
    return presets ? QString::fromLatin1(presets->list).split(QLatin1Char(' ')) : QStringList();
}

QString PresetFrequency(int index, int band) {
    const BandPresets* presets = PresetsFor(band);
    if (presets == nullptr) {
        return QString();
    }
    const QStringList list = QString::fromLatin1(presets->list).split(QLatin1Char(' '));
    if (index >= 1 && index <= list.size()) {
        return list[index - 1];
    }
    return QString::fromLatin1(presets->fallback);
}

const BandFillValues& FillValuesFor(int band) {
    for (const BandFillRow& row : kFillValues) {
        if (row.band == band) {
            return row.values;
        }
    }
    return kNoFillValues;
}

} // namespace k7
