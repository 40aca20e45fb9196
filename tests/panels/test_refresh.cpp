// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel refresh: which query feeds which indicator, what a refused
// query leaves alone, the dimming and units by function.
#include "mainpaneltest.h"

#include <algorithm>

// The LEDs that the eighteen input setting queries write, in groups.
const std::vector<int> inputLeds = controls(
    MAIN_IN1_ATT_X1_LED, MAIN_IN1_ATT_X10_LED, MAIN_IN2_ATT_X1_LED, MAIN_IN2_ATT_X10_LED, gap,
    MAIN_CHANNEL_COUPLING_LED, gap, MAIN_IN1_COUPLING_LED, MAIN_IN1_IMPEDANCE_LED, MAIN_IN1_FILTER_LED, gap,
    MAIN_IN2_COUPLING_LED, MAIN_IN2_IMPEDANCE_LED, MAIN_IN2_FILTER_LED, gap, MAIN_IN1_TRIG_MODE1_LED,
    MAIN_IN1_TRIG_MODE2_LED, MAIN_IN1_TRIG_MODE3_LED, MAIN_IN1_AUTO_LED, gap, MAIN_IN2_TRIG_MODE1_LED,
    MAIN_IN2_TRIG_MODE2_LED, MAIN_IN2_TRIG_MODE3_LED, MAIN_IN2_AUTO_LED, gap, MAIN_AVERAGING_LED, gap,
    MAIN_AUTO_FREQ0_LED, MAIN_AUTO_FREQ1_LED, gap, MAIN_IN1_SLOPE_LED, MAIN_IN2_SLOPE_LED, gap,
    MAIN_IN1_HYST_LED, MAIN_IN2_HYST_LED, MAIN_ARM_HYST_LED, gap, MAIN_ARM_MODE0_LED, MAIN_ARM_MODE1_LED, gap,
    MAIN_DELAY_LED, gap, MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED);
const std::string allLit = "1111 1 111 111 1111 1111 1 11 11 111 11 1 111";

// The LEDs after a refresh from all lit, and what it reported.
static std::string refreshedLeds(ViStatus status = refusedStatus)
{
    setLeds(inputLeds, allLit);
    refreshMainPanel();
    return leds(inputLeds) + "|" + reports(status);
}

TEST_F(MainPanelTest, InputSettingsShowTheModulesAnswers)
{
    EXPECT_EQ(refreshedLeds(), "1010 1 100 100 1000 1000 0 10 11 111 10 0 100|");
    accepted({kq3917e_confInputConditioning(0, 2, 1, 1, 1, 0), kq3917e_confInputTriggering(0, 1, 2, 100.0, 1),
              kq3917e_confAutoTrigMode(0, 1, 2), kq3917e_confAutoTrigMode(0, 2, 3),
              kq3917e_confMeasRes(0, 8, 1), kq3917e_confMinAutoTrigFreq(0, 1),
              kq3917e_confInputSlopes(0, 1, 0), kq3917e_confInputHysteresis(0, 2, 1),
              kq3917e_confExtArmHysteresis(0, 1), kq3917e_confArming(0, 2, 3, 4),
              kq3917e_confArmingLevel(0, -2.5), kq3917e_confExtArmMode(0, 1), kq3917e_confDelay(0, 1, 0.001),
              kq3917e_outputGate(0, 3), kq3917e_confStandard(0, 2)});
    // A warning is reported, and the value shown.
    drvtest::Refuse("kq3917e_queryStandard", 0x3FFC0101);
    EXPECT_EQ(refreshedLeds(0x3FFC0101),
              "0110 0 100 011 0101 0011 1 01 01 100 01 1 001|reading reference standard setting");
    std::string values;
    for (int control : controls(MAIN_START_ARM_SOURCE, MAIN_STOP_ARM_SOURCE, MAIN_EXT_ARM_SOURCE,
                                MAIN_EXT_ARM_LEVEL, MAIN_DELAY, MAIN_GATE_OUTPUT))
        values += QString::number(val(control)).toStdString() + " ";
    // Input 2's range is input 1's (code 2) while the inputs are common.
    EXPECT_EQ(values + QString::number(val(MAIN_TRIG_LEVEL_2, ATTR_MAX_VALUE)).toStdString(),
              "2 3 4 -2.5 0.001 3 204");
}

