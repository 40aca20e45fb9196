// SPDX-License-Identifier: GPL-3.0-or-later
// Nothing goes to the module before the user has agreed to replace its
// firmware with the named file. Without a session the first register write
// fails, which shows that the transfer began.
#include "maintenancetest.h"

TEST_F(MaintenanceTest, FirmwareIsSentOnlyAfterTheConfirmation)
{
    demoMode = 0;
    instrSession = 0;
    SetCtrlVal(mainPanel, MAIN_SLOT, "5");
    const std::string path = imageFile("confirm.bin", 3000);
    const std::string confirmation =
        "Firmware Update: Replace the firmware of the module in slot 5?\n\nFile: " + path +
        "\nSize: 3000 bytes, 3 blocks of 1024 bytes\n\nThe module's firmware will "
        "be replaced by this image.";
    for (auto [answer, after] :
         {std::pair{0, ""}, std::pair{1, "|Firmware Update: Error writing data to UCT"}}) {
        uitest::ClearPopups();
        uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, path);
        uitest::ScriptPopupAnswers({answer});
        EXPECT_EQ(uitest::CallCtrlCallback(configSysPanel, CONFIGSYS_FIRMWARE, EVENT_COMMIT), 0);
        EXPECT_EQ(popups(), confirmation + after);
        EXPECT_EQ(uitest::Popups().front().kind, "confirm");
    }
}
