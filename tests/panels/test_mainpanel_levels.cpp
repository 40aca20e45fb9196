// SPDX-License-Identifier: GPL-3.0-or-later
// Attenuation and channel coupling: codes, LEDs, level rescaling and the
// ranges of the level controls; aperture and resolution linked.
#include "mainpaneltest.h"

namespace
{

struct AttenuationCase {
    const char *name;
    int channel;
    int16_t attenuation;
    double level;
    uint16_t commonInput;
    double otherLevel; // the other input's level
    int16_t attenuationAfter;
    double levelAfter;
    double otherLevelAfter;
    double range;
    std::vector<int> x1x10After; // from both LEDs at 0
    std::string args;
};

class Attenuation : public MainPanelHandlerTest, public ::testing::WithParamInterface<AttenuationCase>
{
};

TEST_P(Attenuation, TogglesRescalesSendsAndSetsTheRange)
{
    const AttenuationCase &c = GetParam();
    bool one = c.channel == 1;
    int16_t &attenuation = one ? settings.in1Attenuation : settings.in2Attenuation;
    double &level = one ? settings.in1Level : settings.in2Level;
    double &otherLevel = one ? settings.in2Level : settings.in1Level;
    int levelControl = one ? MAIN_TRIG_LEVEL_1 : MAIN_TRIG_LEVEL_2;
    std::vector<int> leds = one ? std::vector<int>{MAIN_IN1_ATT_X1_LED, MAIN_IN1_ATT_X10_LED}
                                : std::vector<int>{MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED};
    // Both level controls wide open, so that the shown values are not clipped.
    setTriggerLevelRange(MAIN_TRIG_LEVEL_1, 2);
    setTriggerLevelRange(MAIN_TRIG_LEVEL_2, 2);
    setLeds(leds, {0, 0});
    const double untouched = 0.75;
    SetCtrlVal(mainPanel, levelControl, untouched);
    attenuation = c.attenuation;
    level = c.level;
    otherLevel = c.otherLevel;
    settings.commonInput = c.commonInput;

    press(one ? MAIN_IN1_ATTEN : MAIN_IN2_ATTEN);

    EXPECT_EQ(attenuation, c.attenuationAfter);
    EXPECT_DOUBLE_EQ(level, c.levelAfter);
    EXPECT_DOUBLE_EQ(otherLevel, c.otherLevelAfter);
    EXPECT_EQ(ledValues(leds), c.x1x10After);
    // The control is written only when the range narrows from x10 to x1.
    EXPECT_DOUBLE_EQ(mainDouble(levelControl), c.attenuation == 1 ? c.levelAfter : untouched);
    EXPECT_DOUBLE_EQ(mainDoubleAttribute(levelControl, ATTR_MAX_VALUE), c.range);
    EXPECT_DOUBLE_EQ(mainDoubleAttribute(levelControl, ATTR_MIN_VALUE), -c.range);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_confInputTriggering", c.args}}));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Attenuation,
    ::testing::Values(
        AttenuationCase{"X10ToX1Rescales", 1, 1, 30.0, 0, 40.0, 0, 3.0, 40.0, 5.1, {1, 0}, "1,0,3,0"},
        // Either sign: -30 V would lie outside the new ±5.1 V range.
        AttenuationCase{"NegativeLevelRescales", 1, 1, -30.0, 0, 0.0, 0, -3.0, 0.0, 5.1, {1, 0}, "1,0,-3,0"},
        AttenuationCase{"LevelAtTheLimitStays", 1, 1, 5.1, 0, 0.0, 0, 5.1, 0.0, 5.1, {1, 0}, "1,0,5.1,0"},
        AttenuationCase{"X1ToX10KeepsTheLevel", 1, 0, 2.0, 0, 0.0, 1, 2.0, 0.0, 51.0, {0, 1}, "1,1,2,0"},
        AttenuationCase{
            "Code2StaysAndResends", 1, 2, 150.0, 0, 0.0, 2, 150.0, 0.0, 204.0, {0, 0}, "1,2,150,0"},
        AttenuationCase{"Code2StaysOnInput2", 2, 2, 100.0, 0, 0.0, 2, 100.0, 0.0, 204.0, {0, 0}, "2,2,100,0"},
        // Common inputs: input 2's level follows input 1's range down.
        AttenuationCase{
            "CommonInputRescalesInput2", 1, 1, 30.0, 1, 40.0, 0, 3.0, 4.0, 5.1, {1, 0}, "1,0,3,1"},
        // Input 2's own toggle never touches input 1, common or not.
        AttenuationCase{"Input2Alone", 2, 1, 30.0, 1, 40.0, 0, 3.0, 40.0, 5.1, {1, 0}, "2,0,3,1"}),
    [](const ::testing::TestParamInfo<AttenuationCase> &info) { return info.param.name; });

TEST_F(MainPanelHandlerTest, CommonInputRescaleIsShownOnLevel2)
{
    setTriggerLevelRange(MAIN_TRIG_LEVEL_2, 2);
    settings.in1Attenuation = 1;
    settings.in1Level = 30.0;
    settings.in2Level = 40.0;
    settings.commonInput = 1;
    press(MAIN_IN1_ATTEN);
    EXPECT_DOUBLE_EQ(mainDouble(MAIN_TRIG_LEVEL_2), 4.0);
}

struct CouplingCase {
    const char *name;
    uint16_t commonBefore;
    int16_t in1Attenuation, in2Attenuation;
    double in2Level;
    double in2LevelAfter;
};

class ChannelCoupling : public MainPanelHandlerTest, public ::testing::WithParamInterface<CouplingCase>
{
};

TEST_P(ChannelCoupling, SendsInput1AndBringsInput2IntoItsRange)
{
    const CouplingCase &c = GetParam();
    setTriggerLevelRange(MAIN_TRIG_LEVEL_2, 2);
    SetCtrlVal(mainPanel, MAIN_TRIG_LEVEL_2, c.in2Level);
    settings.commonInput = c.commonBefore;
    settings.in1Attenuation = c.in1Attenuation;
    settings.in2Attenuation = c.in2Attenuation;
    settings.in1Level = 1.5;
    settings.in2Level = c.in2Level;

    press(MAIN_CHANNEL_COUPLING);

    uint16_t common = c.commonBefore ? 0 : 1;
    EXPECT_EQ(settings.commonInput, common);
    EXPECT_EQ(mainInt(MAIN_CHANNEL_COUPLING_LED), common ? 0 : 1);
    EXPECT_DOUBLE_EQ(settings.in2Level, c.in2LevelAfter);
    EXPECT_DOUBLE_EQ(mainDouble(MAIN_TRIG_LEVEL_2), c.in2LevelAfter);
    EXPECT_DOUBLE_EQ(mainDoubleAttribute(MAIN_TRIG_LEVEL_2, ATTR_MAX_VALUE), 204.0);
    std::string args = "1," + std::to_string(c.in1Attenuation) + ",1.5," + std::to_string(common);
    EXPECT_EQ(recordedCalls(), (std::vector<CallText>{{"kq3917e_confInputTriggering", args}}));
}

INSTANTIATE_TEST_SUITE_P(Examples, ChannelCoupling,
                         ::testing::Values(CouplingCase{"X1WithX40", 0, 0, 2, 100.0, 2.5},
                                           CouplingCase{"X10WithX40", 0, 1, 2, 51.0, 12.75},
                                           CouplingCase{"X1WithX10", 0, 0, 1, 30.0, 3.0},
                                           CouplingCase{"X1WithX40Small", 0, 0, 2, 3.0, 3.0},
                                           CouplingCase{"X10WithX40Below51", 0, 1, 2, 50.0, 50.0},
                                           CouplingCase{"NegativeLevel", 0, 0, 2, -100.0, -2.5},
                                           CouplingCase{"Input1NotLower", 0, 2, 1, 100.0, 100.0},
                                           CouplingCase{"BackToSeparate", 1, 0, 2, 100.0, 100.0}),
                         [](const ::testing::TestParamInfo<CouplingCase> &info) { return info.param.name; });

// --------------------------------------------------- aperture and resolution

struct LinkedCase {
    const char *name;
    int control; // the one the user changes
    int value;
    int linked;      // the one the module works out
    int linkedShown; // what the linked control shows before
    CallText configure;
    const char *query;
};

class LinkedTiming : public MainPanelHandlerTest, public ::testing::WithParamInterface<LinkedCase>
{
  protected:
    // The linked value as the module has it now.
    static int moduleValue(int linked)
    {
        if (linked == MAIN_RESOLUTION) {
            ViInt16 resolution = 0;
            ViUInt16 averaging = 0;
            kq3917e_queryMeasRes(instrSession, &resolution, &averaging);
            return resolution;
        }
        ViInt32 aperture = 0;
        kq3917e_queryAperture(instrSession, &aperture);
        return aperture;
    }
};

TEST_P(LinkedTiming, TheOtherShowsWhatTheModuleWorksOut)
{
    const LinkedCase &c = GetParam();
    SetCtrlVal(mainPanel, c.linked, c.linkedShown);
    SetCtrlVal(mainPanel, c.control, c.value);
    changeValue(c.control);
    std::vector<CallText> calls = recordedCalls();
    int expected = moduleValue(c.linked);
    ASSERT_NE(expected, c.linkedShown) << "the module's answer must differ from what the control showed";
    EXPECT_EQ(mainInt(c.linked), expected);
    EXPECT_EQ(c.linked == MAIN_RESOLUTION ? settings.resolution : settings.aperture, expected);
    EXPECT_EQ(c.linked == MAIN_RESOLUTION ? settings.aperture : settings.resolution, c.value);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], c.configure);
    EXPECT_EQ(calls[1].first, c.query);
}

INSTANTIATE_TEST_SUITE_P(Controls, LinkedTiming,
                         ::testing::Values(LinkedCase{"Aperture",
                                                      MAIN_APERTURE,
                                                      1000,
                                                      MAIN_RESOLUTION,
                                                      12,
                                                      {"kq3917e_confAperture", "1000"},
                                                      "kq3917e_queryMeasRes"},
                                           LinkedCase{"Resolution",
                                                      MAIN_RESOLUTION,
                                                      10,
                                                      MAIN_APERTURE,
                                                      1,
                                                      {"kq3917e_confMeasRes", "10,0"},
                                                      "kq3917e_queryAperture"}),
                         [](const ::testing::TestParamInfo<LinkedCase> &info) { return info.param.name; });

} // namespace
