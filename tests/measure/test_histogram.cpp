// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram panel over the simulated module: acquisition tick by tick,
// statistics and graph, the state of Start and Save Data, and the export
// against golden text.
#include "../panels/mainpaneltest.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <numeric>
#include <qcustomplot.h>

namespace
{

const int statistics[] = {HISTO_MIN, HISTO_MAX, HISTO_MEAN, HISTO_STDDEV, HISTO_MODE};

class Histogram : public FileTest
{
  protected:
    void SetUp() override
    {
        FileTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        resetHistogramRecord();
        ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
        ASSERT_GT(histogramPanel, 0);
    }

    static int histo(int control, int event = EVENT_COMMIT)
    {
        return uitest::CallCtrlCallback(histogramPanel, control, event);
    }
    static double shown(int control)
    {
        double value = 0;
        GetCtrlVal(histogramPanel, control, &value);
        return value;
    }
    static int dimmed(int control)
    {
        int value = -1;
        GetCtrlAttribute(histogramPanel, control, ATTR_DIMMED, &value);
        return value;
    }
    static void start(int samples)
    {
        SetCtrlVal(histogramPanel, HISTO_SAMPLES, samples);
        histo(HISTO_START);
    }
    static QCustomPlot *graph()
    {
        return qobject_cast<QCustomPlot *>(uitest::ControlWidget(histogramPanel, HISTO_GRAPH));
    }
    static QCPBars *bars()
    {
        QCustomPlot *plot = graph();
        return plot && plot->plottableCount() == 1 ? qobject_cast<QCPBars *>(plot->plottable(0)) : nullptr;
    }
    void save(const std::string &name)
    {
        uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, path(name));
        EXPECT_EQ(histo(HISTO_SAVE), 0);
    }
};

// Acquisitions of `samples`, `ticks` ticks after Start, in continuous mode:
// the histogram takes the ticks with single reads and never fetches.
struct AcquisitionCase {
    int samples, ticks;
    int count;       // samples taken
    bool statistics; // indicators show the statistics of the samples
    bool complete;   // Start and Save Data undimmed
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
    start(c.samples);
    EXPECT_EQ(dimmed(HISTO_START) + dimmed(HISTO_SAVE), 2);
    kq3917e_triggerContinuous(instrSession, 1);
    continuousMode = 1;
    drvtest::ClearCalls();

    mainTicks(c.ticks);

    std::string reads;
    for (int i = 0; i < c.count; i++) {
        reads += i ? " read()" : "read()";
    }
    EXPECT_EQ(calls(), reads);
    EXPECT_EQ(histogramCount, c.count);
    EXPECT_EQ(int(shown(HISTO_COUNT)), c.count);
    EXPECT_EQ(text(MAIN_READING), "untouched");
    EXPECT_EQ(dimmed(HISTO_START) + dimmed(HISTO_SAVE), c.complete ? 0 : 2);
    const double *first = histogramSamples, *last = histogramSamples + c.count;
    const auto [low, high] = std::minmax_element(first, last);
    EXPECT_EQ(lastReading, *(last - 1));
    if (!c.statistics) {
        for (int control : statistics) {
            double none = 0; // Start cleared the earlier values
            EXPECT_EQ(GetCtrlVal(histogramPanel, control, &none), UIE_INVALID_VALUE);
        }
        EXPECT_EQ(bars(), nullptr);
        return;
    }
    const double mean = std::accumulate(first, last, 0.0) / c.count;
    double squares = 0;
    std::for_each(first, last, [&](double x) { squares += (x - mean) * (x - mean); });
    const double deviation = std::sqrt(squares / c.count);
    EXPECT_EQ(shown(HISTO_MIN), *low);
    EXPECT_EQ(shown(HISTO_MAX), *high);
    EXPECT_NEAR(shown(HISTO_MEAN), mean, 1e-9 * std::abs(mean));
    EXPECT_NEAR(shown(HISTO_STDDEV), deviation, 1e-6 * deviation);
    EXPECT_GE(shown(HISTO_MODE), *low);
    EXPECT_LE(shown(HISTO_MODE), *high);
    // Ten red bars over [min, max], y up to the size, holding every sample.
    QCPBars *plot = bars();
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->data()->size(), HISTOGRAM_INTERVALS);
    double held = 0;
    for (const QCPBarsData &bar : *plot->data()) {
        held += bar.value;
    }
    EXPECT_EQ(held, c.count);
    EXPECT_EQ(plot->brush().color().rgb() & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(graph()->xAxis->range(), QCPRange(*low, *high));
    EXPECT_EQ(graph()->yAxis->range(), QCPRange(0, c.samples));
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, Acquisition,
    ::testing::Values(AcquisitionCase{1, 1, 1, false, true}, AcquisitionCase{1, 3, 1, false, true},
                      AcquisitionCase{5, 1, 1, false, false}, AcquisitionCase{5, 2, 2, true, false},
                      AcquisitionCase{5, 8, 5, true, true}, AcquisitionCase{1000, 1000, 1000, true, true}));

