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
        for (const char *name : {"setConfigSysEvent", "configMathEvent", "histogramEvent"})
            RegisterCtrlCallback(name, [](int, int, int, void *, int, int) { return 0; });
        for (const char *name : {"configSysInit", "mathInit"})
            RegisterPanelCallback(name, [](int, int, void *, int, int) { return 0; });
    }
};

// Opened during continuous measurement: the histogram alone stops it, takes
// its size from the panel and starts no acquisition. A second press leaves
// the open panel alone and shows the hidden system panel again; none is
// loaded twice.
TEST_F(SecondaryPanels, FirstPressesOpenSecondPressesLoadNothing)
{
    for (auto [control, handle] :
         {std::pair{MAIN_SYSTEM, &configSysPanel}, std::pair{MAIN_MATH, &mathPanel},
          std::pair{MAIN_HISTOGRAM, &histogramPanel}, std::pair{MAIN_STRIPCHART, &stripChartPanel}}) {
        const int loaded = uitest::LoadedPanelCount(), histogram = control == MAIN_HISTOGRAM;
        continuousMode = 1;
        markRunButtons(1);
        drvtest::ClearCalls();
        ASSERT_EQ(press(control), 0);
        EXPECT_EQ(calls() + runMarks(), histogram ? "triggerContinuous(0)01" : "10") << control;
        const int first = *handle;
        HidePanel(first);
        drvtest::ClearCalls();
        EXPECT_EQ(press(control), 0);
        EXPECT_EQ(calls(), "");
        EXPECT_EQ(*handle, first);
        EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);
        EXPECT_EQ(uitest::PanelWidget(first)->isVisible(), control == MAIN_SYSTEM) << control;
    }
    int samples = 0;
    GetCtrlVal(histogramPanel, HISTO_SAMPLES, &samples);
    EXPECT_EQ(std::to_string(histogramSize - samples) + "/" + std::to_string(histogramCount), "0/100");
}

} // namespace
