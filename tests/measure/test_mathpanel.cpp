// SPDX-License-Identifier: GPL-3.0-or-later
// The math panel against the simulated module: what it shows on got focus,
// what each change sends, and how refusals are reported.
#include "../panels/mainpaneltest.h"

#include <algorithm>

namespace
{

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
        ASSERT_GT(mathPanel, 0);
        uitest::CallPanelCallback(mathPanel, EVENT_GOT_FOCUS);
        drvtest::ClearCalls();
    }
    static double shown(int control)
    {
        double value = 0;
        GetCtrlVal(mathPanel, control, &value);
        return value;
    }
    static int math(int control, int event) { return uitest::CallCtrlCallback(mathPanel, control, event); }
};

TEST_F(MathPanel, GotFocusShowsTheModule)
{
    EXPECT_EQ(shown(MATH_ENABLE_LED), 1);
    EXPECT_EQ(shown(MATH_VALUE1), 2.5);
    EXPECT_EQ(shown(MATH_VALUE2), 4.0);
    char title[256] = "";
    GetPanelAttribute(mathPanel, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "ZORa 3917 Universal Counter Timer [PXI5::12::INSTR]");
    // Other panel events read nothing.
    for (int event : {EVENT_CLOSE, EVENT_COMMIT, EVENT_NONE}) {
        uitest::CallPanelCallback(mathPanel, event);
    }
    EXPECT_EQ(calls(), "");
    // Values typed but changed in the module meanwhile: the next activation
    // shows the module.
    SetCtrlVal(mathPanel, MATH_VALUE1, 9.0);
    accepted({kq3917e_mathCalculation(instrSession, 0, -1.25, 1, 0.0, 0)});
    uitest::CallPanelCallback(mathPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(calls(), "mathCalculation(0,-1.25,1,0,0) queryMathCalculation()");
    EXPECT_EQ(shown(MATH_VALUE1), -1.25);
    EXPECT_EQ(shown(MATH_ENABLE_LED), 0);
}

// Each change is one call with its flags; a refusal reports its action text
// and the panel reads back and shows what the module kept.
struct ChangeCase {
    std::vector<std::pair<int, int>> events; // control, event
    int ledBefore;
    double value1, value2; // typed before the events
    std::string calls;
    int ledAfter;
};

const std::pair<int, int> toggle{MATH_ENABLE, EVENT_COMMIT}, offset{MATH_VALUE1, EVENT_VAL_CHANGED},
    scale{MATH_VALUE2, EVENT_VAL_CHANGED};

class MathChange : public MathPanel, public ::testing::WithParamInterface<ChangeCase>
{
};

TEST_P(MathChange, SendsTheValueWithItsFlag)
{
    const ChangeCase &c = GetParam();
    for (bool refused : {false, true}) {
        SetCtrlVal(mathPanel, MATH_ENABLE_LED, c.ledBefore);
        SetCtrlVal(mathPanel, MATH_VALUE1, c.value1);
        SetCtrlVal(mathPanel, MATH_VALUE2, c.value2);
        drvtest::ClearCalls();
        uitest::ClearPopups();
        if (refused) {
            drvtest::Refuse("kq3917e_mathCalculation", refusedStatus);
        }
        for (auto [control, event] : c.events) {
            EXPECT_EQ(math(control, event), 0);
        }
        // Refused, each press starts again from the module's state: the
        // first call again, each time followed by the read-back.
        std::string sent = c.calls;
        if (refused && !sent.empty()) {
            const std::string once = sent.substr(0, sent.find(')') + 1) + " queryMathCalculation()";
            sent = once;
            for (auto n = std::count(c.calls.begin(), c.calls.end(), '('); n > 1; n--) {
                sent += " " + once;
            }
        }
        EXPECT_EQ(calls(), sent);
        double kept1 = c.value1, kept2 = c.value2;
        ViUInt16 keptOn = ViUInt16(c.ledAfter);
        if (refused && !sent.empty()) {
            accepted({kq3917e_queryMathCalculation(instrSession, &kept1, &kept2, &keptOn)});
        }
        EXPECT_EQ(shown(MATH_ENABLE_LED), keptOn);
        EXPECT_EQ(shown(MATH_VALUE1), kept1);
        EXPECT_EQ(shown(MATH_VALUE2), kept2);
        const std::string action = c.events[0] == toggle ? "setting math enable" : "setting math offset";
        std::string expected;
        for (size_t at = c.calls.find('('); refused && at != std::string::npos;
             at = c.calls.find('(', at + 1)) {
            expected += (expected.empty() ? "" : "|") + action;
        }
        EXPECT_EQ(reports(), expected);
        drvtest::ClearRefusals();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Events, MathChange,
    ::testing::Values(
        // on and off again, the values kept by the module
        ChangeCase{{toggle, toggle}, 0, 1.0, 2.0, "mathCalculation(1,0,1,0,1) mathCalculation(1,0,1,0,0)", 0},
        ChangeCase{{toggle}, 1, 1.0, 2.0, "mathCalculation(1,0,1,0,0)", 0},
        // a value sent with the LED's state: off keeps the calculation off
        ChangeCase{{scale}, 0, 1.0, 7.5, "mathCalculation(1,0,0,7.5,0)", 0},
        ChangeCase{{offset}, 1, -3.125, 2.0, "mathCalculation(0,-3.125,1,0,1)", 1},
        ChangeCase{{offset}, 0, 0.5, 2.0, "mathCalculation(0,0.5,1,0,0)", 0},
        ChangeCase{{scale}, 1, 1.0, -2.0, "mathCalculation(1,0,0,-2,1)", 1},
        // events that act on nothing
        ChangeCase{{{MATH_VALUE1, EVENT_COMMIT},
                    {MATH_VALUE2, EVENT_COMMIT},
                    {MATH_ENABLE, EVENT_VAL_CHANGED},
                    {MATH_ENABLE_LED, EVENT_LEFT_CLICK},
                    {MATH_CLOSE, EVENT_VAL_CHANGED}},
                   1,
                   1.0,
                   2.0,
                   "",
                   1}));

TEST_F(MathPanel, CloseDiscardsAndReopeningShowsTheModule)
{
    SetCtrlVal(mathPanel, MATH_VALUE2, 11.0);
    const int loaded = uitest::LoadedPanelCount();
    EXPECT_EQ(math(MATH_CLOSE, EVENT_COMMIT), 0);
    EXPECT_EQ(mathPanel, 0);
    EXPECT_EQ(uitest::LoadedPanelCount(), loaded - 1);
    EXPECT_EQ(calls(), "");
    ASSERT_EQ(press(MAIN_MATH), 0);
    uitest::CallPanelCallback(mathPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(shown(MATH_VALUE2), 4.0);
}

// A failed query leaves the panel as it was, and is not reported.
TEST_F(MathPanel, FailedQueryKeepsThePanel)
{
    SetCtrlVal(mathPanel, MATH_VALUE1, 6.0);
    drvtest::Refuse("kq3917e_queryMathCalculation", refusedStatus);
    uitest::CallPanelCallback(mathPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(shown(MATH_VALUE1), 6.0);
    EXPECT_EQ(shown(MATH_ENABLE_LED), 1);
    EXPECT_EQ(reports(), "");
}

} // namespace
