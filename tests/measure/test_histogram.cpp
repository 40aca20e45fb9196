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
        double squares = 0, held = 0;
        for (const double *x = first; x < last; x++)
            squares += (*x - mean) * (*x - mean);
        const double deviation = std::sqrt(squares / c.count);
        EXPECT_NEAR(shownOn(histogramPanel, HISTO_MEAN), mean, 1e-9 * std::abs(mean));
        EXPECT_NEAR(shownOn(histogramPanel, HISTO_STDDEV), deviation, 1e-6 * deviation);
        // Ten red bars over [min, max], y up to the size, holding every sample.
        ASSERT_NE(bars(), nullptr);
        for (const QCPBarsData &bar : *bars()->data())
            held += bar.value;
        EXPECT_EQ(std::make_tuple(shownOn(histogramPanel, HISTO_MIN), shownOn(histogramPanel, HISTO_MAX),
                                  graph()->xAxis->range(), graph()->yAxis->range(), bars()->data()->size(),
                                  held, bars()->brush().color().rgb() & 0xFFFFFF),
                  std::make_tuple(*low, *high, QCPRange(*low, *high), QCPRange(0, c.samples),
                                  HISTOGRAM_INTERVALS, double(c.count), 0xFF0000u));
    }
    // Totalizing with the gate closed reads 0 each time, plus the offset:
    // equal samples have their value as the mode and keep the last run's bars.
    accepted(
        {kq3917e_confMeasurement(instrSession, 8), kq3917e_mathCalculation(instrSession, 0, 10, 1, 0, 1)});
    runHistogram(3, 3);
    EXPECT_EQ(std::make_pair(shownOn(histogramPanel, HISTO_MODE), bars() != nullptr),
              std::make_pair(10.0, true));
}

// Closing stops the acquisition at once; reopening counts 100 taken, so the
// panel opens idle with its default size of 100.
TEST_F(Histogram, ClosingStopsAndReopeningIsIdle)
{
    runHistogram(10, 2);
    on(histogramPanel, HISTO_CLOSE);
    mainTicks(3);
    EXPECT_EQ(histogramCount, 2);
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    drvtest::ClearCalls();
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

// One block per save, with decimal points under a locale with decimal
// commas; the samples stay for another try.
TEST_F(Histogram, ExportAppendsOneBlockPerSave)
{
    const char *const refused = "File Open Error|Error opening file\n/dev/full: a device, not a regular file";
    // Samples; files chosen in turn ("" cancels); data.csv afterwards; popups.
    const std::tuple<int, std::vector<std::string>, std::string, const char *> cases[] = {
        {1, {"data.csv"}, golden1, ""},
        {5, {"data.csv", "data.csv"}, golden5 + golden5, ""},
        {5, {""}, "<missing>", ""},
        {5, {"/dev/full", "data.csv"}, golden5, refused}, // the next save writes the whole block
    };
    const std::string previous = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "de_DE.utf8"); // where it is installed
    for (const auto &[count, files, expected, popups] : cases) {
        QFile::remove(QString::fromStdString(path("data.csv")));
        uitest::ClearPopups();
        fillRecord(count);
        for (const std::string &file : files)
            save(file);
        EXPECT_EQ(std::make_tuple(readFile(path("data.csv")), popupTexts(), histogramCount),
                  std::make_tuple(expected, popups, count));
    }
    setlocale(LC_ALL, previous.c_str());
}

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
