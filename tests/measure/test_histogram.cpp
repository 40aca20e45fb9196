// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram panel over the simulated module: acquisition tick by tick,
// statistics and graph of each run's own samples, the state of Start and Save
// Data, and the export against golden text.
#include "measuretest.h"

#include <QLineEdit>

#include <clocale>
#include <cmath>
#include <limits>
#include <numeric>
#include <sstream>

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
    static int dimmed(int control)
    {
        int value = -1;
        GetCtrlAttribute(histogramPanel, control, ATTR_DIMMED, &value);
        return value;
    }
    static bool shown(int control)
    {
        double value = 0;
        return GetCtrlVal(histogramPanel, control, &value) == 0;
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

// Acquisitions of `samples`, `ticks` ticks after Start, in continuous mode:
// the histogram takes the ticks with single reads and never fetches.
struct AcquisitionCase {
    int samples, ticks;
    int count;     // samples taken
    bool complete; // Start and Save Data undimmed
};

class Acquisition : public Histogram, public ::testing::WithParamInterface<AcquisitionCase>
{
};

TEST_P(Acquisition, TakesOneSamplePerTickUpToTheSize)
{
    const AcquisitionCase &c = GetParam();
    for (int control : statistics) {
        SetCtrlVal(histogramPanel, control, -7.0);
    }
    SetCtrlVal(mainPanel, MAIN_READING, "untouched");
    runHistogram(c.samples, 0);
    EXPECT_EQ(dimmed(HISTO_START) + dimmed(HISTO_SAVE), 2);
    accepted({kq3917e_triggerContinuous(instrSession, 1)});
    continuousMode = 1;
    drvtest::ClearCalls();

    mainTicks(c.ticks);

    std::string reads = "read()";
    for (int i = 1; i < c.count; i++) {
        reads += " read()";
    }
    EXPECT_EQ(calls(), reads);
    EXPECT_EQ(histogramCount, c.count);
    EXPECT_EQ(shownOn<int>(histogramPanel, HISTO_COUNT), c.count);
    EXPECT_EQ(text(MAIN_READING), "untouched");
    EXPECT_EQ(dimmed(HISTO_START) + dimmed(HISTO_SAVE), c.complete ? 0 : 2);
    const double *first = histogramSamples, *last = histogramSamples + c.count;
    EXPECT_EQ(lastReading, *(last - 1));
    for (int control : statistics) {
        EXPECT_EQ(shown(control), c.count > 1) << "Start cleared the earlier values";
    }
    if (c.count == 1) {
        EXPECT_EQ(bars(), nullptr);
        return;
    }
    const auto [low, high] = std::minmax_element(first, last);
    const double mean = std::accumulate(first, last, 0.0) / c.count;
    const double deviation =
        std::sqrt(std::accumulate(first, last, 0.0,
                                  [&](double sum, double x) { return sum + (x - mean) * (x - mean); }) /
                  c.count);
    EXPECT_EQ(shownOn(histogramPanel, HISTO_MIN), *low);
    EXPECT_EQ(shownOn(histogramPanel, HISTO_MAX), *high);
    EXPECT_NEAR(shownOn(histogramPanel, HISTO_MEAN), mean, 1e-9 * std::abs(mean));
    EXPECT_NEAR(shownOn(histogramPanel, HISTO_STDDEV), deviation, 1e-6 * deviation);
    EXPECT_GE(shownOn(histogramPanel, HISTO_MODE), *low);
    EXPECT_LE(shownOn(histogramPanel, HISTO_MODE), *high);
    // Ten red bars over [min, max], y up to the size, holding every sample.
    ASSERT_NE(bars(), nullptr);
    EXPECT_EQ(bars()->data()->size(), HISTOGRAM_INTERVALS);
    double held = 0;
    for (const QCPBarsData &bar : *bars()->data()) {
        held += bar.value;
    }
    EXPECT_EQ(held, c.count);
    EXPECT_EQ(bars()->brush().color().rgb() & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(graph()->xAxis->range(), QCPRange(*low, *high));
    EXPECT_EQ(graph()->yAxis->range(), QCPRange(0, c.samples));
}

INSTANTIATE_TEST_SUITE_P(Ticks, Acquisition,
                         ::testing::Values(AcquisitionCase{1, 1, 1, true}, AcquisitionCase{1, 3, 1, true},
                                           AcquisitionCase{5, 1, 1, false}, AcquisitionCase{5, 2, 2, false},
                                           AcquisitionCase{5, 8, 5, true},
                                           AcquisitionCase{1000, 1000, 1000, true}));

// Equal samples give their statistics but keep the earlier run's graph.
TEST_F(Histogram, EqualSamplesKeepTheOldGraph)
{
    runHistogram(5, 5);
    const QCPRange oldRange = graph()->xAxis->range();
    QCPBars *oldBars = bars();
    ASSERT_NE(oldBars, nullptr);
    // Readings scaled by 0 through the module's math: every sample is 0.
    accepted({kq3917e_mathCalculation(instrSession, 0, 0.0, 0, 0.0, 1)});
    runHistogram(3, 5);
    for (int control : statistics) {
        EXPECT_EQ(shownOn(histogramPanel, control), 0.0);
    }
    EXPECT_EQ(dimmed(HISTO_SAVE), 0);
    EXPECT_EQ(bars(), oldBars);
    EXPECT_EQ(graph()->xAxis->range(), oldRange);
}

// A sample that is not finite: mean and deviation say so on the panel and in
// the file, never a number; there is no mode or bar over an infinite spread.
TEST_F(Histogram, StatisticsOfSamplesThatAreNotFiniteSaySo)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double planted;
        const char *mean, *mode, *saved; // saved: mean and deviation in the file
        int bars;
    } cases[] = {{std::nan(""), "NaN", nullptr, "nan nan", 1},
                 {inf, "+Inf", "NaN", "inf nan", 0},
                 {-inf, "-Inf", "NaN", "-inf nan", 0}};
    auto shownText = [](int control) {
        return uitest::ControlWidget(histogramPanel, control)->findChild<QLineEdit *>()->text().toStdString();
    };
    for (const auto &c : cases) {
        runHistogram(3, 1);
        histogramSamples[0] = c.planted;
        mainTicks(2);
        EXPECT_EQ(shownText(HISTO_MEAN), c.mean);
        EXPECT_EQ(shownText(HISTO_STDDEV), "NaN");
        if (c.mode != nullptr) {
            EXPECT_EQ(shownText(HISTO_MODE), c.mode);
        }
        EXPECT_EQ(graph()->plottableCount(), c.bars) << c.mean;
        save(std::string(c.mean) + ".csv");
        std::istringstream line(readFile(path(std::string(c.mean) + ".csv")).substr(header.size()));
        std::string fields[6];
        for (std::string &field : fields) {
            std::getline(line, field, ',');
        }
        EXPECT_EQ(fields[2] + " " + fields[4], c.saved);
    }
}

