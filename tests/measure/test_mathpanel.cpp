// SPDX-License-Identifier: GPL-3.0-or-later
// The math panel against the simulated module: what it shows on got focus,
// what each change sends, and how refusals are reported.
#include "measuretest.h"

namespace
{

// The module's own math settings: on, offset, scale.
const std::tuple<int, double, double> module{1, 2.5, 4.0};

class MathPanel : public MainPanelTest
{
  protected:
    void SetUp() override
    {
        MainPanelTest::SetUp();
        snprintf(resourceName, sizeof resourceName, "PXI5::12::INSTR");
        // The module's own math settings, different from the panel's defaults.
        accepted({kq3917e_mathCalculation(instrSession, 0, 2.5, 0, 4.0, 1)});
        ASSERT_EQ(press(MAIN_MATH), 0);
        uitest::CallPanelCallback(mathPanel, EVENT_GOT_FOCUS);
        drvtest::ClearCalls();
    }
    // LED, offset and scale as the panel shows them.
    static std::tuple<int, double, double> shown()
    {
        return {shownOn<int>(mathPanel, MATH_ENABLE_LED), shownOn(mathPanel, MATH_VALUE1),
                shownOn(mathPanel, MATH_VALUE2)};
    }
};

TEST_F(MathPanel, GotFocusShowsTheModuleAndCloseDiscardsThePanel)
{
    EXPECT_EQ(shown(), module);
    char title[256] = "";
    GetPanelAttribute(mathPanel, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "ZORa 3917 Universal Counter Timer [PXI5::12::INSTR]");
    // A failed query keeps the panel and is not reported.
    SetCtrlVal(mathPanel, MATH_VALUE1, 6.0);
    drvtest::Refuse("kq3917e_queryMathCalculation", refusedStatus);
    uitest::CallPanelCallback(mathPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(shown(), std::make_tuple(1, 6.0, 4.0));
    EXPECT_EQ(reports(), "");
    // Close discards the panel and calls nothing after the refused query.
    const int loaded = uitest::LoadedPanelCount();
    EXPECT_EQ(on(mathPanel, MATH_CLOSE), 0);
    EXPECT_EQ(std::make_tuple(mathPanel, uitest::LoadedPanelCount(), calls()),
              std::make_tuple(0, loaded - 1, "queryMathCalculation()"));
}

// Each change is one call with its flags; a refusal reports its action text
// and the panel reads back and shows what the module kept. Events: t toggles
// MATH, o and s change offset and scale.
TEST_F(MathPanel, EachChangeSendsTheValueWithItsFlag)
{
    const int controls[] = {MATH_ENABLE, MATH_VALUE1, MATH_VALUE2};
    const std::string m = "mathCalculation", q = " queryMathCalculation()", enable = "setting math enable",
                      value = "setting math offset";
    const struct {
        const char *events;
        int led;
        double value1, value2; // typed before the events
        bool refused;
        std::string calls;
        std::tuple<int, double, double> after;
        std::string reports;
    } cases[] = {
        // on and off again, the values kept by the module; a value sent with the LED's state
        {"tt", 0, 1, 2, false, m + "(1,0,1,0,1) " + m + "(1,0,1,0,0)", {0, 1, 2}, ""},
        {"t", 1, 1, 2, false, m + "(1,0,1,0,0)", {0, 1, 2}, ""},
        {"s", 0, 1, 7.5, false, m + "(1,0,0,7.5,0)", {0, 1, 7.5}, ""},
        {"o", 1, -3.125, 2, false, m + "(0,-3.125,1,0,1)", {1, -3.125, 2}, ""},
        {"o", 0, 0.5, 2, false, m + "(0,0.5,1,0,0)", {0, 0.5, 2}, ""},
        {"s", 1, 1, -2, false, m + "(1,0,0,-2,1)", {1, 1, -2}, ""},
        // refused: the module's state is read back, and each press starts from it
        {"tt", 0, 1, 2, true, m + "(1,0,1,0,1)" + q + " " + m + "(1,0,1,0,0)" + q, module,
         enable + "|" + enable},
        {"o", 1, -3.125, 2, true, m + "(0,-3.125,1,0,1)" + q, module, value},
        {"s", 0, 1, 7.5, true, m + "(1,0,0,7.5,0)" + q, module, value},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.calls);
        drvtest::ClearRefusals();
        accepted({kq3917e_mathCalculation(instrSession, 0, 2.5, 0, 4.0, 1)});
        drvtest::ClearCalls();
        uitest::ClearPopups();
        if (c.refused)
            drvtest::Refuse("kq3917e_mathCalculation", refusedStatus);
        SetCtrlVal(mathPanel, MATH_ENABLE_LED, c.led);
        SetCtrlVal(mathPanel, MATH_VALUE1, c.value1);
        SetCtrlVal(mathPanel, MATH_VALUE2, c.value2);
        for (const char *e = c.events; *e; e++)
            on(mathPanel, controls[std::string("tos").find(*e)],
               *e == 't' ? EVENT_COMMIT : EVENT_VAL_CHANGED);
        EXPECT_EQ(std::make_tuple(calls(), shown(), reports()), std::make_tuple(c.calls, c.after, c.reports));
    }
}

// A button whose panel cannot be loaded says why instead of doing nothing.
TEST_F(MainPanelTest, AButtonWhosePanelCannotBeLoadedSaysWhy)
{
    const std::string gone = ::testing::TempDir() + "gone.uir";
    setenv("UCT_SFP_RESOURCE_FILE", gone.c_str(), 1);
    for (int button : {MAIN_VERSION, MAIN_MATH, MAIN_HISTOGRAM, MAIN_STRIPCHART, MAIN_ABOUT}) {
        uitest::ClearPopups();
        EXPECT_EQ(press(button), -1) << button;
        EXPECT_EQ(popupTexts(), "Error loading panel|Error -2 returned from function LoadPanel(): " + gone +
                                    ": there is no such file")
            << button;
    }
    unsetenv("UCT_SFP_RESOURCE_FILE");
}

} // namespace
