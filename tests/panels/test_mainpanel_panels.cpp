// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the system, math and histogram panels once their callbacks exist:
// stand-ins take the names that the resource file binds.
#include "mainpaneltest.h"

#include <QWidget>

namespace
{

int ignoreControl(int, int, int, void *, int, int)
{
    return 0;
}

int ignorePanel(int, int, void *, int, int)
{
    return 0;
}

class SecondaryPanels : public MainPanelHandlerTest
{
  protected:
    static void SetUpTestSuite()
    {
        MainPanelHandlerTest::SetUpTestSuite();
        for (const char *name : {"setConfigSysEvent", "configMathEvent", "histogramEvent"}) {
            RegisterCtrlCallback(name, ignoreControl);
        }
        for (const char *name : {"configSysInit", "mathInit"}) {
            RegisterPanelCallback(name, ignorePanel);
        }
    }
};

// A second press of the math or histogram button leaves the open panel alone.
struct OnceCase {
    const char *name;
    int control;
    int *handle;
};

class OpenOnce : public SecondaryPanels, public ::testing::WithParamInterface<OnceCase>
{
};

TEST_P(OpenOnce, SecondPressDoesNothing)
{
    const OnceCase &c = GetParam();
    int loaded = uitest::LoadedPanelCount();
    ASSERT_EQ(press(c.control), 0);
    int first = *c.handle;
    EXPECT_GT(first, 0);
    drvtest::ClearCalls();
    EXPECT_EQ(press(c.control), 0);
    EXPECT_EQ(*c.handle, first);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);
    EXPECT_TRUE(drvtest::Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Panels, OpenOnce,
                         ::testing::Values(OnceCase{"Math", MAIN_MATH, &mathPanel},
                                           OnceCase{"Histogram", MAIN_HISTOGRAM, &histogramPanel}),
                         [](const ::testing::TestParamInfo<OnceCase> &info) { return info.param.name; });

TEST_F(SecondaryPanels, SystemPanelIsShownAgainNotReloaded)
{
    int loaded = uitest::LoadedPanelCount();
    ASSERT_EQ(press(MAIN_SYSTEM), 0);
    int first = configSysPanel;
    HidePanel(first);
    EXPECT_EQ(press(MAIN_SYSTEM), 0);
    EXPECT_EQ(configSysPanel, first);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded + 1);
    EXPECT_TRUE(uitest::PanelWidget(first)->isVisible());
}

TEST_F(SecondaryPanels, HistogramTakesItsSizeAndStopsContinuous)
{
    continuousMode = 1;
    markRunButtons(1);
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    int samples = 0;
    GetCtrlVal(histogramPanel, HISTO_SAMPLES, &samples);
    EXPECT_EQ(histogramSize, samples);
    // Opening must not start an acquisition by itself.
    EXPECT_GE(histogramCount, histogramSize);
    EXPECT_EQ(histogramCount, 100);
    EXPECT_EQ(continuousMode, 0);
    EXPECT_EQ(mainAttribute(MAIN_SINGLE, ATTR_ACTIVE_MARK), 1);
    EXPECT_EQ(mainAttribute(MAIN_CONTINUOUS, ATTR_ACTIVE_MARK), 0);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_triggerContinuous", "0"}}));
}

TEST_F(SecondaryPanels, HistogramWithoutContinuousSendsNothing)
{
    ASSERT_EQ(press(MAIN_HISTOGRAM), 0);
    EXPECT_TRUE(drvtest::Calls().empty());
}

} // namespace
