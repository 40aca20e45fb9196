// SPDX-License-Identifier: GPL-3.0-or-later
// Run control: these handlers only set the module's triggering and the
// flags that the measurement timer reads; the timer takes the readings.
#include "app.h"
#include "handlers.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

// The flags are set whatever the module says: a failed start shows up as a
// failed fetch, which ends continuous mode.
void startContinuous(void)
{
    continuousMode = 1;
    checkError(kq3917e_triggerContinuous(instrSession, 1), "setting continuous mode");
    markRunButtons(1);
}

void requestSingleReading(void)
{
    continuousMode = 0;
    checkError(kq3917e_triggerContinuous(instrSession, 0), "setting continuous off");
    showZeroReading();
    singleReadingPending = 1;
    markRunButtons(0);
}

// Continuous mode carries on: the next fetch starts a new measurement.
void abortMeasurement(void)
{
    checkError(kq3917e_abortMeasurement(instrSession), "aborting measurement");
    showZeroReading();
}

void clearCounts(void)
{
    checkError(kq3917e_clearAccCount(instrSession, 1), "clearing input 1 count");
    checkError(kq3917e_clearAccCount(instrSession, 2), "clearing input 2 count");
    showZeroReading();
}
