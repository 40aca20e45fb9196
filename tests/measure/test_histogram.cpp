// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram panel over the simulated module: acquisition tick by tick,
// statistics and graph of each run's own samples, the state of Start and Save
// Data, and the export against golden text.
#include "measuretest.h"

#include <clocale>
#include <cmath>
#include <numeric>

namespace
{

// In the export's column order.
const int statistics[] = {HISTO_MIN, HISTO_MEAN, HISTO_MAX, HISTO_STDDEV, HISTO_MODE};
const std::string header = "Data,Min,Mean,Max,StdDev,Mode\n";

class Histogram : public FileTest
{
  protected:
    void SetUp() override
    {
        FileTest::SetUp();
        resetHistogramRecord();
        ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    }
    static int dimmed()
    {
        return shownOn<int>(histogramPanel, HISTO_START, ATTR_DIMMED) +
               shownOn<int>(histogramPanel, HISTO_SAVE, ATTR_DIMMED);
    }
    static QCustomPlot *graph() { return plotOn(histogramPanel, HISTO_GRAPH); }
    static QCPBars *bars()
    {
        return graph()->plottableCount() == 1 ? qobject_cast<QCPBars *>(graph()->plottable(0)) : nullptr;
    }
    void save(const std::string &name)
    {
        saveWith(histogramPanel, HISTO_SAVE, name.empty() ? "" : path(name));
    }
};

// Runs of `samples`, `ticks` ticks after Start, in continuous mode: the
// histogram takes the ticks with single reads and never fetches; Start and
// Save Data stay dimmed until the run is complete.
TEST_F(Histogram, TakesOneSamplePerTickUpToTheSize)
{
    const struct {
        int samples, ticks, count;
        bool complete;
    } cases[] = {{1, 1, 1, true},  {1, 3, 1, true}, {5, 1, 1, false},
                 {5, 2, 2, false}, {5, 8, 5, true}, {1000, 1000, 1000, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.samples << " samples, " << c.ticks << " ticks");
        SetCtrlVal(mainPanel, MAIN_READING, "untouched");
        runHistogram(c.samples, 0);
        EXPECT_EQ(dimmed(), 2);
        accepted({kq3917e_triggerContinuous(instrSession, 1)});
        continuousMode = 1;
        drvtest::ClearCalls();
        mainTicks(c.ticks);
        EXPECT_EQ(calls(), QString("read() ").repeated(c.count).trimmed().toStdString());
        EXPECT_EQ(
            std::make_tuple(histogramCount, shownOn<int>(histogramPanel, HISTO_COUNT), text(MAIN_READING)),
            std::make_tuple(c.count, c.count, "untouched"));
        EXPECT_EQ(dimmed(), c.complete ? 0 : 2);
        const double *first = histogramSamples, *last = histogramSamples + c.count;
        EXPECT_EQ(lastReading, *(last - 1));
        for (int control : statistics) {
            double any = 0; // Start cleared the earlier values
            EXPECT_EQ(GetCtrlVal(histogramPanel, control, &any) == 0, c.count > 1);
        }
        if (c.count == 1)
            continue;
        const auto [low, high] = std::minmax_element(first, last);
        const double mean = std::accumulate(first, last, 0.0) / c.count;
        double squares = 0;
        for (const double *x = first; x < last; x++)
            squares += (*x - mean) * (*x - mean);
        EXPECT_EQ(shownOn(histogramPanel, HISTO_MIN), *low);
        EXPECT_EQ(shownOn(histogramPanel, HISTO_MAX), *high);
        EXPECT_NEAR(shownOn(histogramPanel, HISTO_MEAN), mean, 1e-9 * std::abs(mean));
        EXPECT_NEAR(shownOn(histogramPanel, HISTO_STDDEV), std::sqrt(squares / c.count),
                    1e-6 * std::sqrt(squares / c.count));
        // Ten red bars over [min, max], y up to the size, holding every sample.
        ASSERT_NE(bars(), nullptr);
        EXPECT_EQ(bars()->data()->size(), HISTOGRAM_INTERVALS);
        double held = 0;
        for (const QCPBarsData &bar : *bars()->data())
            held += bar.value;
        EXPECT_EQ(held, c.count);
        EXPECT_EQ(bars()->brush().color().rgb() & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(graph()->xAxis->range(), QCPRange(*low, *high));
        EXPECT_EQ(graph()->yAxis->range(), QCPRange(0, c.samples));
    }
}

// Closing stops the acquisition at once; reopening counts 100 taken, so the
// panel opens idle with its default size of 100.
TEST_F(Histogram, ClosingStopsAndReopeningIsIdle)
{
    runHistogram(10, 2);
    on(histogramPanel, HISTO_CLOSE);
    EXPECT_EQ(histogramPanel, 0);
    drvtest::ClearCalls();
    mainTicks(3);
    EXPECT_EQ(histogramCount, 2);
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    mainTicks(3);
    EXPECT_EQ(std::make_pair(calls(), histogramCount), std::make_pair(std::string(), 100));
}

// ---- export

// After a shorter second run only its own samples are saved, before its
// second sample without statistics (the shown ones are the golden export's).
TEST_F(Histogram, SaveWritesTheLastRunAsShown)
{
    for (int samples : {1, 3}) {
        runHistogram(5, 5);
        runHistogram(samples, samples);
        save(std::to_string(samples) + ".csv");
        const std::string file = readFile(path(std::to_string(samples) + ".csv"));
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), samples + 1);
        EXPECT_EQ(file.find(",,,,,\n") != std::string::npos, samples == 1) << file;
    }
}

