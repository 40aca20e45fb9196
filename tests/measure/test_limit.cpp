// SPDX-License-Identifier: GPL-3.0-or-later
// The limit test: verdicts at and beyond the limits, the counts, readings
// that the module did not give, and the function change that ends the test.
#include "../panels/mainpaneltest.h"

namespace
{

class LimitTest : public MainPanelTest
{
  protected:
    void SetUp() override
    {
        MainPanelTest::SetUp();
        resetLimitTest();
        ASSERT_EQ(press(MAIN_LIMIT), 0);
        ASSERT_GT(limitPanel, 0);
    }
    void TearDown() override
    {
        if (limitPanel > 0) {
            DiscardPanel(limitPanel);
        }
        MainPanelTest::TearDown();
    }
    // Types a limit as the user would commit it.
    void setLimit(int control, double value)
    {
        SetCtrlVal(limitPanel, control, value);
        uitest::CallCtrlCallback(limitPanel, control, EVENT_COMMIT);
    }
    void toggle(int on)
    {
        SetCtrlVal(limitPanel, LIMIT_ENABLE, on);
        uitest::CallCtrlCallback(limitPanel, LIMIT_ENABLE, EVENT_COMMIT);
    }
    std::string counts()
    {
        int tested = 0, passes = 0, fails = 0;
        GetCtrlVal(limitPanel, LIMIT_READINGS, &tested);
        GetCtrlVal(limitPanel, LIMIT_PASSES, &passes);
        GetCtrlVal(limitPanel, LIMIT_FAILS, &fails);
        return std::to_string(tested) + "/" + std::to_string(passes) + "/" + std::to_string(fails);
    }
};

TEST_F(LimitTest, EachReadingPassesOrFailsAboveOrBelow)
{
    const struct {
        double lower, upper, value;
        const char *verdict, *counts;
    } cases[] = {
        {9.0, 11.0, 10.0, "PASS", "1/1/0"},         {9.0, 11.0, 11.0, "PASS", "2/2/0"},
        {9.0, 11.0, 9.0, "PASS", "3/3/0"},          {9.0, 11.0, 11.000001, "FAIL HIGH", "4/3/1"},
        {9.0, 11.0, 8.999999, "FAIL LOW", "5/3/2"}, {-2e-6, -1e-6, -3e-6, "FAIL LOW", "6/3/3"},
        {11.0, 9.0, 10.0, "FAIL HIGH", "7/3/4"}, // crossed limits pass nothing
    };
    toggle(1);
    for (const auto &c : cases) {
        setLimit(LIMIT_LOWER, c.lower);
        setLimit(LIMIT_UPPER, c.upper);
        testReadingLimits(c.value);
        EXPECT_EQ(text(MAIN_LIMIT_ANNUNCIATOR) + " " + counts(), std::string(c.verdict) + " " + c.counts)
            << c.value;
    }
    uitest::CallCtrlCallback(limitPanel, LIMIT_RESET, EVENT_COMMIT);
    EXPECT_EQ(counts(), "0/0/0");
    toggle(0);
    testReadingLimits(100.0);
    EXPECT_EQ(text(MAIN_LIMIT_ANNUNCIATOR) + counts(), "0/0/0") << "off: nothing judged or counted";
}

// Through the timer: a reading the module gave is judged; one it did not
// give is neither counted nor left with the last verdict.
TEST_F(LimitTest, ReadingsOfTheTimerAndNoReading)
{
    setLimit(LIMIT_LOWER, -1e12);
    setLimit(LIMIT_UPPER, 1e12);
    toggle(1);
    press(MAIN_SINGLE);
    mainTicks();
    EXPECT_EQ(text(MAIN_LIMIT_ANNUNCIATOR) + " " + counts(), "PASS 1/1/0");
    drvtest::Refuse("kq3917e_read", refusedStatus);
    press(MAIN_SINGLE);
    mainTicks();
    EXPECT_EQ(text(MAIN_LIMIT_ANNUNCIATOR) + " " + counts(), " 1/1/0");
}

TEST_F(LimitTest, AFunctionChangeSwitchesTheTestOffAndTheUnitFollows)
{
    char unit[16] = "";
    GetCtrlVal(limitPanel, LIMIT_UPPER_UNIT, unit);
    EXPECT_STREQ(unit, "Hz");
    toggle(1);
    testReadingLimits(0.0);
    press(MAIN_FN_05, EVENT_LEFT_CLICK); // a function in seconds
    int on = 1;
    GetCtrlVal(limitPanel, LIMIT_ENABLE, &on);
    GetCtrlVal(limitPanel, LIMIT_LOWER_UNIT, unit);
    EXPECT_EQ(std::make_tuple(on, text(MAIN_LIMIT_ANNUNCIATOR), std::string(unit)),
              std::make_tuple(0, "", "sec"));
}

} // namespace
