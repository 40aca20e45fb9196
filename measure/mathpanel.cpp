// SPDX-License-Identifier: GPL-3.0-or-later
// The math panel: shows the module's math calculation whenever it gets the
// focus and sends each change at once. The LED is the program's record of
// the on/off state; the panel keeps nothing else.
#include "measure.h"

#include "app.h"
#include "kq3917e.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

// Flags of kq3917e_mathCalculation: the value travels with this call, or the
// module keeps its own.
#define MATH_SET_VALUE 0
#define MATH_KEEP_VALUE 1

int mathInit(int panel, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_GOT_FOCUS) {
        return 0;
    }
    double value1 = 0.0, value2 = 0.0;
    ViUInt16 enable = 0;
    // A failed query defines none of its outputs: the panel then keeps what
    // it shows rather than invented values.
    if (kq3917e_queryMathCalculation(instrSession, &value1, &value2, &enable) >= 0) {
        SetCtrlVal(panel, MATH_ENABLE_LED, enable);
        SetCtrlVal(panel, MATH_VALUE1, value1);
        SetCtrlVal(panel, MATH_VALUE2, value2);
        showMathAnnunciator(enable != 0 ? MATH_SHOWN_ON : MATH_SHOWN_OFF);
    } else {
        showMathAnnunciator(MATH_SHOWN_UNKNOWN);
    }
    snprintf(sharedText, sizeof sharedText, "ZORa 3917 Universal Counter Timer [%s]", resourceName);
    SetPanelAttribute(panel, ATTR_TITLE, sharedText);
    return 0;
}

// Sends one math setting; the main display's MATH follows what the module
// accepted (a refused setting leaves the module, and MATH, as they were).
static void sendMath(ViInt32 flag1, double value1, ViInt32 flag2, double value2, ViUInt16 on,
                     const char *actionText)
{
    ViStatus status = kq3917e_mathCalculation(instrSession, flag1, value1, flag2, value2, on);
    checkError(status, actionText);
    if (status >= 0) {
        showMathAnnunciator(on != 0 ? MATH_SHOWN_ON : MATH_SHOWN_OFF);
    }
}

static ViUInt16 enableShown(void)
{
    int led = 0;
    GetCtrlVal(mathPanel, MATH_ENABLE_LED, &led);
    return (ViUInt16)(led & 0xFFFF);
}

int configMathEvent(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)
{
    (void)panel;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    double value = 0.0;
    if (event == EVENT_COMMIT && control == MATH_ENABLE) {
        const ViUInt16 on = enableShown() == 0 ? 1 : 0;
        SetCtrlVal(mathPanel, MATH_ENABLE_LED, on);
        sendMath(MATH_KEEP_VALUE, 0.0, MATH_KEEP_VALUE, 0.0, on, "setting math enable");
    } else if (event == EVENT_VAL_CHANGED && control == MATH_VALUE1) {
        const ViUInt16 on = enableShown();
        GetCtrlVal(mathPanel, MATH_VALUE1, &value);
        sendMath(MATH_SET_VALUE, value, MATH_KEEP_VALUE, 0.0, on, "setting math offset");
    } else if (event == EVENT_VAL_CHANGED && control == MATH_VALUE2) {
        const ViUInt16 on = enableShown();
        GetCtrlVal(mathPanel, MATH_VALUE2, &value);
        sendMath(MATH_KEEP_VALUE, 0.0, MATH_SET_VALUE, value, on, "setting math offset");
    } else if (event == EVENT_COMMIT && control == MATH_CLOSE) {
        DiscardPanel(mathPanel);
        mathPanel = 0;
    }
    return 0;
}
