// k7_snapshot_check: tells whether a station's --snapshot of an 8-slot panel shows every
// receiver's cell drawn. Each cell must carry the scales and captions exactly as in a reference
// panel drawn by the build (k7_meter_snapshot), which holds only when the station found its
// atlas and its font; a name in its name box; and lit segments in its bars, which only a meter
// answer draws.
//   k7_snapshot_check SNAPSHOT.png REFERENCE.png [RECEIVERS]
// Exit code 0 when every cell is drawn, 1 with one line a problem otherwise, 2 on bad input.
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdio>

namespace {

constexpr int kCellWidth = 200;
constexpr int kCellHeight = 350;
constexpr int kColumns = 4;

// Parts of an 8-slot cell that no meter answer changes: the RF scale between the two RF bars,
// the audio scale between the audio bar and the mute icon, and the captions under the bars.
constexpr QRect kStaticParts[] = {
    QRect(QPoint(36, 60), QPoint(64, 321)),
    QRect(QPoint(127, 60), QPoint(156, 330)),
    QRect(QPoint(5, 322), QPoint(160, 346)),
};
// The name box, drawn green by every answer, and the three bars.
constexpr QRect kNameBox(QPoint(5, 5), QPoint(195, 35));
constexpr QRect kBars(QPoint(14, 62), QPoint(124, 320));

int DifferingPixels(const QImage& a, const QImage& b, const QRect& rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

template <typename Test>
int CountPixels(const QImage& image, const QRect& rect, Test test) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool NameGreen(QRgb p) {
    return qGreen(p) == 255 && qRed(p) == 0 && qBlue(p) == 0;
}

// A lit segment is a bright green; unlit ones are dark, scale marks white.
bool LitGreen(QRgb p) {
    return qGreen(p) >= 192 && qRed(p) < 128 && qBlue(p) < 160;
}

QImage Load(const char* file) {
    QImage image(QString::fromLocal8Bit(file));
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: k7_snapshot_check SNAPSHOT.png REFERENCE.png [RECEIVERS]\n");
        return 2;
    }
    const int receivers = argc == 4 ? QString::fromLocal8Bit(argv[3]).toInt() : 8;
    const QImage snapshot = Load(argv[1]);
    const QImage reference = Load(argv[2]);
    const QSize panel(kColumns * kCellWidth, 2 * kCellHeight);
    if (receivers < 1 || receivers > 8 || snapshot.size() != panel || reference.size() != panel) {
        std::fprintf(
            stderr,
            "k7_snapshot_check: needs two 800 x 700 panels of the 8-slot layout and 1 to 8 "
            "receivers (%s is %d x %d)\n",
            argv[1], snapshot.width(), snapshot.height());
        return 2;
    }
    int problems = 0;
    const auto report = [&problems](int slot, const char* what) {
        std::printf("cell %d: %s\n", slot, what);
        ++problems;
    };
    for (int slot = 1; slot <= receivers; ++slot) {
        const QPoint origin(((slot - 1) % kColumns) * kCellWidth,
                            ((slot - 1) / kColumns) * kCellHeight);
        int differing = 0;
        for (const QRect& part : kStaticParts) {
            differing += DifferingPixels(snapshot, reference, part.translated(origin));
        }
        if (differing > 0) {
            report(slot, "scales or captions differ from the reference (atlas or font missing?)");
        }
        if (CountPixels(snapshot, kNameBox.translated(origin), NameGreen) < 20) {
            report(slot, "no name drawn");
        }
        if (CountPixels(snapshot, kBars.translated(origin), LitGreen) < 20) {
            report(slot, "no lit meter segment");
        }
    }
    if (problems == 0) {
        std::printf("all %d cells drawn\n", receivers);
    }
    return problems == 0 ? 0 : 1;
}
