// SPDX-License-Identifier: GPL-3.0-or-later
// Every layer's callbacks bound by name, in one place: the program's entry
// and the check of the resource file's callback names share it.
#include "app.h"
#include "maintenance.h"

void registerProgramCallbacks(void)
{
    registerAppCallbacks();
    registerMainPanelCallbacks();
    registerMeasureCallbacks();
    registerMaintenanceCallbacks();
    registerCalibrationCallbacks();
}
