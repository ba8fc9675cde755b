// The start-up dialog's controller on the manual clock: its states, the two countdowns, the
// answers and the placement over the main window.
#include "app/StartupDialogController.h"
#include "support/ManualClock.h"
#include "support/ShellDoubles.h"

#include <gtest/gtest.h>

#include <vector>

namespace k7 {
namespace {

using test::RecordingDialogActions;

class StartupDialogControllerTest : public ::testing::Test {
protected:
    StartupDialogControllerTest() : dialog(clock, actions) {
        dialog.Load(1, 2, 3);
        dialog.AddObserver([this] { fSec.push_back(dialog.state().lblFSec); });
    }
    // The distinct seconds labels the query showed, in order.
    std::vector<QString> querySeconds() const {
        std::vector<QString> out;
        for (const QString& text : fSec) {
            if (!text.isEmpty() && (out.empty() || out.back() != text)) {
                out.push_back(text);
            }
        }
        return out;
    }

    test::ManualClock clock;
    RecordingDialogActions actions;
    StartupDialogController dialog;
    std::vector<QString> fSec;
};

TEST_F(StartupDialogControllerTest, EachStateShowsOnlyItsParts) {
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("hidden")); // until shown
    dialog.ShowProgress();
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("startup"));
    EXPECT_TRUE(dialog.state().picture);
    EXPECT_FALSE(dialog.state().continueButton || dialog.state().closeButton);

    dialog.ShowQuery();
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("query"));
    EXPECT_FALSE(dialog.state().picture);
    EXPECT_TRUE(dialog.CountdownRunning());

    dialog.ShowExitConfirmation();
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("exit"));
    EXPECT_TRUE(dialog.state().picture && dialog.state().continueButton &&
                dialog.state().closeButton);
    EXPECT_FALSE(dialog.state().query || dialog.state().close);
    EXPECT_FALSE(dialog.CountdownRunning());

    dialog.ShowCloseCountdown();
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("close"));
    EXPECT_FALSE(dialog.state().continueButton || dialog.state().picture);
    EXPECT_TRUE(dialog.state().closeButton && dialog.state().closeButtonFocused);
    EXPECT_TRUE(dialog.state().rescanButton);
    // Rescan stops the countdown and hands over; the other forms offer no rescan.
    dialog.PressRescan();
    EXPECT_FALSE(dialog.CountdownRunning());
    EXPECT_EQ(actions.rescans, 1);
    dialog.ShowProgress();
    EXPECT_FALSE(dialog.state().rescanButton);
    dialog.PressRescan();
    EXPECT_EQ(actions.rescans, 1);

    dialog.HideDialog();
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("hidden"));
}

TEST_F(StartupDialogControllerTest, ProgressStaysInsideItsRange) {
    dialog.SetProgressRange(1, 8);
    dialog.SetProgress(8);
    EXPECT_EQ(dialog.state().progress, 8);
    dialog.SetProgress(9);
    dialog.SetProgress(0);
    EXPECT_EQ(dialog.state().progress, 8);
}

TEST_F(StartupDialogControllerTest, UnansweredQuestionCountsDownFromTenAndPressesNo) {
    dialog.ShowQuery();
    clock.advanceMs(10'000);
    EXPECT_TRUE(actions.answers.empty()) << "no answer before the count reaches 0";
    const std::vector<QString> expected{"10 Seconds", "9 Seconds", "8 Seconds", "7 Seconds",
                                        "6 Seconds",  "5 Seconds", "4 Seconds", "3 Seconds",
                                        "2 Seconds",  "1 Second"};
    EXPECT_EQ(querySeconds(), expected);

    clock.advanceMs(1000);
    ASSERT_EQ(actions.answers, std::vector<bool>{false});
    EXPECT_FALSE(dialog.CountdownRunning());
    EXPECT_EQ(DialogStateName(dialog.state()), QStringLiteral("exit"));
    clock.advanceMs(5000);
    EXPECT_EQ(actions.answers.size(), 1u) << "the question is answered once";
    ASSERT_EQ(dialog.RemainingSeconds(), 0);

    // The close countdown still runs its whole time after it.
    dialog.ShowCloseCountdown();
    clock.advanceMs(1000);
    EXPECT_EQ(dialog.state().lblSec, QStringLiteral("20 Seconds"));
    clock.advanceMs(20'000);
    EXPECT_EQ(actions.closes, 1);
}

TEST_F(StartupDialogControllerTest, YesStopsTheQuestionAndReportsTheAnswer) {
    dialog.ShowQuery();
    clock.advanceMs(3000);
    dialog.PressYes();
    EXPECT_EQ(actions.answers, std::vector<bool>{true});
    EXPECT_FALSE(dialog.CountdownRunning());
    EXPECT_FALSE(dialog.state().query);
    EXPECT_TRUE(dialog.state().picture && dialog.state().continueButton &&
                dialog.state().closeButton);
}

// Counted anew each time the countdown is entered.
TEST_F(StartupDialogControllerTest, CloseCountdownEndsTheProgramAfterTwentyOneSeconds) {
    dialog.ShowCloseCountdown();
    clock.advanceMs(15'000);
    dialog.ShowExitConfirmation();
    dialog.ShowCloseCountdown();
    clock.advanceMs(1000);
    EXPECT_EQ(dialog.state().lblSec, QStringLiteral("20 Seconds"));
    clock.advanceMs(19'000);
    EXPECT_EQ(dialog.state().lblSec, QStringLiteral("1 Second"));
    EXPECT_EQ(actions.closes, 0);
    clock.advanceMs(1000);
    EXPECT_EQ(actions.closes, 1);
    EXPECT_FALSE(dialog.CountdownRunning());
}

TEST_F(StartupDialogControllerTest, CloseNowClearsTheStatusListAndStopsTheCountdown) {
    dialog.ShowCloseCountdown();
    dialog.PressCloseNow();
    EXPECT_EQ(actions.closes, 1);
    EXPECT_FALSE(dialog.CountdownRunning());
    EXPECT_TRUE(dialog.state().status.isEmpty()); // Continue's hand-over: WindowsTest
}

TEST(StartupDialogPlacement, SmallRackSitsOnTheCornerLargeRackIsCentred) {
    const QRect main3(0, 0, 601, 372); // three receivers
    const QSize dialog(300, 200);
    EXPECT_EQ(PlaceStartupDialog(main3, dialog, 3, true), QPoint(0, 0));
    EXPECT_EQ(PlaceStartupDialog(main3, dialog, 3, false), QPoint(150, 86)) << "load centres";

    const QRect main8(10, 20, 800, 722);
    EXPECT_EQ(PlaceStartupDialog(main8, dialog, 8, true), QPoint(260, 281));
    // Halves go to the even neighbour: 10 + 400.5 - 150 = 260.5 -> 260; 20 + 361 - 100.5 -> 280.
    EXPECT_EQ(PlaceStartupDialog(QRect(10, 20, 801, 722), QSize(300, 201), 8, true),
              QPoint(260, 280));
}

} // namespace
} // namespace k7
