// k7_meter_snapshot: renders an 8-, a 14-, a 24- and a 40-receiver meter panel with made-up meter
// values to PNG files, to judge the look of the panel without receivers or a screen.
//   k7_meter_snapshot ASSET_DIR OUTPUT_DIR
#include "display/MeterPanel.h"
#include "rack/LayoutProfiles.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

class SilentPrompter final : public k7::Prompter {
public:
    k7::MsgAnswer ShowMessage(const k7::MessageBoxSpec& box) override {
        std::fprintf(stderr, "k7_meter_snapshot: %s\n", qPrintable(box.text));
        return k7::DefaultAnswer(box);
    }
};

void FillRack(k7::RackTables& rack, int count) {
    static const char* names[] = {"VOX_1",  "VOX_2",  "GTR",    "BASS",  "KEYS", "DRUMS",
                                  "PASTOR", "HOST_A", "HOST_B", "CHOIR", "SAX",  "TPT"};
    for (int slot = 1; slot <= count; ++slot) {
        auto& row = rack.CurData[slot];
        row.Name = QString::fromLatin1(names[(slot - 1) % 12]).leftJustified(6, QLatin1Char('_'));
        row.Frequency = QStringLiteral("%1.%2")
                            .arg(606 + slot * 3)
                            .arg((slot * 175) % 1000, 3, 10, QLatin1Char('0'));
        row.MuteLevel = QString::number(1 + (slot * 3) % 10);
        rack.SlotState[slot] = 2;
        rack.UserMute[slot] = slot % 7 == 3;
        rack.VoltageKnown[slot] = slot % 9 != 8;
        auto& meter = rack.MeterData[slot];
        meter[k7::RfA] = static_cast<std::uint8_t>(95 + (slot * 37) % 80);
        meter[k7::RfB] = static_cast<std::uint8_t>(85 + (slot * 53) % 90);
        meter[k7::AudioLevel] = static_cast<std::uint8_t>(20 + (slot * 41) % 170);
        meter[k7::Voltage] = static_cast<std::uint8_t>(slot % 5 == 4 ? 104 : 120 + slot * 4);
    }
}

// A few rounds of answers so that the peaks sit above falling levels.
void Animate(k7::RackTables& rack, k7::MeterPanel& panel, int count, int layout) {
    for (int round = 0; round < 12; ++round) {
        for (int slot = 1; slot <= count; ++slot) {
            auto& meter = rack.MeterData[slot];
            if (round == 11) {
                meter[k7::AudioLevel] = static_cast<std::uint8_t>(meter[k7::AudioLevel] * 2 / 3);
                meter[k7::RfA] = static_cast<std::uint8_t>(meter[k7::RfA] - 10);
            }
            rack.LastMuted = slot % 6 == 5 ? 1 : 0;
            rack.LastAntenna = static_cast<std::uint8_t>(slot % 2);
            (panel.*k7::LayoutProfileOf(layout).draw)(slot, slot);
        }
    }
}

bool Render(const QString& assets, const QString& file, int count, int layout) {
    k7::RackTables rack;
    k7::DeviceTables devices;
    devices.DeviceCount = count;
    devices.RackLayout = layout;
    devices.ModelVariant = k7::ModelK75;
    SilentPrompter prompter;
    k7::MeterPanel panel(rack, devices, prompter);
    panel.BuildScaling();
    panel.InitGraphics(assets, QSize(800, 700));
    FillRack(rack, count);
    panel.ResetPeaks();
    (panel.*k7::LayoutProfileOf(layout).prepare)();
    panel.ShowPanel();
    Animate(rack, panel, count, layout);
    const bool saved = panel.PanelBuf().save(file, "PNG");
    panel.CloseGraphics();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: k7_meter_snapshot ASSET_DIR OUTPUT_DIR\n");
        return 2;
    }
    const QString assets = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const bool ok = Render(assets, out.filePath(QStringLiteral("panel-8.png")), 8, 1) &&
                    Render(assets, out.filePath(QStringLiteral("panel-16.png")), 14, 2) &&
                    Render(assets, out.filePath(QStringLiteral("panel-24.png")), 24, 3) &&
                    Render(assets, out.filePath(QStringLiteral("panel-40.png")), 40, 0);
    return ok ? 0 : 1;
}