// Closing stops the acquisition at once; reopening counts 100 taken, so the
// panel opens idle with its default size of 100. Only commits act.
TEST_F(Histogram, ClosingStopsAndReopeningIsIdle)
{
    runHistogram(10, 2);
    on(histogramPanel, HISTO_CLOSE);
    EXPECT_EQ(histogramPanel, 0);
    drvtest::ClearCalls();
    mainTicks(3);
    EXPECT_EQ(histogramCount, 2);
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    EXPECT_EQ(histogramCount, 100);
    mainTicks(3);
    for (int control : {HISTO_START, HISTO_SAVE, HISTO_CLOSE, HISTO_SAMPLES}) {
        EXPECT_EQ(on(histogramPanel, control, EVENT_VAL_CHANGED), 0);
    }
    EXPECT_EQ(on(histogramPanel, HISTO_SAMPLES), 0);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(histogramCount, 100);
    EXPECT_TRUE(uitest::FileDialogs().empty());
    EXPECT_GT(histogramPanel, 0);
}

// ---- export

// Before any Start the panel's 100 samples are saved, whatever the buffer
// holds; after a shorter second run only its own samples, with the
// statistics shown or, before its second sample, empty fields.
TEST_F(Histogram, SaveWritesTheLastRunAsShown)
{
    save("first.csv");
    std::string zeros = header + "0.000000000000e+00";
    for (int i = 1; i < 105; i++) {
        zeros += (i < 6 ? "," : "\n") + std::string("0.000000000000e+00");
    }
    EXPECT_EQ(readFile(path("first.csv")), zeros + "\n");
    for (int samples : {1, 2, 3}) {
        runHistogram(5, 5);
        runHistogram(samples, samples);
        char field[40];
        snprintf(field, sizeof field, "%.12e", histogramSamples[0]);
        std::string expected = field;
        for (int control : statistics) {
            EXPECT_EQ(shown(control), samples > 1) << samples;
            snprintf(field, sizeof field, "%.12e", shownOn(histogramPanel, control));
            expected += "," + std::string(samples > 1 ? field : "");
        }
        save(std::to_string(samples) + ".csv");
        const std::string file = readFile(path(std::to_string(samples) + ".csv"));
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), samples + 1);
        EXPECT_EQ(file.substr(file.find('\n') + 1, expected.size() + 1), expected + "\n") << samples;
    }
}

