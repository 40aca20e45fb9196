// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder on the strip chart panel: header, rows on a test clock, gaps
// for failed fetches, the three ways a recording ends, and a full device.
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
    static int recording() { return shownOn<int>(stripChartPanel, STRIPCHART_RECORD); }
    // Ticks a quarter second apart on the recorder's clock (exact in binary).
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            testNow += 0.25;
            mainTicks();
        }
    }
    // The times of the strip chart's points.
    static std::string chartTimes()
    {
        std::string times;
        for (const QCPGraphData &p : *plotOn(stripChartPanel, STRIPCHART_CHART)->graph(0)->data())
            times += QString::number(p.key).toStdString() + " ";
        return times;
    }
};

TEST_F(Recorder, HeaderRowsAndGaps)
{
    QCustomPlot *chart = plotOn(stripChartPanel, STRIPCHART_CHART);
    EXPECT_EQ(chart->yAxis->label(), QStringLiteral("Hz")) << "the chart's y axis names the unit";
    record(path("r.csv"));
    ASSERT_TRUE(recording());
    ticks(3);
    drvtest::Refuse("kq3917e_fetch", -1074003951);
    ticks(1);
    const std::string file = readFile(path("r.csv"));
    for (const char *line :
         {"# uct-sfp ", "# function: 0 FREQ\u00a0A\n", "# unit: Hz\n", "# data: frequency\n",
          "# aperture_s: 0.0001\n", "# start: 20", "\ntime_s,value\n0.25,1"}) {
        EXPECT_NE(file.find(line), std::string::npos) << line << " in\n" << file;
    }
    // The failed fetch: its time and no value; continuous mode ended.
    EXPECT_NE(file.find("\n1,\n"), std::string::npos) << file;
    EXPECT_EQ(continuousMode, 0);
    // The chart's points: seconds on the same clock, from its first reading.
    EXPECT_EQ(chartTimes(), "0 0.25 0.5 ");
    EXPECT_EQ(chart->xAxis->label(), QStringLiteral("Time (s)"));
}

// A recording ends with the RECORD button, closing the strip chart or a
// function change; the last two leave a note.
TEST_F(Recorder, EndsWithANote)
{
    const std::tuple<const char *, std::function<void()>, const char *> cases[] = {
        {"off.csv",
         [] { SetCtrlVal(stripChartPanel, STRIPCHART_RECORD, 0), on(stripChartPanel, STRIPCHART_RECORD); },
         ""},
        {"function.csv",
         [this] {
             settings.function = 1, ticks(1), settings.function = 0;
             EXPECT_EQ(chartTimes(), "0 ") << "the cleared chart starts its time again";
         },
         "# ended: function changed to 1\n"},
        {"closed.csv", [] { on(stripChartPanel, STRIPCHART_CLOSE); }, "# ended: strip chart closed\n"},
    };
    for (const auto &[name, end, note] : cases) {
        if (stripChartPanel == 0) {
            ASSERT_EQ(press(MAIN_STRIPCHART), 0);
        }
        record(path(name));
        ticks(2);
        end();
        EXPECT_TRUE(stripChartPanel == 0 || !recording()) << name;
        // The note, if any, follows the last row.
        const std::string file = readFile(path(name));
        const size_t last = file.rfind("\n0.5,");
        ASSERT_NE(last, std::string::npos) << file;
        EXPECT_EQ(file.substr(file.find('\n', last + 1) + 1), note) << name;
    }
}

// Nothing can be written (a file size limit stands in for a full disk): the
// recording stops with a message that names the file and the rows written,
// and continuous mode goes on.
TEST_F(Recorder, FullDeviceStopsTheRecording)
{
    withFileSizeLimit(1, [&] { record(path("full.csv")); });
    EXPECT_FALSE(recording());
    EXPECT_EQ(popupTexts(), "Recording Stopped|Error writing " + path("full.csv") +
                                ": the recording stopped after 0 rows.");
    ticks(1);
    EXPECT_EQ(continuousMode, 1);
}

} // namespace
