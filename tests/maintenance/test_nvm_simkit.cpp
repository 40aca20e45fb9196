// SPDX-License-Identifier: GPL-3.0-or-later
// The module data panel on a module of the simulated PXI system, and the
// menu items that store calibration and module data on both panels.
#include "caltest.h"

#include <QLineEdit>

namespace
{

const std::pair<int, ViInt16> fields[] = {{NVM_DATA_1, 1}, {NVM_DATA_2, 2}, {NVM_DATA_3, 3}, {NVM_DATA_5, 5},
                                          {NVM_DATA_6, 6}, {NVM_DATA_7, 7}, {NVM_DATA_8, 8}};

std::string moduleText(ViInt16 item)
{
    char buffer[KQ3917E_MODULE_DATA_SIZE] = "";
    kq3917e_queryModuleData(instrSession, item, buffer);
    return buffer;
}

QLineEdit *field(int control)
{
    return qobject_cast<QLineEdit *>(uitest::ControlWidget(nvmPanel, control));
}

TEST_F(CalibrationTest, FocusShowsTheModulesTextsInOrder)
{
    const char *const queries = "queryModuleData(5) queryModuleData(6) queryModuleData(7) queryModuleData(8) "
                                "queryModuleData(2) queryModuleData(1) queryModuleData(3)";
    // demonstration mode, refused query, texts from the module
    for (auto [demo, refused, sent, fromModule] : {std::tuple{0, "", queries, true},
                                                   {1, "", "", false},
                                                   {0, "kq3917e_queryModuleData", queries, false}}) {
        std::string expected;
        for (auto [control, item] : fields) {
            kq3917e_confModuleData(instrSession, item, ("module " + std::to_string(item)).c_str());
            SetCtrlVal(nvmPanel, control, ("shown " + std::to_string(item)).c_str());
            expected += (fromModule ? "module " : "shown ") + std::to_string(item) + "|";
        }
        // What the shared buffer holds from earlier must never reach a field.
        snprintf(sharedText, sizeof sharedText, "left over");
        demonstration(demo);
        drvtest::Refuse(refused, refusedStatus);

        EXPECT_EQ(uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS), 0);

        EXPECT_EQ(title(nvmPanel), std::string("ZORa 3917 Universal Counter Timer - NVM [") +
                                       (demo ? "Demonstration mode]" : "PXI0::7-0.0::INSTR]"));
        EXPECT_EQ(calls(), sent);
        std::string texts;
        for (auto [control, item] : fields) {
            texts += text(nvmPanel, control) + "|";
        }
        EXPECT_EQ(texts, expected) << demo << refused;
        drvtest::ClearRefusals();
        demonstration(0);
    }
}

// Real typing: every edit sends the field's whole text as it stands, never a
// difference; in demonstration mode nothing is sent. Items 5 to 8 are never
// sent, whatever reaches the callback.
TEST_F(CalibrationTest, EditsSendTheWholeTextOfEditableItemsOnly)
{
    DisplayPanel(nvmPanel);
    uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
    for (int demo : {0, 1}) {
        for (auto [control, item] : {std::pair{NVM_DATA_1, 1}, {NVM_DATA_2, 2}, {NVM_DATA_3, 3}}) {
            const std::string before = text(nvmPanel, control);
            demonstration(demo);
            field(control)->setFocus();
            field(control)->end(false);
            QTest::keyClicks(field(control), "ab");
            QTest::keyClick(field(control), Qt::Key_Backspace);
            const std::string sent = "confModuleData(" + std::to_string(item) + ",\"" + before;
            EXPECT_EQ(calls(), demo ? "" : sent + "a\") " + sent + "ab\") " + sent + "a\")");
            demonstration(0);
            EXPECT_EQ(moduleText(static_cast<ViInt16>(item)), demo ? before : before + "a");
        }
    }
    drvtest::ClearCalls();
    for (int control : {NVM_DATA_5, NVM_DATA_6, NVM_DATA_7, NVM_DATA_8}) {
        SetCtrlVal(nvmPanel, control, "typed over");
        for (int event : {EVENT_VAL_CHANGED, EVENT_COMMIT}) {
            kq3917cal_nvmCallback(nvmPanel, control, event, nullptr, 0, 0);
        }
        QTest::keyClicks(field(control), "xyz");
    }
    EXPECT_EQ(calls(), "");
}