// Samples i * 0.25 - 1.5 and statistics that differ from any sample.
void fillRecord(int count)
{
    for (int i = 0; i < count; i++) {
        histogramSamples[i] = i * 0.25 - 1.5;
    }
    histogramCount = count;
    const double shown[] = {-1.5, 2999999999.123456, 3e9, 1.2345678912345678e-15, -0.00025};
    for (int i = 0; i < 5; i++) {
        SetCtrlVal(histogramPanel, statistics[i], shown[i]);
    }
}

const std::string golden1 = header +
                            "-1.500000000000e+00,-1.500000000000e+00,"
                            "2.999999999123e+09,3.000000000000e+09,1.234567891235e-15,-2.500000000000e-04\n";
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

TEST_P(Export, AppendsOneBlockPerSave)
{
    const ExportCase &c = GetParam();
    fillRecord(c.count);
    for (const std::string &file : c.files) {
        save(file);
    }
    EXPECT_EQ(readFile(path("data.csv")), c.expected);
    EXPECT_EQ(popupTexts(), c.popups);
    ASSERT_EQ(uitest::FileDialogs().size(), c.files.size());
    const uitest::FileDialogRecord &d = uitest::FileDialogs()[0];
    EXPECT_EQ(std::tie(d.defaultDirectory, d.defaultFileSpec, d.title, d.buttonLabel, d.allowMakeDirectory),
              std::make_tuple("", "*.csv", "Save Data", int(VAL_SAVE_BUTTON), 1));
    EXPECT_EQ(histogramCount, c.count); // the samples stay for another try
}

const char *const deviceRefused =
    "File Open Error|Error opening file\n/dev/full: a device, not a regular file";

INSTANTIATE_TEST_SUITE_P(Files, Export,
                         ::testing::Values(ExportCase{1, {"data.csv"}, golden1, ""},
                                           ExportCase{5, {"data.csv"}, golden5, ""},
                                           ExportCase{5, {"data.csv", "data.csv"}, golden5 + golden5, ""},
                                           ExportCase{5, {""}, "<missing>", ""},
                                           // a device is refused; the next save writes the whole block
                                           ExportCase{5, {"/dev/full", "data.csv"}, golden5, deviceRefused}));

// A system locale with decimal commas changes nothing in the file.
TEST_F(Histogram, ExportIgnoresTheLocale)
{
    fillRecord(5);
    const std::string previous = setlocale(LC_ALL, nullptr);
    if (setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && setlocale(LC_ALL, "de_DE.utf8") == nullptr) {
        GTEST_SKIP() << "no German locale installed";
    }
    save("data.csv");
    setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(readFile(path("data.csv")), golden5);
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
    deep += "/" + std::string(2000 - deep.size() - 1, 'f');
    save(deep);
    EXPECT_EQ(readFile(deep, 5), "Data,");
    withFileSizeLimit(100, [&] { save("full.csv"); });
    EXPECT_EQ(popupTexts(), "File Write Error|Error writing file");
    EXPECT_EQ(histogramCount, 100);
}

} // namespace