// A second Start clears the indicators until its second sample and keeps the
// graph until two different samples; equal samples still give their
// statistics.
TEST_F(Histogram, SecondStartKeepsTheOldGraphUntilItHasData)
{
    start(5);
    mainTicks(5);
    const QCPRange oldRange = graph()->xAxis->range();
    QCPBars *oldBars = bars();
    ASSERT_NE(oldBars, nullptr);

    // Readings scaled by 0 through the module's math: every sample is 0.
    accepted({kq3917e_mathCalculation(instrSession, 0, 0.0, 0, 0.0, 1)});
    start(3);
    mainTicks();
    EXPECT_EQ(histogramCount, 1);
    double none = 0;
    EXPECT_EQ(GetCtrlVal(histogramPanel, HISTO_MEAN, &none), UIE_INVALID_VALUE);
    mainTicks();
    for (int control : statistics) {
        EXPECT_EQ(shown(control), 0.0);
    }
    mainTicks(5);
    EXPECT_EQ(histogramCount, 3);
    EXPECT_EQ(dimmed(HISTO_SAVE), 0);
    EXPECT_EQ(bars(), oldBars);
    EXPECT_EQ(graph()->xAxis->range(), oldRange);
}

// Closing stops the acquisition at once; reopening counts 100 taken, so the
// panel opens idle with its default size of 100.
TEST_F(Histogram, ClosingStopsAndReopeningIsIdle)
{
    start(10);
    mainTicks(2);
    histo(HISTO_CLOSE);
    EXPECT_EQ(histogramPanel, 0);
    drvtest::ClearCalls();
    mainTicks(3);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(histogramCount, 2);
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    EXPECT_EQ(histogramCount, 100);
    mainTicks(3);
    EXPECT_EQ(calls(), "");
    // Only commits act; a value change of the size starts nothing.
    for (int control : {HISTO_START, HISTO_SAVE, HISTO_CLOSE, HISTO_SAMPLES}) {
        EXPECT_EQ(histo(control, EVENT_VAL_CHANGED), 0);
    }
    EXPECT_EQ(histo(HISTO_SAMPLES), 0);
    EXPECT_EQ(histogramCount, 100);
    EXPECT_TRUE(uitest::FileDialogs().empty());
    EXPECT_GT(histogramPanel, 0);
}

// The indicators show any magnitude in engineering notation and hold the
// value unrounded for the export.
TEST_F(Histogram, IndicatorsShowAndHoldEveryMagnitude)
{
    const std::pair<double, const char *> cases[] = {{1e-15, "1.000000000E-15"},
                                                     {1.2345678912e-15, "1.234567891E-15"},
                                                     {2999999999.123456, "2.999999999E+09"},
                                                     {100000.0001, "100.0000001E+03"},
                                                     {-0.00025, "-250.0000000E-06"},
                                                     {0.0, "0.000000000E+00"},
                                                     {999.99999999999, "1.000000000E+03"},
                                                     {12.5e-3, "12.50000000E-03"}};
    auto *box = qobject_cast<QDoubleSpinBox *>(uitest::ControlWidget(histogramPanel, HISTO_STDDEV));
    ASSERT_NE(box, nullptr);
    for (const auto &[value, text] : cases) {
        SetCtrlVal(histogramPanel, HISTO_STDDEV, value);
        EXPECT_EQ(box->text().toStdString(), text);
        EXPECT_EQ(shown(HISTO_STDDEV), value);
    }
}

// ---- export

// Samples i * 0.25 - 1.5 and statistics that differ from any sample.
void fillRecord(int count)
{
    for (int i = 0; i < count; i++) {
        histogramSamples[i] = i * 0.25 - 1.5;
    }
    histogramCount = count;
    const double stats[] = {-1.5, 3e9, 2999999999.123456, 1.2345678912345678e-15, -0.00025};
    for (int i = 0; i < 5; i++) {
        SetCtrlVal(histogramPanel, statistics[i], stats[i]);
    }
}

const std::string header = "Data,Min,Mean,Max,StdDev,Mode\n";
const std::string golden1 = header + "-1.500000000000e+00,-1.500000000000e+00,2.999999999123e+09,"
                                     "3.000000000000e+09,1.234567891235e-15,-2.500000000000e-04\n";
const std::string golden5 = golden1 + "-1.250000000000e+00\n-1.000000000000e+00\n"
                                      "-7.500000000000e-01\n-5.000000000000e-01\n";

