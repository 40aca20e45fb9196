// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the system, math and histogram panels once their callbacks exist:
// stand-ins take the names that the resource file binds.
#include "mainpaneltest.h"

#include <QWidget>

namespace
{

class SecondaryPanels : public MainPanelTest
{
  protected:
    static void SetUpTestSuite()
    {
        MainPanelTest::SetUpTestSuite();
        for (const char *name : {"setConfigSysEvent", "configMathEvent", "histogramEvent"}) {
            RegisterCtrlCallback(name, [](int, int, int, void *, int, int) { return 0; });
        }
        for (const char *name : {"configSysInit", "mathInit"}) {
            RegisterPanelCallback(name, [](int, int, void *, int, int) { return 0; });
        }
    }
};

// A second press leaves the open math, histogram or strip chart panel alone
// and shows the hidden system panel again; none is loaded twice.
TEST_F(SecondaryPanels, SecondPressesLoadNothing)
{
    for (auto [control, handle] :
         {std::pair{MAIN_SYSTEM, &configSysPanel}, std::pair{MAIN_MATH, &mathPanel},
          std::pair{MAIN_HISTOGRAM, &histogramPanel}, std::pair{MAIN_STRIPCHART, &stripChartPanel}}) {
        int loaded = uitest::LoadedPanelCount();
        drvtest::ClearCalls();
        ASSERT_EQ(press(control), 0);
        int first = *handle;
        HidePanel(first);
        EXPECT_EQ(press(control), 0);
        EXPECT_EQ(*handle, first);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);
        EXPECT_EQ(calls(), "");
        EXPECT_EQ(uitest::PanelWidget(first)->isVisible(), control == MAIN_SYSTEM) << control;
    }
}

// Opening takes the size from the panel, starts no acquisition, and stops
// continuous measurement.
TEST_F(SecondaryPanels, HistogramTakesItsSizeAndStopsContinuous)
{
    continuousMode = 1;
    markRunButtons(1);
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    int samples = 0;
    GetCtrlVal(histogramPanel, HISTO_SAMPLES, &samples);
    EXPECT_EQ(histogramSize, samples);
    EXPECT_EQ(histogramCount, 100);
    EXPECT_EQ(continuousMode, 0);
    EXPECT_EQ(val<int>(MAIN_SINGLE, ATTR_ACTIVE_MARK), 1);
    EXPECT_EQ(calls(), "triggerContinuous(0)");
}

} // namespace
