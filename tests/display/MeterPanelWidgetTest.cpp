// The meter panel window: repaint from PanelBuf, the tool tip, and the right-button release
// that selects a slot and opens the control panel only for an answering K7.5 receiver.
#include "display/MeterPanelWidget.h"
#include "DisplayFixture.h"

#include <QApplication>
#include <QTest>

#include <vector>

namespace k7::test {
namespace {

class MeterPanelWidgetTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        widget.resize(800, 700);
        widget.setOpenPanelCallback([this](int slot) { opened.push_back(slot); });
    }
    void RightClick(QPoint at) { QTest::mouseRelease(&widget, Qt::RightButton, {}, at); }

    MeterPanelWidget widget{panel, settings, devices};
    std::vector<int> opened;
};

TEST_F(MeterPanelWidgetTest, RepaintShowsThePanelBuffer) {
    StartRack(1, 2);
    rack.LastAntenna = 1;
    panel.Display8VU(2, 2);
    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(800, 700));
    for (QPoint p : {QPoint(0, 0), QPoint(225, 320), QPoint(370, 140), QPoint(799, 699)}) {
        EXPECT_EQ(shown.pixel(p), panel.PanelBuf().pixel(p)) << p.x() << "," << p.y();
    }
}

TEST_F(MeterPanelWidgetTest, RightClickOnAnAnsweringReceiverOpensItsPanel) {
    StartRack(3, 24);
    rack.SlotState[24] = 2;
    RightClick({700, 600});
    EXPECT_EQ(rack.SelectedSlot, 24);
    EXPECT_EQ(opened, std::vector<int>{24});
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

TEST_F(MeterPanelWidgetTest, FortySlotLayoutOpensThePanelOfTheCellUnderThePointer) {
    StartRack(0, 33);
    RightClick({750, 650}); // slot 40: beyond the rack
    EXPECT_EQ(rack.SelectedSlot, 40);
    RightClick({99, 560});
    EXPECT_EQ(rack.SelectedSlot, 33);
    EXPECT_EQ(opened, std::vector<int>{33});
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
    EXPECT_EQ(widget.pointerPosition(), QPoint(130, 91));
}

TEST_F(MeterPanelWidgetTest, PastesRepaintOnlyTheirRectangle) {
    StartRack(1, 1);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QApplication::processEvents();
    panel.Display8VU(1, 1);
    // The paste listener asked for repaints; after them the window matches the buffer.
    QApplication::processEvents();
    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(25, 320), panel.PanelBuf().pixel(25, 320));
}

} // namespace
} // namespace k7::test