struct ExportCase {
    const char *name;
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
        if (file.empty()) {
            uitest::ScriptFileDialog(VAL_NO_FILE_SELECTED, "");
            EXPECT_EQ(histo(HISTO_SAVE), 0);
        } else {
            save(file);
        }
    }
    EXPECT_EQ(readFile(path("data.csv")), c.expected);
    std::string popups = popupTexts(); // the scratch folder's path left out
    for (size_t at; (at = popups.find(dir.path().toStdString() + "/")) != std::string::npos;)
        popups.erase(at, size_t(dir.path().size()) + 1);
    EXPECT_EQ(popups, c.popups);
    ASSERT_EQ(uitest::FileDialogs().size(), c.files.size());
    const uitest::FileDialogRecord &d = uitest::FileDialogs()[0];
    EXPECT_EQ(std::tie(d.defaultDirectory, d.defaultFileSpec, d.title, d.buttonLabel, d.allowMakeDirectory),
              std::make_tuple("", "*.csv", "Save Data", int(VAL_SAVE_BUTTON), 1));
    EXPECT_EQ(histogramCount, c.count); // the samples stay for another try
}

INSTANTIATE_TEST_SUITE_P(
    Files, Export,
    ::testing::Values(
        ExportCase{"one", 1, {"data.csv"}, golden1, ""}, ExportCase{"five", 5, {"data.csv"}, golden5, ""},
        ExportCase{"twice", 5, {"data.csv", "data.csv"}, golden5 + golden5, ""},
        ExportCase{"cancelled", 5, {""}, "<missing>", ""},
        ExportCase{"unopenable",
                   5,
                   {"missing/data.csv"},
                   "<missing>",
                   "File Open Error|Error opening file\nmissing/data.csv: its folder does not exist"},
        // A device is refused; the next save writes the whole block.
        ExportCase{"device",
                   5,
                   {"/dev/full", "data.csv"},
                   golden5,
                   "File Open Error|Error opening file\n/dev/full: a device, not a regular file"}),
    [](const ::testing::TestParamInfo<ExportCase> &info) { return info.param.name; });

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

// Before any Start the panel's 100 samples are saved, whatever the buffer
// holds, with the statistics shown; after a smaller second run only its own.
TEST_F(Histogram, SaveWritesTheSamplesOfTheLastRun)
{
    save("first.csv");
    std::string zeros = header + "0.000000000000e+00";
    for (int i = 1; i < 6; i++) {
        zeros += ",0.000000000000e+00";
    }
    for (int i = 1; i < 100; i++) {
        zeros += "\n0.000000000000e+00";
    }
    EXPECT_EQ(readFile(path("first.csv")), zeros + "\n");
    start(6);
    mainTicks(6);
    start(2);
    mainTicks(4);
    save("second.csv");
    const std::string file = readFile(path("second.csv"));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 3);
    char first[40];
    snprintf(first, sizeof first, "%12.12e,", histogramSamples[0]);
    EXPECT_EQ(file.substr(header.size(), strlen(first)), first);
}

// The whole path through the real toolkit: real clicks, the main panel's
// real timer, the real graph and the real file dialog.
TEST_F(Histogram, RealTimerTicksAndRealFileDialog)
{
    uitest::Deactivate();
    DisplayPanel(mainPanel);
    SetCtrlVal(histogramPanel, HISTO_SAMPLES, 50);
    QTest::mouseClick(uitest::ControlWidget(histogramPanel, HISTO_START), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([] { return histogramCount == 50; }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([] { return dimmed(HISTO_SAVE) == 0; }, 1000));
    ASSERT_NE(bars(), nullptr);
    EXPECT_EQ(bars()->data()->size(), HISTOGRAM_INTERVALS);

    // Enter the file name in the dialog as soon as it is up: set rather than
    // typed, as typing opens the completer's popup, which takes the Return.
    const QString file = QString::fromStdString(path("real.csv"));
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (auto *name = dialog ? dialog->findChild<QLineEdit *>("fileNameEdit") : nullptr) {
            typist.stop();
            name->setText(file);
            QTest::keyClick(name, Qt::Key_Return);
        }
    });
    typist.start(20);
    QTest::mouseClick(uitest::ControlWidget(histogramPanel, HISTO_SAVE), Qt::LeftButton);
    const std::string written = readFile(path("real.csv"));
    EXPECT_EQ(written.substr(0, header.size()), header);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 51);
    char line[40];
    snprintf(line, sizeof line, "\n%12.12e\n", histogramSamples[49]);
    EXPECT_EQ(written.substr(written.size() - strlen(line)), line);
}

} // namespace
