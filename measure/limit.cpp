// SPDX-License-Identifier: GPL-3.0-or-later
// The limit test: each reading of the main display against an upper and a
// lower limit in the function's unit, its verdict on the main display and
// the counts since their last reset. The test goes on while its panel is
// closed; a change of function switches it off, since the limits belong to
// the old unit.
#include "measure.h"

#include "app.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

int limitPanel = 0;

static double upperLimit = 0.0, lowerLimit = 0.0;
static int limitTestOn = 0;
static int32_t testedCount = 0, passCount = 0, failCount = 0;

#define UNIT_TEXT_SIZE 16

static void showCounts(void)
{
    if (limitPanel == 0) {
        return;
    }
    SetCtrlVal(limitPanel, LIMIT_READINGS, testedCount);
    SetCtrlVal(limitPanel, LIMIT_PASSES, passCount);
    SetCtrlVal(limitPanel, LIMIT_FAILS, failCount);
}

// The limits are in the unit the main display shows beside the reading.
static void showLimitUnits(void)
{
    if (limitPanel == 0) {
        return;
    }
    char unit[UNIT_TEXT_SIZE] = "";
    GetCtrlVal(mainPanel, MAIN_UNITS, unit);
    SetCtrlVal(limitPanel, LIMIT_UPPER_UNIT, unit);
    SetCtrlVal(limitPanel, LIMIT_LOWER_UNIT, unit);
}

void showLimitVerdict(enum LimitVerdict verdict)
{
    static const char *const texts[] = {"", "PASS", "FAIL HIGH", "FAIL LOW"};
    SetCtrlVal(mainPanel, MAIN_LIMIT_ANNUNCIATOR, texts[verdict]);
}

enum LimitVerdict limitVerdict(double value, double lower, double upper)
{
    if (value > upper) {
        return LIMIT_FAIL_HIGH;
    }
    return value < lower ? LIMIT_FAIL_LOW : LIMIT_PASS;
}

void testReadingLimits(double value)
{
    if (!limitTestOn) {
        return;
    }
    const enum LimitVerdict verdict = limitVerdict(value, lowerLimit, upperLimit);
    testedCount++;
    if (verdict == LIMIT_PASS) {
        passCount++;
    } else {
        failCount++;
    }
    showLimitVerdict(verdict);
    showCounts();
}

static void setLimitTest(int on)
{
    limitTestOn = on;
    if (limitPanel != 0) {
        SetCtrlVal(limitPanel, LIMIT_ENABLE, on);
    }
    if (!on) {
        showLimitVerdict(LIMIT_NONE);
    }
}

void limitFunctionChanged(void)
{
    setLimitTest(0);
    showLimitUnits();
}

int openLimitPanel(void)
{
    if (limitPanel != 0) {
        DisplayPanel(limitPanel);
        return 0;
    }
    int panel = LoadPanel(0, RESOURCE_FILE, LIMIT);
    if (panel < 0) {
        return -1;
    }
    limitPanel = panel;
    SetCtrlVal(limitPanel, LIMIT_UPPER, upperLimit);
    SetCtrlVal(limitPanel, LIMIT_LOWER, lowerLimit);
    SetCtrlVal(limitPanel, LIMIT_ENABLE, limitTestOn);
    showLimitUnits();
    showCounts();
    DisplayPanel(limitPanel);
    return 0;
}

int limitEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_COMMIT) {
        return 0;
    }
    switch (control) {
    case LIMIT_UPPER:
        GetCtrlVal(panel, LIMIT_UPPER, &upperLimit);
        break;
    case LIMIT_LOWER:
        GetCtrlVal(panel, LIMIT_LOWER, &lowerLimit);
        break;
    case LIMIT_ENABLE: {
        int on = 0;
        GetCtrlVal(panel, LIMIT_ENABLE, &on);
        setLimitTest(on);
        break;
    }
    case LIMIT_RESET:
        testedCount = passCount = failCount = 0;
        showCounts();
        break;
    case LIMIT_CLOSE:
        DiscardPanel(panel);
        limitPanel = 0;
        break;
    default:
        break;
    }
    return 0;
}

void resetLimitTest(void)
{
    upperLimit = lowerLimit = 0.0;
    limitTestOn = 0;
    testedCount = passCount = failCount = 0;
    limitPanel = 0;
}
