// The main window and the meter cells' arrangement remembered in the settings: the texts they are
// kept as, what is refused on reading, and that they are taken at start only for a rack of the
// size they were left with.
#include "app/PanelWindowSetting.h"
#include "platform/SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(PanelWindowSettingTest, TheWindowAndTheArrangementAreKeptAsTextAndReadBack) {
    QTemporaryDir dir;
    QtSettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    EXPECT_FALSE(ReadPanelWindow(settings)) << "nothing remembered on a first start";
    for (const RememberedWindow& window :
         {RememberedWindow{24, {{1200, 1050}, WindowMode::Normal}},
          RememberedWindow{8, {{800, 700}, WindowMode::Maximized}},
          RememberedWindow{40, {{1000, 875}, WindowMode::FullScreen}}}) {
        SavePanelWindow(settings, window);
        EXPECT_EQ(ReadPanelWindow(settings), window) << qPrintable(PanelWindowText(window));
    }
    EXPECT_EQ(settings.GetSetting(QStringLiteral("Settings"), QStringLiteral("PanelWindow"), {}),
              QStringLiteral("40 1000x875 fullscreen"));

    // The arrangement: kept for a rack size, serving only that size.
    EXPECT_EQ(StartArrangement(ReadArrangement(settings), 40), PanelArrangement::Native);
    SaveArrangement(settings, {40, PanelArrangement::Wide});
    EXPECT_EQ(settings.GetSetting(QStringLiteral("Settings"), QStringLiteral("Arrangement"), {}),
              QStringLiteral("40 wide"));
    EXPECT_EQ(StartArrangement(ReadArrangement(settings), 40), PanelArrangement::Wide);
    EXPECT_EQ(StartArrangement(ReadArrangement(settings), 24), PanelArrangement::Native);
    for (const char* text : {"wide", "40", "40 Wide", "40 narrow", "0 wide", "40 wide extra"}) {
        EXPECT_FALSE(ParseArrangementSetting(QString::fromLatin1(text))) << text;
    }
}

TEST(PanelWindowSettingTest, ATextThatIsNotOneItWritesIsIgnored) {
    for (const char* text :
         {"", "8", "8 1000x875", "8 1000x875 huge", "8 1000 875 normal", "0 800x700 normal",
          "8 0x700 normal", "8 800x0 normal", "8 20000x700 normal", "-8 800x700 normal",
          "8 800x700 normal extra", "eight 800x700 normal"}) {
        EXPECT_FALSE(ParsePanelWindow(QString::fromLatin1(text))) << text;
    }
    EXPECT_TRUE(ParsePanelWindow(QStringLiteral(" 8 16384x16384 maximized\n")));
}

TEST(PanelWindowSettingTest, TheRememberedWindowServesOnlyTheSameRackSize) {
    const RememberedWindow left{8, {{1000, 875}, WindowMode::FullScreen}};
    EXPECT_EQ(StartPlacement(left, 8, QSize(800, 700)), left.placement);
    EXPECT_EQ(StartPlacement(left, 9, QSize(800, 526)),
              (WindowPlacement{{800, 526}, WindowMode::Normal}));
    EXPECT_EQ(StartPlacement(std::nullopt, 8, QSize(800, 700)),
              (WindowPlacement{{800, 700}, WindowMode::Normal}));
}

} // namespace
} // namespace k7
