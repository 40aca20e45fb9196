// SPDX-License-Identifier: GPL-3.0-or-later
// The strip chart's PAUSE, CLEAR and manual y range, driven through the
// panel's callback and the timer on a test clock.
#include "../panels/mainpaneltest.h"

#include <qcustomplot.h>

namespace
{

double testNow = 0;
double testClock()
{
    return testNow;
}

class StripControls : public FileTest
{
  protected:
    void SetUp() override
    {
        FileTest::SetUp();
        ASSERT_EQ(press(MAIN_STRIPCHART), 0);
        accepted({kq3917e_triggerContinuous(instrSession, 1)});
        continuousMode = 1;
        testNow = 100;
        setRecorderClock(testClock);
    }
    void TearDown() override
    {
        stopRecording(nullptr);
        setRecorderClock(nullptr);
        FileTest::TearDown();
    }
    template <typename T> static void enter(int control, T value)
    {
        SetCtrlVal(stripChartPanel, control, value);
        uitest::CallCtrlCallback(stripChartPanel, control, EVENT_COMMIT);
    }
    // Ticks one second apart; then the times of the chart's points.
    static std::string ticks(int count)
    {
        for (int i = 0; i < count; ++i, testNow += 1) {
            mainTicks();
        }
        std::string times;
        for (const QCPGraphData &p : *chart()->graph(0)->data()) {
            times += QString::number(p.key).toStdString() + " ";
        }
        return times;
    }
    static QCustomPlot *chart()
    {
        return qobject_cast<QCustomPlot *>(uitest::ControlWidget(stripChartPanel, STRIPCHART_CHART));
    }
};

// Paused ticks add no point but still show and record their readings; the
// points after the pause keep their times, and CLEAR starts the time again.
TEST_F(StripControls, PauseHoldsTheChartAndClearEmptiesIt)
{
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, path("r.csv"));
    enter(STRIPCHART_RECORD, 1);
    EXPECT_EQ(ticks(2), "0 1 ");
    SetCtrlVal(stripChartPanel, STRIPCHART_PAUSE, 1);
    SetCtrlVal(mainPanel, MAIN_READING, "");
    EXPECT_EQ(ticks(3), "0 1 ");
    EXPECT_NE(text(MAIN_READING), "");
    SetCtrlVal(stripChartPanel, STRIPCHART_PAUSE, 0);
    EXPECT_EQ(ticks(1), "0 1 5 ");
    uitest::CallCtrlCallback(stripChartPanel, STRIPCHART_CLEAR, EVENT_COMMIT);
    EXPECT_EQ(ticks(2), "0 1 ");
    stopRecording(nullptr);
    const std::string file = readFile(path("r.csv"));
    for (int t = 0; t < 8; ++t) {
        EXPECT_NE(file.find("\n" + std::to_string(t) + ","), std::string::npos) << "no row at " << t << " s";
    }
}

struct RangeCase {
    double min, max; // entered once AUTO Y is off
    bool applied;
};

class ManualRange : public StripControls, public ::testing::WithParamInterface<RangeCase>
{
};

// AUTO Y off keeps the range shown, in the fields and on the axis; a
// committed field applies Y MIN … Y MAX at once, or raises the popup and
// changes nothing; AUTO Y on follows the points again.
TEST_P(ManualRange, AppliesOrRefusesAndAutoYRestores)
{
    const RangeCase &c = GetParam();
    bool found = false;
    ticks(5);
    const QCPRange shown = chart()->yAxis->range();
    EXPECT_EQ(shown, chart()->graph(0)->getValueRange(found));
    enter(STRIPCHART_AUTO_Y, 0);
    double min = 0, max = 0;
    int dimmed = 1;
    GetCtrlVal(stripChartPanel, STRIPCHART_Y_MIN, &min);
    GetCtrlVal(stripChartPanel, STRIPCHART_Y_MAX, &max);
    GetCtrlAttribute(stripChartPanel, STRIPCHART_Y_MAX, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(QCPRange(min, max), shown);
    EXPECT_EQ(dimmed, 0);
    SetCtrlVal(stripChartPanel, STRIPCHART_Y_MIN, c.min);
    enter(STRIPCHART_Y_MAX, c.max);
    ticks(3);
    EXPECT_EQ(chart()->yAxis->range(), c.applied ? QCPRange(c.min, c.max) : shown);
    EXPECT_EQ(popupTexts(), c.applied ? "" : "Strip Chart|Y MIN must be below Y MAX.");

    enter(STRIPCHART_AUTO_Y, 1);
    GetCtrlAttribute(stripChartPanel, STRIPCHART_Y_MIN, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    EXPECT_EQ(chart()->yAxis->range(), chart()->graph(0)->getValueRange(found));
}

INSTANTIATE_TEST_SUITE_P(Cases, ManualRange,
                         ::testing::Values(RangeCase{99e3, 101e3, true}, RangeCase{-1e15, 1e15, true},
                                           RangeCase{101e3, 99e3, false}, RangeCase{1e5, 1e5, false}));

} // namespace
