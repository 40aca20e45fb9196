// SPDX-License-Identifier: GPL-3.0-or-later
// The limit test: verdicts at and beyond the limits, the counts, readings
// that the module did not give, and the function change that ends the test.
#include "measuretest.h"

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
    }
    void TearDown() override
    {
        DiscardPanel(limitPanel);
        MainPanelTest::TearDown();
    }
    // The verdict on the main display, then readings/passes/fails.
    std::string shown()
    {
        std::string text = ::text(MAIN_LIMIT_ANNUNCIATOR);
        for (int control : {LIMIT_READINGS, LIMIT_PASSES, LIMIT_FAILS})
            text += " " + std::to_string(shownOn<int>(limitPanel, control));
        return text;
    }
};

TEST_F(LimitTest, EachReadingPassesOrFailsAboveOrBelow)
{
    const struct {
        double lower, upper, value;
        const char *shown;
    } cases[] = {
        {9.0, 11.0, 10.0, "PASS 1 1 0"},         {9.0, 11.0, 11.0, "PASS 2 2 0"},
        {9.0, 11.0, 9.0, "PASS 3 3 0"},          {9.0, 11.0, 11.000001, "FAIL HIGH 4 3 1"},
        {9.0, 11.0, 8.999999, "FAIL LOW 5 3 2"}, {-2e-6, -1e-6, -3e-6, "FAIL LOW 6 3 3"},
        {11.0, 9.0, 10.0, "FAIL HIGH 7 3 4"}, // crossed limits pass nothing
    };
    enter(limitPanel, LIMIT_ENABLE, 1);
    for (const auto &c : cases) {
        enter(limitPanel, LIMIT_LOWER, c.lower);
        enter(limitPanel, LIMIT_UPPER, c.upper);
        testReadingLimits(c.value);
        EXPECT_EQ(shown(), c.shown) << c.value;
    }
    press(MAIN_ABORT);
    EXPECT_EQ(shown(), " 7 3 4") << "the zero reading ABORT shows is not judged";
    on(limitPanel, LIMIT_RESET);
    enter(limitPanel, LIMIT_ENABLE, 0);
    testReadingLimits(100.0);
    EXPECT_EQ(shown(), " 0 0 0") << "reset, then off: nothing judged or counted";
}

// Through the timer: a reading the module gave is judged; one it did not
// give is neither counted nor left with the last verdict.
TEST_F(LimitTest, ReadingsOfTheTimerAndNoReading)
{
    enter(limitPanel, LIMIT_LOWER, -1e12);
    enter(limitPanel, LIMIT_UPPER, 1e12);
    enter(limitPanel, LIMIT_ENABLE, 1);
    press(MAIN_CONTINUOUS);
    for (const char *expected : {"PASS 1 1 0", " 1 1 0"}) {
        mainTicks();
        EXPECT_EQ(shown(), expected);
        drvtest::Refuse("kq3917e_fetch", refusedStatus);
    }
}

TEST_F(LimitTest, AFunctionChangeSwitchesTheTestOffAndTheUnitFollows)
{
    enter(limitPanel, LIMIT_ENABLE, 1);
    testReadingLimits(0.0);
    press(MAIN_FN_05, EVENT_LEFT_CLICK); // a function in seconds
    EXPECT_EQ(std::make_tuple(shownOn<int>(limitPanel, LIMIT_ENABLE), text(MAIN_LIMIT_ANNUNCIATOR),
                              textOn(limitPanel, LIMIT_LOWER_UNIT)),
              std::make_tuple(0, "", "sec"));
}

} // namespace