// A field holds as many characters as the module keeps per item; a module
// text of that length, multi-byte characters and all, comes back whole, and
// typing stops at the field's length.
TEST_F(CalibrationTest, TextsFitTheFieldsTheBufferAndTheModule)
{
    const int length = field(NVM_DATA_1)->maxLength();
    EXPECT_EQ(field(NVM_DATA_2)->maxLength(), length);
    EXPECT_EQ(field(NVM_DATA_3)->maxLength(), length);
    EXPECT_EQ(kq3917e_confModuleData(instrSession, 2, std::string(length, 'x').c_str()), VI_SUCCESS);
    EXPECT_EQ(kq3917e_confModuleData(instrSession, 2, std::string(length + 1, 'x').c_str()),
              KQ3917E_ERROR_TEXT_TOO_LONG);

    std::string wide;
    for (int i = 0; i < length; i++) {
        wide += i % 2 ? "\xC3\xA9" : "\xE2\x82\xAC"; // 2 and 3 bytes
    }
    ASSERT_EQ(kq3917e_confModuleData(instrSession, 1, wide.c_str()), VI_SUCCESS);
    uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(text(nvmPanel, NVM_DATA_1), wide);

    field(NVM_DATA_1)->clear();
    field(NVM_DATA_1)->setFocus();
    drvtest::ClearCalls();
    QTest::keyClicks(field(NVM_DATA_1), QString(length + 20, QChar('k')));
    EXPECT_EQ(drvtest::Calls().size(), static_cast<size_t>(length)) << "one send per accepted key";
    EXPECT_EQ(moduleText(1), std::string(length, 'k'));
}

TEST_F(CalibrationTest, CloseButtonAndMenuHideTheCloseBoxDoesNot)
{
    for (int demo : {0, 1}) {
        demonstration(demo);
        for (auto [how, hidden] : {std::pair{"button", true}, {"menu", true}, {"close box", false}}) {
            DisplayPanel(nvmPanel);
            if (std::string(how) == "button") {
                QTest::mouseClick(uitest::ControlWidget(nvmPanel, NVM_CLOSE), Qt::LeftButton);
            } else if (std::string(how) == "menu") {
                chooseMenuItem(nvmPanel, "NVMMENU_CLOSE");
            } else {
                uitest::PanelWidget(nvmPanel)->close();
            }
            EXPECT_EQ(shown(nvmPanel), !hidden) << how << " demo " << demo;
        }
    }
    EXPECT_EQ(calls(), "");
}

// Storing from either panel's menu calls the driver in every mode, and a
// store that fails or warns is reported: the technician must not believe the
// module kept what it did not.
TEST_F(CalibrationTest, StoringReportsAFailure)
{
    for (auto [panel, item, operation, action] :
         {std::tuple{&fticPanel, "FTICMENU_WRITE", "kq3917e_WriteCounterCalibrationData",
                     "storing calibration data"},
          {&nvmPanel, "NVMMENU_WRITE", "kq3917e_WriteModuleData", "storing module data"}}) {
        for (auto [demo, status] : {std::pair{0, VI_SUCCESS},
                                    {1, VI_SUCCESS},
                                    {0, refusedStatus},
                                    {1, refusedStatus},
                                    {0, ViStatus{0x3FFC0801}}}) {
            demonstration(demo);
            DisplayPanel(*panel);
            drvtest::ClearRefusals();
            if (status != VI_SUCCESS) {
                drvtest::Refuse(operation, status);
            }
            uitest::ClearPopups();

            chooseMenuItem(*panel, item);

            EXPECT_EQ(calls(), std::string(operation + 8) + "()");
            char message[KQ3917E_MESSAGE_SIZE] = "";
            kq3917e_error_message(instrSession, status, message);
            EXPECT_EQ(popups(), status ? "API Error|" + std::string(action) + ": " + message + "\n" : "")
                << status;
            EXPECT_TRUE(shown(*panel));
        }
    }
}

} // namespace
