// SPDX-License-Identifier: GPL-3.0-or-later
// Measurement function, aperture, resolution, averaging and frequency
// standard.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "maintables.h"
#include "userint.h"
#include <uctpanels.h>

int16_t functionAfterStep(int16_t function, int step)
{
    // A code outside the table (only a module could report one) steps to
    // the nearest end of the cycle.
    if (step > 0) {
        return (function < 0 || function >= FUNCTION_COUNT - 1) ? 0 : (int16_t)(function + 1);
    }
    return (function <= 0 || function > FUNCTION_COUNT - 1) ? (int16_t)(FUNCTION_COUNT - 1)
                                                            : (int16_t)(function - 1);
}

void changeFunction(int16_t newFunction)
{
    // The module must not be triggering while its function changes.
    kq3917e_triggerContinuous(instrSession, 0);
    checkError(kq3917e_confMeasurement(instrSession, newFunction), "setting function");
    if (continuousMode == 1) {
        kq3917e_triggerContinuous(instrSession, 1);
    }
    // The record keeps the old code: the refresh finds the change itself and
    // shows what the module reports, accepted or not.
    refreshMainPanel();
}

static void showModuleAperture(void)
{
    if (answered(kq3917e_queryAperture(instrSession, &settings.aperture), "reading aperture")) {
        SetCtrlVal(mainPanel, MAIN_APERTURE, settings.aperture);
    }
}

static void showModuleResolution(void)
{
    if (answered(kq3917e_queryMeasRes(instrSession, &settings.resolution, &settings.averaging),
                 "reading resolution")) {
        SetCtrlVal(mainPanel, MAIN_RESOLUTION, settings.resolution);
    }
}

// Aperture and resolution are two views of one measuring time: whichever the
// user sets, the module works out the other. A refused value is read back.
void setAperture(void)
{
    GetCtrlVal(mainPanel, MAIN_APERTURE, &settings.aperture);
    if (!answered(kq3917e_confAperture(instrSession, settings.aperture), "setting aperture")) {
        showModuleAperture();
    }
    showModuleResolution();
}

void setResolution(void)
{
    GetCtrlVal(mainPanel, MAIN_RESOLUTION, &settings.resolution);
    if (!answered(kq3917e_confMeasRes(instrSession, settings.resolution, settings.averaging),
                  "setting resolution")) {
        showModuleResolution();
    }
    showModuleAperture();
}

void toggleAveraging(void)
{
    settings.averaging = settings.averaging == 0 ? 1 : 0;
    SetCtrlVal(mainPanel, MAIN_AVERAGING_LED, settings.averaging);
    checkError(kq3917e_confMeasRes(instrSession, 0, settings.averaging), "setting averaging");
}

void stepStandard(void)
{
    static const int standardLeds[] = {MAIN_STANDARD0_LED, MAIN_STANDARD1_LED, MAIN_STANDARD2_LED};
    settings.standard = (int16_t)stepLitLed(standardLeds, 3, settings.standard);
    checkError(kq3917e_confStandard(instrSession, settings.standard), "setting frequency standard");
}
