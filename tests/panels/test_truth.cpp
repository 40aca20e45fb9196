// SPDX-License-Identifier: GPL-3.0-or-later
// A failed measurement never looks like one: dashes and the reason on the
// main display, no histogram sample, the calibration that holds the module
// named; and the MATH annunciator in step with the module's math.
#include "mainpaneltest.h"
#include "maintenance.h"

#include <cmath>

namespace
{

std::string display()
{
    return text(MAIN_READING) + "|" + text(MAIN_ANNUNCIATOR);
}

// A reading of the 100 kHz signal and no annunciator.
bool goodReading()
{
    const std::string shown = display();
    return shown.find("E+03  |") != std::string::npos && shown.back() == '|' && shown[0] != '-';
}

// A good reading, then one that fails (refused with status, or level 4 V on
// the 3 V signal when status is 0): dashes as wide as "0.0000000E+00  " and
// the reason, until the next good reading. While a calibration holds the
// module, the display says so and the single reading waits.
TEST_F(MainPanelTest, FailedReadingsShowDashesAndWhy)
{
    const std::tuple<int, ViStatus, const char *> cases[] = {{MAIN_SINGLE, 0, "NO TRIGGER"},
                                                             {MAIN_SINGLE, VI_ERROR_TMO, "NO RESPONSE"},
                                                             {MAIN_SINGLE, refusedStatus, "NO READING"},
                                                             {MAIN_CONTINUOUS, 0, "NO TRIGGER"},
                                                             {MAIN_CONTINUOUS, VI_ERROR_TMO, "NO RESPONSE"}};
    for (auto [control, status, shown] : cases) {
        press(control);
        mainTicks();
        ASSERT_TRUE(goodReading()) << display();
        drvtest::Refuse(status == 0 ? "" : control == MAIN_SINGLE ? "kq3917e_read" : "kq3917e_fetch", status);
        accepted({kq3917e_confInputTriggering(0, 1, 0, status ? 0.0 : 4.0, 0)});
        press(control == MAIN_SINGLE ? control : MAIN_ABORT);
        mainTicks();
        EXPECT_EQ(display() + std::to_string(continuousMode), std::string("-------------  |") + shown + "0");
        drvtest::ClearRefusals();
        accepted({kq3917e_confInputTriggering(0, 1, 0, 0.0, 0)});
    }
    press(MAIN_SINGLE);
    for (int held : {1, 0}) {
        calibrationMode[0] = held;
        mainTicks();
        EXPECT_EQ(text(MAIN_ANNUNCIATOR) + std::to_string(singleReadingPending), held ? "CALIBRATING1" : "0");
    }
    EXPECT_TRUE(goodReading()) << display();
    EXPECT_EQ(uitest::Popups().size(), 0u);
}

// A failed read is no sample: the tick retries, HISTO_FAILED counts.
TEST_F(MainPanelTest, FailedHistogramReadsTakeNoSample)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    SetCtrlVal(histogramPanel, HISTO_SAMPLES, 2);
    uitest::CallCtrlCallback(histogramPanel, HISTO_START, EVENT_COMMIT);
    auto counts = [] {
        int taken = 0, failed = 0;
        GetCtrlVal(histogramPanel, HISTO_COUNT, &taken);
        GetCtrlVal(histogramPanel, HISTO_FAILED, &failed);
        return std::to_string(taken) + "/" + std::to_string(failed);
    };
    lastReading = 12345.0;
    drvtest::Refuse("kq3917e_read", VI_ERROR_TMO);
    mainTicks(3);
    EXPECT_EQ(counts(), "0/3");
    drvtest::ClearRefusals();
    mainTicks(3);
    EXPECT_EQ(counts() + std::to_string(std::lround(histogramSamples[0] / 10)), "2/310000");
    uitest::CallCtrlCallback(histogramPanel, HISTO_START, EVENT_COMMIT);
    EXPECT_EQ(counts().substr(counts().find('/')), "/0");
}

} // namespace
