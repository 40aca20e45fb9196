// SPDX-License-Identifier: GPL-3.0-or-later
// The window while a driver call is in flight, through real clicks: the
// simulated module runs on the machine's clock and input 1's level lies above
// its 3 V swing, so a reading waits out the module's timeout (2 s).
#include "mainpaneltest.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace
{

class BusyTest : public MainPanelTest
{
  protected:
    void SetUp() override
    {
        MainPanelTest::SetUp();
        DisplayPanel(mainPanel);
        accepted({kq3917e_confInputTriggering(0, 1, 0, 5.0, 0)});
        drvtest::SetSimClock({});
        drvtest::ClearCalls();
    }

    // Clicks `control` of `panel` once the call has been in flight for a
    // while, then runs `check` 100 ms later (the call, or the next one, is
    // still in flight then).
    void clickDuring(
        int panel, int control, std::function<void()> check = [] {})
    {
        QTimer::singleShot(300, [this, panel, control, check] {
            annunciator = text(MAIN_BUSY_ANNUNCIATOR);
            QTest::mouseClick(uitest::ControlWidget(panel, control), Qt::LeftButton);
            QTimer::singleShot(100, check);
        });
    }

    static std::string runMarks()
    {
        return std::to_string(val<int>(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK)) +
               std::to_string(val<int>(MAIN_SINGLE, ATTR_ACTIVE_MARK));
    }

    std::string annunciator; // as the click found it
};

TEST_F(BusyTest, AbortDuringAFetchEndsContinuousModeAtOnceAndNoLaterTickFetches)
{
    press(MAIN_CONTINUOUS);
    std::string marks;
    clickDuring(mainPanel, MAIN_ABORT, [&marks] { marks = runMarks(); });
    mainTicks();
    EXPECT_EQ(annunciator.rfind("WAITING FOR TRIGGER ", 0), 0u) << annunciator;
    // While ABORT's own call still waits behind the abandoned fetch.
    EXPECT_EQ(marks, "01");
    mainTicks(3);
    EXPECT_EQ(continuousMode, 0);
    EXPECT_EQ(calls(), "triggerContinuous(1) fetch() abortMeasurement()");
    EXPECT_EQ(text(MAIN_BUSY_ANNUNCIATOR), "");
    EXPECT_EQ(popupTexts(), "");
}

TEST_F(BusyTest, OtherInputDuringAReadIsRefusedVisiblyAndNeverReplayed)
{
    press(MAIN_SINGLE);
    drvtest::ClearCalls();
    std::string refused;
    clickDuring(mainPanel, functionControls[2], [&refused] { refused = text(MAIN_BUSY_ANNUNCIATOR); });
    mainTicks();
    QCoreApplication::processEvents();
    mainTicks();
    EXPECT_EQ(annunciator.rfind("WAITING FOR TRIGGER", 0), 0u) << annunciator;
    EXPECT_NE(refused.find("ABORT/QUIT ONLY"), std::string::npos) << refused;
    EXPECT_EQ(settings.function, 0);
    EXPECT_EQ(calls(), "read() queryInputTriggering(1) queryInputTriggering(2)");
}

// By its Close button, then by its close box.
TEST_F(BusyTest, ClosingTheHistogramDuringASampleTakesEffectAtOnce)
{
    for (bool closeBox : {false, true}) {
        press(MAIN_HISTOGRAM);
        ASSERT_GT(histogramPanel, 0);
        uitest::CallCtrlCallback(histogramPanel, HISTO_START, EVENT_COMMIT);
        int open = -1;
        if (closeBox) {
            QTimer::singleShot(300, [] { uitest::PanelWidget(histogramPanel)->close(); });
            QTimer::singleShot(400, [&open] { open = histogramPanel; });
        } else {
            clickDuring(histogramPanel, HISTO_CLOSE, [&open] { open = histogramPanel; });
        }
        mainTicks();
        EXPECT_EQ(open, 0) << closeBox;
        EXPECT_EQ(histogramPanel, 0);
        EXPECT_EQ(histogramCount, 0); // no trigger: no sample, and nothing written to the panel gone
    }
}

TEST_F(BusyTest, AbortEndsAHistogramAcquisitionWithoutASample)
{
    press(MAIN_HISTOGRAM);
    uitest::CallCtrlCallback(histogramPanel, HISTO_START, EVENT_COMMIT);
    clickDuring(mainPanel, MAIN_ABORT);
    mainTicks(3);
    int dimmed = -1;
    GetCtrlAttribute(histogramPanel, HISTO_START, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(histogramCount, 0);
    EXPECT_EQ(histogramSize, 0);
    EXPECT_EQ(dimmed, 0);
}

// A 10 s read (with a trigger) and a module timeout of 0.5 s: the process
// ends 2.5 s after the click at the latest, the window gone at once.
TEST_F(BusyTest, QuitDuringALongReadClosesAtOnceAndExitsWithinTheBound)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EXIT(
        {
            accepted({kq3917e_confInputTriggering(0, 1, 0, 0.0, 0), kq3917e_setSystTimeout(0, 500),
                      kq3917e_confAperture(0, 10000000)});
            press(MAIN_SINGLE);
            clickDuring(mainPanel, MAIN_QUIT, [] {
                std::fprintf(stderr, uitest::PanelWidget(mainPanel)->isVisible() ? "shown\n" : "closed\n");
            });
            mainTicks();
            std::_Exit(3);
        },
        testing::ExitedWithCode(0), "closed");
    EXPECT_LT(clock.elapsed(), 10000) << "the read alone takes 10 s";
}

} // namespace
