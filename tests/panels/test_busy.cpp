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

    // Runs act once the call has been in flight for a while, then check
    // 100 ms later (the call, or the next one, is still in flight then).
    void during(std::function<void()> act, std::function<void()> check)
    {
        QTimer::singleShot(300, [this, act, check] {
            annunciator = text(MAIN_BUSY_ANNUNCIATOR);
            act();
            QTimer::singleShot(100, check);
        });
    }
    static std::function<void()> click(int panel, int control)
    {
        return [=] { QTest::mouseClick(uitest::ControlWidget(panel, control), Qt::LeftButton); };
    }

    std::string annunciator; // as the click found it
};

TEST_F(BusyTest, OtherInputDuringAReadIsRefusedVisiblyAndNeverReplayed)
{
    press(MAIN_SINGLE), drvtest::ClearCalls();
    std::string refused;
    during(click(mainPanel, functionControls[2]), [&refused] { refused = text(MAIN_BUSY_ANNUNCIATOR); });
    mainTicks();
    QCoreApplication::processEvents();
    mainTicks();
    EXPECT_NE(refused.find("ABORT/QUIT ONLY"), std::string::npos) << refused;
    EXPECT_EQ(annunciator.substr(0, 19) + std::to_string(settings.function) + " " + calls(),
              "WAITING FOR TRIGGER0 read() queryInputTriggering(1) queryInputTriggering(2)");
}

// Closed by its Close button or its close box, or the acquisition ended by
// ABORT: at once, with no sample (no trigger) and nothing written to a panel
// gone.
TEST_F(BusyTest, HistogramDuringASampleClosesOrAbortsAtOnce)
{
    for (int way : {0, 1, 2}) {
        press(MAIN_HISTOGRAM);
        ASSERT_GT(histogramPanel, 0);
        uitest::CallCtrlCallback(histogramPanel, HISTO_START, EVENT_COMMIT);
        int open = -1;
        const std::function<void()> closeBox = [] { uitest::PanelWidget(histogramPanel)->close(); };
        during(way == 0   ? click(histogramPanel, HISTO_CLOSE)
               : way == 1 ? closeBox
                          : click(mainPanel, MAIN_ABORT),
               [&open] { open = histogramPanel; });
        mainTicks(3);
        EXPECT_EQ(std::to_string(open > 0) + std::to_string(histogramCount), way == 2 ? "10" : "00") << way;
    }
    int dimmed = -1;
    GetCtrlAttribute(histogramPanel, HISTO_START, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(std::to_string(histogramSize) + std::to_string(dimmed), "00");
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
            during(click(mainPanel, MAIN_QUIT), [] {
                std::fprintf(stderr, uitest::PanelWidget(mainPanel)->isVisible() ? "shown\n" : "closed\n");
            });
            mainTicks();
            std::_Exit(3);
        },
        testing::ExitedWithCode(0), "closed");
    EXPECT_LT(clock.elapsed(), 10000) << "the read alone takes 10 s";
}