// A module that answers nothing: one report per query in order, and no
// control, text or range changes.
TEST_F(MainPanelTest, SilentModuleReportsEveryQueryAndChangesNothing)
{
    SetCtrlVal(mainPanel, MAIN_READING, "kept");
    SetCtrlVal(mainPanel, MAIN_UNITS, "kept");
    SetCtrlVal(mainPanel, MAIN_RESOLUTION, 11);
    auto shown = [] {
        std::string all = text(MAIN_READING) + text(MAIN_UNITS);
        for (int control :
             controls(MAIN_FN_00, MAIN_RESOLUTION, MAIN_APERTURE, MAIN_TRIG_LEVEL_1, MAIN_TRIG_LEVEL_2,
                      MAIN_START_ARM_SOURCE, MAIN_EXT_ARM_LEVEL, MAIN_DELAY, MAIN_GATE_OUTPUT))
            all += " " + QString::number(val(control)).toStdString();
        return all + " " + QString::number(val(MAIN_TRIG_LEVEL_1, ATTR_MAX_VALUE)).toStdString();
    };
    const std::string before = shown();
    drvtest::RefuseAll(refusedStatus);
    // One report per query, in order, from the function to the standard.
    const std::string texts = refreshedLeds();
    EXPECT_EQ(texts.substr(0, allLit.size() + 25) + texts.substr(texts.rfind('|')) +
                  std::to_string(std::count(texts.begin(), texts.end(), '|')),
              allLit + "|reading function setting|reading reference standard setting23");
    EXPECT_EQ(shown(), before);
}

TEST_F(MainPanelTest, MainRefreshFollowsAFunctionChange)
{
    kq3917e_confMeasurement(0, 5);
    kq3917e_confMeasRes(0, 9, 0); // aperture 1000 with it
    SetCtrlVal(mainPanel, MAIN_FN_00, 1);
    const std::string first = "queryMeasurement() queryMeasRes() queryAperture() queryInputTriggering(1) "
                              "queryInputTriggering(2) queryInputTriggering(1)";
    // A new function zeroes the reading, the same keeps it. The record keeps
    // the resolution that the reading display uses (8).
    for (const char *shown : {"5 01 0.0000000E+00  |sec 9/1000/8", "5 01 kept|sec 9/1000/8"}) {
        SetCtrlVal(mainPanel, MAIN_READING, "kept");
        drvtest::ClearCalls();
        refreshMainPanel();
        EXPECT_EQ(calls().substr(0, first.size()) + drvtest::Calls().back().name,
                  first + "kq3917e_queryStandard");
        EXPECT_EQ(std::to_string(settings.function) + " " + leds({MAIN_FN_00, MAIN_FN_05}) + " " +
                      text(MAIN_READING) + "|" + text(MAIN_UNITS) + " " +
                      std::to_string(int(val(MAIN_RESOLUTION))) + "/" +
                      std::to_string(int(val(MAIN_APERTURE))) + "/" + std::to_string(settings.resolution),
                  shown);
    }
}

// Per function: the unit (unknown codes keep the last one), then
// which of the totalize and the input controls are dimmed, from all dimmed
// and from none.
TEST_F(MainPanelTest, FunctionDecidesUnitAndDimming)
{
    const std::vector<int> dimmable = controls(
        MAIN_GATE, MAIN_GATE_LED, MAIN_CLEAR_COUNTS, MAIN_DELAY_BUTTON, MAIN_DELAY, MAIN_CHANNEL_COUPLING,
        MAIN_IN1_ATTEN, MAIN_IN1_TRIG_MODE, MAIN_IN2_ATTEN, MAIN_IN2_TRIG_MODE, MAIN_SLOPE);
    const std::pair<int16_t, const char *> cases[] = {
        {0, "Hz 11111000110"},   {1, "Hz 11111011000"},   {2, "sec 11111000110"},  {3, "sec 11111011000"},
        {4, "sec 11100000000"},  {5, "sec 11100000000"},  {6, " 11111000000"},     {7, " 11111000000"},
        {8, " 00011000000"},     {9, " 00011000000"},     {10, " 11111000000"},    {11, "Hz 11111000000"},
        {12, "deg 11111000000"}, {13, "deg 11111000000"}, {14, "sec 11111111111"}, {17, "sec 11111111111"},
        {18, "v 11111111000"},   {19, "v 11111100110"},   {22, "v 11111111000"},   {23, "v 11111100110"},
        {24, "% 11111111111"},   {25, "? 11111000000"},   {-1, "? 11111000000"},   {32767, "? 11111000000"}};
    for (auto [function, shown] : cases)
        for (const char *from : {"00000000000", "11111111111"}) {
            SetCtrlVal(mainPanel, MAIN_UNITS, "?");
            setLeds(dimmable, from, ATTR_DIMMED);
            showFunctionUnits(settings.function = function);
            refreshInputSettings();
            EXPECT_EQ(text(MAIN_UNITS) + " " + leds(dimmable, ATTR_DIMMED), shown) << function << " " << from;
        }
}