// Samples i * 0.25 - 1.5 and statistics that differ from any sample.
void fillRecord(int count)
{
    for (int i = 0; i < count; i++)
        histogramSamples[i] = i * 0.25 - 1.5;
    histogramCount = count;
    const double shown[] = {-1.5, 2999999999.123456, 3e9, 1.2345678912345678e-15, -0.00025};
    for (int i = 0; i < 5; i++)
        SetCtrlVal(histogramPanel, statistics[i], shown[i]);
}

const std::string golden1 = header + "-1.500000000000e+00,-1.500000000000e+00,2.999999999123e+09,"
                                     "3.000000000000e+09,1.234567891235e-15,-2.500000000000e-04\n";
const std::string golden5 =
    golden1 + "-1.250000000000e+00\n-1.000000000000e+00\n-7.500000000000e-01\n-5.000000000000e-01\n";

struct ExportCase {
    int count;
    std::vector<std::string> files; // chosen in the file dialog, in turn ("" cancels)
    std::string expected;           // content of data.csv afterwards
    std::string popups;
};

class Export : public Histogram, public ::testing::WithParamInterface<ExportCase>
{
};

// One block per save, with decimal points under a locale with decimal commas.
TEST_P(Export, AppendsOneBlockPerSave)
{
    const ExportCase &c = GetParam();
    fillRecord(c.count);
    const std::string previous = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "de_DE.utf8"); // where it is installed
    for (const std::string &file : c.files)
        save(file);
    setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(readFile(path("data.csv")), c.expected);
    EXPECT_EQ(popupTexts(), c.popups);
    EXPECT_EQ(histogramCount, c.count); // the samples stay for another try
}

const char *const deviceRefused =
    "File Open Error|Error opening file\n/dev/full: a device, not a regular file";

INSTANTIATE_TEST_SUITE_P(Files, Export,
                         ::testing::Values(ExportCase{1, {"data.csv"}, golden1, ""},
                                           ExportCase{5, {"data.csv", "data.csv"}, golden5 + golden5, ""},
                                           ExportCase{5, {""}, "<missing>", ""},
                                           // a device is refused; the next save writes the whole block
                                           ExportCase{5, {"/dev/full", "data.csv"}, golden5, deviceRefused}));

// 2000 bytes through real folders, more than the 1023 a path once could
// have; a file that cannot take the block (the disk is full, here a file
// size limit) is said, and the samples stay for another try.
TEST_F(Histogram, LongPathsAndFullDisks)
{
    std::string deep = dir.path().toStdString();
    while (deep.size() < 1800) {
        deep += "/" + std::string(200, 'd');
        ASSERT_TRUE(QDir().mkdir(QString::fromStdString(deep)));
    }
    save(deep += "/" + std::string(2000 - deep.size() - 1, 'f'));
    EXPECT_EQ(readFile(deep, 5), "Data,");
    withFileSizeLimit(100, [&] { save("full.csv"); });
    EXPECT_EQ(popupTexts(), "File Write Error|Error writing file");
    EXPECT_EQ(histogramCount, 100);
}

} // namespace
