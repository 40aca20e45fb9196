// SPDX-License-Identifier: GPL-3.0-or-later
// A failed measurement never looks like one: dashes and the reason on the
// main display, the calibration that holds the module named.
#include "mainpaneltest.h"
#include "maintenance.h"

static std::string display()
{
    return text(MAIN_READING) + "|" + text(MAIN_ANNUNCIATOR);
}

// A reading of the 100 kHz signal and no annunciator.
static bool goodReading()
{
    const std::string shown = display();
    return shown.find("E+03  |") != std::string::npos && shown.back() == '|' && shown[0] != '-';
}

// A good reading, then one that fails (refused with status, or level 4 V on
// the 3 V signal when status is 0): dashes as wide as "0.0000000E+00  " and
// the reason, until the next good reading. While a calibration holds the
// module, the display says so and the single reading waits.
TEST_F(MainPanelTest, FailedReadingsShowDashesAndWhy)
{
    // Single or Continuous; nothing refused (0), a timeout (T) or a refusal (R).
    for (const char *c :
         {"S0 NO TRIGGER", "ST NO RESPONSE", "SR NO READING", "C0 NO TRIGGER", "CT NO RESPONSE"}) {
        const int control = c[0] == 'S' ? MAIN_SINGLE : MAIN_CONTINUOUS;
        const ViStatus status = c[1] == 'T' ? VI_ERROR_TMO : c[1] == 'R' ? refusedStatus : 0;
        press(control);
        mainTicks();
        ASSERT_TRUE(goodReading()) << display();
        drvtest::Refuse(status == 0 ? "" : control == MAIN_SINGLE ? "kq3917e_read" : "kq3917e_fetch", status);
        accepted({kq3917e_confInputTriggering(0, 1, 0, status ? 0.0 : 4.0, 0)});
        press(control == MAIN_SINGLE ? control : MAIN_ABORT);
        mainTicks();
        EXPECT_EQ(display() + std::to_string(continuousMode), "-------------  |" + std::string(c + 3) + "0");
        drvtest::ClearRefusals();
        accepted({kq3917e_confInputTriggering(0, 1, 0, 0.0, 0)});
    }
    press(MAIN_SINGLE);
    for (int held : {1, 0}) {
        calibrationMode[0] = held;
        mainTicks();
        EXPECT_EQ(text(MAIN_ANNUNCIATOR) + std::to_string(singleReadingPending), held ? "CALIBRATING1" : "0");
    }
    EXPECT_TRUE(goodReading()) << display();
    EXPECT_EQ(uitest::Popups().size(), 0u);
}
