// SPDX-License-Identifier: GPL-3.0-or-later
// The settings record, the run state and the panel handles, with their start
// values, and the binding of the main panel's callbacks.
#include "app.h"
#include "mainpanel.h"
#include "userint.h"
#include <uctpanels.h>

// What the module holds after power-on, until the first refresh reads it.
static constexpr CounterSettings startSettings = {
    .function = 0,
    .aperture = 100,
    .resolution = 8,
    .averaging = 0,
    .standard = 0,
    .commonInput = 0,
    .in1Coupling = 0,
    .in2Coupling = 0,
    .in1Impedance = 0,
    .in2Impedance = 0,
    .in1Filter = 0,
    .in2Filter = 0,
    .in1Attenuation = 0,
    .in2Attenuation = 0,
    .in1Level = 0.0,
    .in2Level = 0.0,
    .in1Slope = 0,
    .in2Slope = 0,
    .in1Hysteresis = 0,
    .in2Hysteresis = 0,
    .armHysteresis = 0,
    .in1TrigMode = 1,
    .in2TrigMode = 1,
    .minAutoTrigFreq = 0,
    .startArmSource = 0,
    .stopArmSource = 0,
    .extArmSource = 9,
    .extArmLevel = 1.6,
    .armMode = 0,
    .delayEnabled = 0,
    .delay = 0.000192,
    .gateSelector = 1,
    .gateOutput = 8,
};

CounterSettings settings = startSettings;

int32_t continuousMode = 0;
int32_t singleReadingPending = 0;
int32_t gateOpen = 0;
double lastReading = 0.0;
int32_t histogramCount = 0;
int32_t histogramSize = 0;

int configSysPanel = 0;
int versionPanel = 0;
int mathPanel = 0;
int histogramPanel = 0;
int stripChartPanel = 0;

void resetMainPanelState(void)
{
    settings = startSettings;
    continuousMode = 0;
    singleReadingPending = 0;
    gateOpen = 0;
    lastReading = 0.0;
    histogramCount = 0;
    histogramSize = 0;
    configSysPanel = 0;
    versionPanel = 0;
    mathPanel = 0;
    histogramPanel = 0;
    stripChartPanel = 0;
}

void markRunButtons(int continuousActive)
{
    SetCtrlAttribute(mainPanel, MAIN_CONTINUOUS, ATTR_ACTIVE_MARK, continuousActive ? 1 : 0);
    SetCtrlAttribute(mainPanel, MAIN_SINGLE, ATTR_ACTIVE_MARK, continuousActive ? 0 : 1);
}

void registerMainPanelCallbacks(void)
{
    RegisterCtrlCallback("setCtrMainEvent", setCtrMainEvent);
    RegisterPanelCallback("fticInit", fticInit);
    InstallBusyCallback(showBusyAnnunciator);
}
