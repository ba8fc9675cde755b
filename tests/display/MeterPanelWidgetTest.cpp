// The meter panel window: PanelBuf shown scaled to fit with black margins, repainted at the
// screen's pace, the tool tip, and the right-button release that selects the slot under the
// pointer at any scale and opens the control panel only for an answering K7.5 receiver.
#include "display/MeterPanelWidget.h"
#include "DisplayFixture.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <memory>
#include <vector>

namespace k7::test {
namespace {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Timers of another factory whose firings are counted.
class CountingTimers final : public TimerFactory {
public:
    explicit CountingTimers(TimerFactory& inner) : inner_(inner) {}
    std::unique_ptr<Timer> createTimer() override {
        return std::make_unique<Counted>(inner_.createTimer(), fires);
    }
    int fires = 0;

private:
    class Counted final : public Timer {
    public:
        Counted(std::unique_ptr<Timer> inner, int& counter) : inner_(std::move(inner)) {
            inner_->setHandler([this, &counter] {
                ++counter;
                fire();
            });
        }
        void setInterval(int ms) override { inner_->setInterval(ms); }
        int interval() const override { return inner_->interval(); }
        void setEnabled(bool on) override { inner_->setEnabled(on); }
        bool enabled() const override { return inner_->enabled(); }

    private:
        std::unique_ptr<Timer> inner_;
    };
    TimerFactory& inner_;
};

class MeterPanelWidgetTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        widget.resize(800, 700);
        widget.setOpenPanelCallback([this](int slot) { opened.push_back(slot); });
    }
    void RightClick(QPointF at) {
        // Through a real event: a scaled pointer position need not be a whole logical pixel.
        QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::RightButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &release);
    }
    // The slot a right click at this widget position selects (0 when it selects nothing).
    int SlotAt(QPointF at) {
        settings.SelectSlot(0);
        RightClick(at);
        return rack.SelectedSlot;
    }
    QImage Shown() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // What the screen holds for the window, as last painted and flushed.
    static QImage OnScreen(QWidget& window) {
        return window.screen()
            ->grabWindow(window.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    MeterPanelWidget widget{panel, settings, devices, rig.clock, rig.clock};
    std::vector<int> opened;
};

TEST_F(MeterPanelWidgetTest, ThePanelIsShownScaledToFitWithBlackMargins) {
    StartRack(1, 2);
    rack.LastAntenna = 1;
    panel.Display8VU(2, 2);
    const QImage& buffer = panel.PanelBuf();
    const std::vector<QPoint> samples{{0, 0}, {225, 320}, {370, 140}, {799, 699}};

    QImage shown = Shown();
    ASSERT_EQ(shown.size(), QSize(800, 700));
    for (QPoint p : samples) {
        EXPECT_EQ(shown.pixel(p), buffer.pixel(p)) << p.x() << "," << p.y();
    }

    // Twice the size and 100 pixels wider: 2x, nearest-neighbour, centred, margins black.
    widget.resize(1700, 1400);
    shown = Shown();
    for (QPoint p : samples) {
        for (QPoint corner : {QPoint(0, 0), QPoint(1, 1)}) {
            const QPoint at = QPoint(50, 0) + 2 * p + corner;
            EXPECT_EQ(shown.pixel(at), buffer.pixel(p)) << p.x() << "," << p.y();
        }
    }
    for (QPoint margin : {QPoint(0, 0), QPoint(49, 1399), QPoint(1650, 700), QPoint(1699, 0)}) {
        EXPECT_EQ(QColor(shown.pixel(margin)), QColor(Qt::black)) << margin.x();
    }

    // One and a half times, 60 pixels taller: smooth, yet a plain area keeps its colour.
    widget.resize(1200, 1110);
    shown = Shown();
    const QRgb empty = buffer.pixel(500, 100); // the grey of a cell beyond the rack
    EXPECT_EQ(shown.pixel(750, 30 + 150), empty);
    EXPECT_EQ(QColor(shown.pixel(600, 10)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(600, 1100)), QColor(Qt::black));
}

// Where a pointer position falls at each scale is PanelScale's (PanelScaleTest); here, that
// clicks go through it.
TEST_F(MeterPanelWidgetTest, ClicksFindTheReceiverUnderThePointerThroughTheScale) {
    StartRack(1, 8);
    // 8-slot layout at 2x with 50 pixels of margin: (199, 349) is slot 1, (200, 350) slot 6.
    widget.resize(1700, 1400);
    EXPECT_EQ(SlotAt({50 + 2 * 199 + 1, 2 * 349 + 1}), 1);
    EXPECT_EQ(SlotAt({50 + 2 * 200, 2 * 350}), 6);
    EXPECT_EQ(SlotAt({49, 700}), 0) << "a click in the margin is on no cell";
    EXPECT_EQ(opened, (std::vector<int>{1, 6}));

    // A left double click finds its receiver through the same scale (2x, 50 pixels of margin).
    std::vector<int> histories;
    widget.setOpenHistoryCallback([&histories](int slot) { histories.push_back(slot); });
    for (QPointF at :
         {QPointF(50 + 2 * 200, 2 * 350), QPointF(49, 700), QPointF(50 + 2 * 199 + 1, 1)}) {
        QMouseEvent press(QEvent::MouseButtonDblClick, at, widget.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
    }
    EXPECT_EQ(histories, (std::vector<int>{6, 1})) << "none for the margin";
}

TEST_F(MeterPanelWidgetTest, AStreamOfAnswersIsShownAtTheAnswersOncePerRefresh) {
    StartRack(1, 1);
    CountingTimers timers(rig.clock);
    // Placed in its window below and right of the window's corner, as under a menu bar: the
    // panel is copied into the window's image at the widget's place.
    QWidget window;
    window.resize(820, 740);
    const QPoint place(13, 19);
    MeterPanelWidget stream(panel, settings, devices, timers, rig.clock, &window);
    stream.setGeometry(QRect(place, QSize(800, 700)));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    std::vector<double> paintedAt;
    PaintCounter counter;
    stream.installEventFilter(&counter);
    const double refresh = stream.repaintIntervalMs();
    rack.LastAntenna = 1;

    // An answer every 4 ms for 400 ms, each drawn at once.
    for (int answer = 0; answer < 100; ++answer) {
        const auto rf = static_cast<std::uint8_t>(40 + 23 * answer % 200);
        SetLevels(1, rf, static_cast<std::uint8_t>(255 - rf), static_cast<std::uint8_t>(rf / 2));
        const int before = counter.paints;
        panel.Display8VU(1, 1);
        QApplication::processEvents();
        if (counter.paints != before) {
            paintedAt.push_back(rig.clock.nowMs());
            // Shown as this answer left it, with nothing of a later one.
            EXPECT_EQ(OnScreen(window).copy(QRect(place, QSize(200, 350))),
                      panel.PanelBuf().copy(0, 0, 200, 350))
                << "answer " << answer;
        }
        rig.clock.advanceMs(4);
    }
    ASSERT_GE(paintedAt.size(), 2u);
    EXPECT_GE(paintedAt.front(), refresh) << "the first change waits a refresh";
    for (std::size_t i = 1; i < paintedAt.size(); ++i) {
        const double gap = paintedAt[i] - paintedAt[i - 1];
        EXPECT_GE(gap, refresh) << "at most once a refresh";
        EXPECT_LE(gap, refresh + 4) << "never a refresh behind the answers";
    }
    // Only the first repaint, after the quiet start, needed the timer; the stream's repaints
    // ride on its answers.
    EXPECT_EQ(timers.fires, 1);
    // The last answer is shown a refresh later; then, nothing changed, nothing is painted.
    rig.clock.advanceMs(refresh);
    QApplication::processEvents();
    const int painted = counter.paints;
    EXPECT_EQ(OnScreen(window).copy(QRect(place, QSize(200, 350))),
              panel.PanelBuf().copy(0, 0, 200, 350));
    rig.clock.advanceMs(5 * refresh);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, painted);
    stream.removeEventFilter(&counter);
}

TEST_F(MeterPanelWidgetTest, ClicksThatOpenNothing) {
    StartRack(1, 5);
    rack.SlotState[6] = 0; // beyond the rack: never answered
    RightClick({200, 350});
    EXPECT_EQ(rack.SelectedSlot, 6);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(rack.SelectedSlot, 6); // only the right button acts
    devices.ModelVariant = ModelK73;
    RightClick({199, 349});
    EXPECT_EQ(rack.SelectedSlot, 1);
    EXPECT_TRUE(opened.empty());
}

TEST_F(MeterPanelWidgetTest, TheWideFortyGridOpensTheSlotOfACellAtItsCentreAndFarCorner) {
    widget.resize(1920, 1080);
    widget.setArrangement(PanelArrangement::Wide);
    StartRack(0, 40);
    ASSERT_EQ(panel.grid(), (PanelGrid{10, 4}));
    ASSERT_EQ(widget.panelSize(), QSize(1000, 560));
    const PanelScale shown = widget.scale();
    EXPECT_DOUBLE_EQ(shown.factor(), 1.92);
    // The middle of the window pixel that shows a panel pixel.
    const auto onWindow = [&](QPointF pixel) {
        return shown.target().topLeft() + (pixel + QPointF(0.5, 0.5)) * shown.factor();
    };
    for (int slot : {1, 10, 11, 40}) {
        const QRect cell = panel.CellRect(slot);
        for (const QPointF at : {QPointF(cell.center()), QPointF(cell.bottomRight())}) {
            opened.clear();
            EXPECT_EQ(SlotAt(onWindow(at)), slot) << at.x() << "," << at.y();
            EXPECT_EQ(opened, std::vector<int>{slot});
        }
    }
    // The tool tip follows the grid too; the margins below the panel open nothing.
    widget.setCellToolTip([](int slot) { return QStringLiteral("slot %1").arg(slot); });
    EXPECT_TRUE(widget.toolTipAt(panel.CellRect(11).center()).endsWith(QStringLiteral("slot 11")));
    EXPECT_EQ(SlotAt({960, 1079}), 0);

    // A window of the panel's own shape takes the layout's own grid again.
    widget.show();
    widget.resize(800, 700);
    QApplication::processEvents();
    EXPECT_EQ(panel.grid(), (PanelGrid{8, 5}));
    EXPECT_EQ(SlotAt(QPointF(panel.CellRect(11).center())), 11);
}

TEST_F(MeterPanelWidgetTest, ToolTipOnlyOnK75SetUps) {
    devices.ModelVariant = ModelK73;
    QTest::mouseMove(&widget, QPoint(120, 80));
    EXPECT_TRUE(widget.toolTip().isEmpty());
    devices.ModelVariant = ModelK75;
    QMouseEvent move(QEvent::MouseMove, QPointF(130.4, 90.6), QPointF(130.4, 90.6), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
    EXPECT_EQ(widget.toolTip(), QStringLiteral("Right Click to change values."));
}

} // namespace
} // namespace k7::test
