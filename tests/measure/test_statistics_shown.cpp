// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram's statistics are the run's own: a Start clears them, samples
// that are not finite say so, and Save Data writes exactly what is shown.
#include "../panels/mainpaneltest.h"

#include <QLineEdit>
#include <cmath>
#include <limits>
#include <qcustomplot.h>

namespace
{

// In the export's column order.
const int statistics[] = {HISTO_MIN, HISTO_MEAN, HISTO_MAX, HISTO_STDDEV, HISTO_MODE};

void run(int samples, int ticks)
{
    SetCtrlVal(histogramPanel, HISTO_SAMPLES, samples);
    uitest::CallCtrlCallback(histogramPanel, HISTO_START, EVENT_COMMIT);
    mainTicks(ticks);
}

std::string shown(int control)
{
    return uitest::ControlWidget(histogramPanel, control)->findChild<QLineEdit *>()->text().toStdString();
}

// Line 2 of a block saved now into file: the first sample and the statistics.
std::string saved(const std::string &file)
{
    uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, file);
    uitest::CallCtrlCallback(histogramPanel, HISTO_SAVE, EVENT_COMMIT);
    const std::string block = readFile(file);
    const size_t line2 = block.find('\n') + 1;
    return block.substr(line2, block.find('\n', line2) - line2);
}

// After a run of five, a shorter run shows no statistics until its second
// sample; the file has the statistics shown, or empty fields, for every count.
TEST_F(FileTest, StatisticsAreTheRunsOwnAndSavedAsShown)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    for (int samples : {1, 2, 3}) {
        run(5, 5);
        run(samples, samples);
        char field[40];
        snprintf(field, sizeof field, "%.12e", histogramSamples[0]);
        std::string expected = field;
        for (int control : statistics) {
            double value = 0;
            const bool any = GetCtrlVal(histogramPanel, control, &value) == 0;
            EXPECT_EQ(any, samples > 1) << samples;
            EXPECT_EQ(shown(control).empty(), samples == 1) << samples;
            snprintf(field, sizeof field, "%.12e", value);
            expected += "," + std::string(any ? field : "");
        }
        EXPECT_EQ(saved(path(std::to_string(samples) + ".csv")), expected) << samples;
    }
}

// A sample that is not finite: mean and deviation say so on the panel and in
// the file, never a number; there is no mode or bar over an infinite spread.
TEST_F(FileTest, StatisticsOfSamplesThatAreNotFiniteSaySo)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double planted;
        const char *mean, *mode, *line; // line: the saved mean and deviation
        int bars;
    } cases[] = {
        {std::nan(""), "NaN", nullptr, "nan,", 1},
        {inf, "+Inf", "NaN", "inf,", 0},
        {-inf, "-Inf", "NaN", "-inf,", 0},
    };
    auto *graph = qobject_cast<QCustomPlot *>(uitest::ControlWidget(histogramPanel, HISTO_GRAPH));
    for (const auto &c : cases) {
        run(3, 1);
        histogramSamples[0] = c.planted;
        mainTicks(2);
        EXPECT_EQ(shown(HISTO_MEAN), c.mean);
        EXPECT_EQ(shown(HISTO_STDDEV), "NaN");
        if (c.mode != nullptr) {
            EXPECT_EQ(shown(HISTO_MODE), c.mode);
        }
        EXPECT_EQ(graph->plottableCount(), c.bars) << c.mean;
        const std::string line = saved(path(std::string(c.mean) + ".csv"));
        // Data, Min, Mean, Max, StdDev, Mode
        size_t mean = line.find(',', line.find(',') + 1) + 1;
        EXPECT_EQ(line.substr(mean, strlen(c.line)), c.line) << line;
        size_t stdDev = line.find(',', line.find(',', mean) + 1) + 1;
        EXPECT_EQ(line.substr(stdDev, 4), "nan,") << line;
    }
}

} // namespace
