// SPDX-License-Identifier: GPL-3.0-or-later
// The strip chart panel on a test clock: the recorder's header, rows and
// gaps, PAUSE, CLEAR, the manual y range, the three ways a recording ends,
// and a full device.
#include "measuretest.h"

namespace
{

double testNow = 0;

class Recorder : public FileTest
{
  protected:
    void SetUp() override
    {
        FileTest::SetUp();
        ASSERT_EQ(press(MAIN_STRIPCHART), 0);
        accepted({kq3917e_triggerContinuous(instrSession, 1)});
        continuousMode = 1;
        testNow = 100;
        setRecorderClock([] { return testNow; });
    }
    void TearDown() override
    {
        stopRecording(nullptr);
        setRecorderClock(nullptr);
        FileTest::TearDown();
    }
    // RECORD pressed, the file dialog answering with file.
    void record(const std::string &file)
    {
        SetCtrlVal(stripChartPanel, STRIPCHART_RECORD, 1);
        saveWith(stripChartPanel, STRIPCHART_RECORD, file);
    }
    template <typename T = int> static T shown(int control, int attribute = -1)
    {
        return shownOn<T>(stripChartPanel, control, attribute);
    }
    static QCustomPlot *chart() { return plotOn(stripChartPanel, STRIPCHART_CHART); }
    // Ticks a second apart on the recorder's clock; then the times of the
    // chart's points, "|" for a break in its line.
    static std::string ticks(int count)
    {
        for (; count > 0; --count, testNow += 1)
            mainTicks();
        std::string times;
        for (const QCPGraphData &p : *chart()->graph(0)->data())
            times += std::isnan(p.value) ? "| " : QString::number(p.key).toStdString() + " ";
        return times;
    }
};

// Paused ticks add no point but still show and record their readings; the
// points after the pause keep their times, and CLEAR starts the chart's time
// (not the file's) again. A failed fetch is a row without a value and ends
// continuous mode.
TEST_F(Recorder, HeaderRowsGapsPauseAndClear)
{
    EXPECT_EQ(chart()->yAxis->label() + "|" + chart()->xAxis->label(), "Hz|Time (s)");
    record(path("r.csv"));
    ASSERT_TRUE(shown(STRIPCHART_RECORD));
    EXPECT_EQ(ticks(2), "0 1 ");
    SetCtrlVal(stripChartPanel, STRIPCHART_PAUSE, 1);
    SetCtrlVal(mainPanel, MAIN_READING, "");
    EXPECT_EQ(ticks(3), "0 1 ");
    EXPECT_NE(text(MAIN_READING), "");
    SetCtrlVal(stripChartPanel, STRIPCHART_PAUSE, 0);
    on(stripChartPanel, STRIPCHART_PAUSE);
    EXPECT_EQ(ticks(1), "0 1 | 5 ");
    on(stripChartPanel, STRIPCHART_CLEAR);
    EXPECT_EQ(ticks(2), "0 1 ");
    drvtest::Refuse("kq3917e_fetch", -1074003951);
    ticks(1);
    EXPECT_EQ(continuousMode, 0);
    const std::string file = readFile(path("r.csv"));
    for (const std::string line :
         {"# uct-sfp ", "# function: 0 FREQ\u00a0A\n", "# unit: Hz\n", "# data: frequency\n",
          "# aperture_s: 0.0001\n", "# start: 20", "\ntime_s,value\n0,1", "\n1,", "\n2,", "\n3,", "\n4,",
          "\n5,", "\n6,", "\n7,", "\n8,\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line << " in\n" << file;
}

// AUTO Y off keeps the range shown, in the fields and on the axis; a
// committed field applies Y MIN … Y MAX at once, or raises the popup and
// changes nothing; AUTO Y on follows the points again.
TEST_F(Recorder, ManualRangeAppliesOrRefusesAndAutoYRestores)
{
    bool found = false;
    for (const auto &[min, max, applied] :
         {std::tuple{99e3, 101e3, true}, {-1e15, 1e15, true}, {101e3, 99e3, false}, {1e5, 1e5, false}}) {
        SCOPED_TRACE(::testing::Message() << min << " " << max);
        uitest::ClearPopups();
        ticks(5);
        const QCPRange range = chart()->yAxis->range();
        EXPECT_EQ(range, chart()->graph(0)->getValueRange(found));
        enter(stripChartPanel, STRIPCHART_AUTO_Y, 0);
        EXPECT_EQ(QCPRange(shown<double>(STRIPCHART_Y_MIN), shown<double>(STRIPCHART_Y_MAX)), range);
        EXPECT_EQ(shown(STRIPCHART_Y_MAX, ATTR_DIMMED), 0);
        SetCtrlVal(stripChartPanel, STRIPCHART_Y_MIN, min);
        enter(stripChartPanel, STRIPCHART_Y_MAX, max);
        ticks(3);
        EXPECT_EQ(chart()->yAxis->range(), applied ? QCPRange(min, max) : range);
        EXPECT_EQ(popupTexts(), applied ? "" : "Strip Chart|Y MIN must be below Y MAX.");
        enter(stripChartPanel, STRIPCHART_AUTO_Y, 1);
        EXPECT_EQ(shown(STRIPCHART_Y_MIN, ATTR_DIMMED), 1);
        EXPECT_EQ(chart()->yAxis->range(), chart()->graph(0)->getValueRange(found));
        on(stripChartPanel, STRIPCHART_CLOSE); // the next case on a new panel, its fields at 0
        ASSERT_EQ(press(MAIN_STRIPCHART), 0);
    }
}

// A recording ends with the RECORD button, a function change or closing the
// strip chart; the last two leave a note after the last row.
TEST_F(Recorder, EndsWithANote)
{
    const std::tuple<const char *, std::function<void()>, const char *> cases[] = {
        {"off.csv", [] { enter(stripChartPanel, STRIPCHART_RECORD, 0); }, ""},
        {"function.csv",
         [] {
             settings.function = 1;
             EXPECT_EQ(ticks(1), "0 ") << "the cleared chart starts its time again";
             settings.function = 0;
         },
         "# ended: function changed to 1\n"},
        {"closed.csv", [] { on(stripChartPanel, STRIPCHART_CLOSE); }, "# ended: strip chart closed\n"},
    };
    for (const auto &[name, end, note] : cases) {
        record(path(name));
        ticks(2);
        end();
        EXPECT_TRUE(stripChartPanel == 0 || !shown(STRIPCHART_RECORD)) << name;
        const std::string file = readFile(path(name));
        const size_t last = file.rfind("\n1,");
        ASSERT_NE(last, std::string::npos) << file;
        EXPECT_EQ(file.substr(file.find('\n', last + 1) + 1), note) << name;
    }
}

// Nothing can be written (a file size limit stands in for a full disk): the
// recording stops with a message that names the file and the rows written,
// and continuous mode goes on. A file that cannot be opened: the state
// names it, with no rows.
TEST_F(Recorder, FullDeviceStopsTheRecording)
{
    withFileSizeLimit(1, [&] { record(path("full.csv")); });
    EXPECT_FALSE(shown(STRIPCHART_RECORD));
    EXPECT_EQ(textOn(stripChartPanel, STRIPCHART_RECORD_STATE), "0 rows in " + path("full.csv"));
    EXPECT_EQ(popupTexts(), "Recording Stopped|Error writing " + path("full.csv") +
                                ": the recording stopped after 0 rows.");
    ticks(1);
    EXPECT_EQ(continuousMode, 1);
    record("/dev/full");
    EXPECT_EQ(textOn(stripChartPanel, STRIPCHART_RECORD_STATE), "0 rows in /dev/full");
}

} // namespace
