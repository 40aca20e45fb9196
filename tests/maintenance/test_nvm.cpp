// SPDX-License-Identifier: GPL-3.0-or-later
// The module data panel on a module of the simulated PXI system, and the
// menu items that store calibration and module data on both panels.
#include "caltest.h"

#include <QLineEdit>
#include <QTest>

#include <vector>

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

// Every field's text, joined by '|'.
std::string shownTexts()
{
    std::string all;
    for (auto [control, item] : fields) {
        all += (all.empty() ? "" : "|") + text(nvmPanel, control);
    }
    return all;
}

QLineEdit *field(int control)
{
    return qobject_cast<QLineEdit *>(uitest::ControlWidget(nvmPanel, control));
}

TEST_F(CalibrationTest, FocusShowsTheModulesTextsInOrder)
{
    struct Case {
        const char *what;
        int demo;
        const char *refused;
        const char *calls;
        bool fromModule; // else the fields keep what they showed
    };
    const char *const queries = "queryModuleData(5) queryModuleData(6) queryModuleData(7) queryModuleData(8) "
                                "queryModuleData(2) queryModuleData(1) queryModuleData(3)";
    for (const Case &c : {Case{"module", 0, "", queries, true}, Case{"demonstration", 1, "", "", false},
                          Case{"failing queries", 0, "kq3917e_queryModuleData", queries, false}}) {
        for (auto [control, item] : fields) {
            kq3917e_confModuleData(instrSession, item, ("module item " + std::to_string(item)).c_str());
            SetCtrlVal(nvmPanel, control, ("shown " + std::to_string(item)).c_str());
        }
        // What the shared buffer holds from earlier must not reach a field.
        snprintf(sharedText, sizeof sharedText, "left over");
        if (c.demo) {
            enterDemoMode();
        }
        drvtest::Refuse(c.refused, refusedStatus);
        drvtest::ClearCalls();

        EXPECT_EQ(uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS), 0);

        EXPECT_EQ(title(nvmPanel), "ZORa 3917 Universal Counter Timer - NVM [PXI0::7-0.0::INSTR]");
        EXPECT_EQ(calls(), c.calls) << c.what;
        std::string expected;
        for (auto [control, item] : fields) {
            expected += (expected.empty() ? "" : "|") +
                        std::string(c.fromModule ? "module item " : "shown ") + std::to_string(item);
        }
        EXPECT_EQ(shownTexts(), expected) << c.what;
        drvtest::ClearRefusals();
        demoMode = 0;
        kq3917e_simulate(0);
    }
}

// Real typing: every edit sends the whole text of the field as it stands,
// never a difference; demonstration mode sends nothing.
TEST_F(CalibrationTest, EveryEditSendsTheWholeText)
{
    DisplayPanel(nvmPanel);
    uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
    for (int demo : {0, 1}) {
        for (auto [control, item] :
             {std::pair{NVM_DATA_1, 1}, std::pair{NVM_DATA_2, 2}, std::pair{NVM_DATA_3, 3}}) {
            const std::string before = text(nvmPanel, control);
            if (demo) {
                enterDemoMode();
            }
            QLineEdit *edit = field(control);
            ASSERT_NE(edit, nullptr);
            edit->setFocus();
            edit->end(false);
            drvtest::ClearCalls();
            QTest::keyClicks(edit, "ab");
            QTest::keyClick(edit, Qt::Key_Backspace);
            const std::string quoted = "confModuleData(" + std::to_string(item) + ",\"" + before;
            EXPECT_EQ(calls(), demo ? "" : quoted + "a\") " + quoted + "ab\") " + quoted + "a\")") << item;
            demoMode = 0;
            kq3917e_simulate(0);
            EXPECT_EQ(moduleText(static_cast<ViInt16>(item)), demo ? before : before + "a");
        }
    }
}

// The four items that are only shown never go to the module, whatever their
// fields hold and whichever event reaches the callback.
TEST_F(CalibrationTest, DisplayOnlyItemsAreNeverSent)
{
    for (int control : {NVM_DATA_5, NVM_DATA_6, NVM_DATA_7, NVM_DATA_8}) {
        SetCtrlVal(nvmPanel, control, "typed over");
        for (int event : {EVENT_VAL_CHANGED, EVENT_COMMIT}) {
            EXPECT_EQ(kq3917cal_nvmCallback(nvmPanel, control, event, nullptr, 0, 0), 0);
        }
        QTest::keyClicks(field(control), "xyz");
    }
    EXPECT_EQ(calls(), "");
}

// Typed texts stop at the field's length, which is what the module keeps;
// a module text of that many characters, any of them multi-byte, comes back
// whole and goes out whole.
TEST_F(CalibrationTest, TextsFitTheFieldsTheBufferAndTheModule)
{
    QLineEdit *edit = field(NVM_DATA_1);
    ASSERT_NE(edit, nullptr);
    const int length = edit->maxLength();
    for (auto [control, item] : fields) {
        if (item <= 3) {
            EXPECT_EQ(field(control)->maxLength(), length) << item;
        }
    }
    // The module takes exactly as many characters as a field holds.
    EXPECT_EQ(kq3917e_confModuleData(instrSession, 2, std::string(length, 'x').c_str()), VI_SUCCESS);
    EXPECT_EQ(kq3917e_confModuleData(instrSession, 2, std::string(length + 1, 'x').c_str()),
              KQ3917E_ERROR_TEXT_TOO_LONG);

    std::string wide;
    for (int i = 0; i < length; i++) {
        wide += i % 2 ? "\xC3\xA9" : "\xE2\x82\xAC"; // é and €: 2 and 3 bytes
    }
    ASSERT_EQ(kq3917e_confModuleData(instrSession, 1, wide.c_str()), VI_SUCCESS);
    uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(text(nvmPanel, NVM_DATA_1), wide);

    // Typing beyond the field's length keeps the first characters only.
    edit->clear();
    drvtest::ClearCalls();
    edit->setFocus();
    QTest::keyClicks(edit, QString(length + 20, QChar('k')));
    EXPECT_EQ(text(nvmPanel, NVM_DATA_1), std::string(length, 'k'));
    EXPECT_EQ(drvtest::Calls().size(), static_cast<size_t>(length)) << "one send per accepted key";
    EXPECT_EQ(moduleText(1), std::string(length, 'k'));
}

TEST_F(CalibrationTest, CloseButtonAndMenuHideTheCloseBoxDoesNot)
{
    struct Case {
        const char *how;
        int demo;
        bool hidden;
    };
    for (const Case &c : {Case{"close button", 0, true}, Case{"close button", 1, true}, Case{"menu", 0, true},
                          Case{"menu", 1, true}, Case{"close box", 0, false}, Case{"close box", 1, false}}) {
        demoMode = c.demo;
        DisplayPanel(nvmPanel);
        drvtest::ClearCalls();
        const std::string how = c.how;
        if (how == "close button") {
            QTest::mouseClick(uitest::ControlWidget(nvmPanel, NVM_CLOSE), Qt::LeftButton);
        } else if (how == "menu") {
            uitest::CallMenuCallback(nvmPanel, NVMMENU_CLOSE);
        } else {
            uitest::PanelWidget(nvmPanel)->close();
        }
        EXPECT_EQ(shown(nvmPanel), !c.hidden) << how << " demo " << c.demo;
        EXPECT_EQ(calls(), "");
    }
}

// Storing from either panel's menu calls the driver in every mode, and a
// store that fails is reported: the technician must not believe the module
// kept what it did not.
TEST_F(CalibrationTest, StoringReportsAFailure)
{
    struct Panel {
        int *panel;
        int item;
        const char *operation;
        const char *action;
    };
    const Panel panels[] = {
        {&fticPanel, FTICMENU_WRITE, "kq3917e_WriteCounterCalibrationData", "storing calibration data"},
        {&nvmPanel, NVMMENU_WRITE, "kq3917e_WriteModuleData", "storing module data"}};
    struct Case {
        int demo;
        ViStatus status;
    };
    for (const Panel &p : panels) {
        for (const Case &c : {Case{0, VI_SUCCESS}, Case{1, VI_SUCCESS}, Case{0, refusedStatus},
                              Case{1, refusedStatus}, Case{0, warningStatus}}) {
            demoMode = c.demo;
            kq3917e_simulate(static_cast<ViInt16>(c.demo));
            DisplayPanel(*p.panel);
            drvtest::ClearRefusals();
            if (c.status != VI_SUCCESS) {
                drvtest::Refuse(p.operation, c.status);
            }
            uitest::ClearPopups();
            drvtest::ClearCalls();

            uitest::CallMenuCallback(*p.panel, p.item);

            EXPECT_EQ(calls(), std::string(p.operation + 8) + "()");
            EXPECT_EQ(popups(),
                      c.status ? "API Error|" + std::string(p.action) + ": " + driverText(c.status) + "\n"
                               : "")
                << p.action << " " << c.status;
            EXPECT_TRUE(shown(*p.panel)) << "storing leaves the panel up";
        }
    }
}

// What is stored survives a power cycle of the module; what is only sent
// does not.
TEST_F(CalibrationTest, StoredCodesAndTextsSurviveAReset)
{
    SetCtrlVal(fticPanel, FTIC_IN1_DAC6, 1234);
    uitest::CallCtrlCallback(fticPanel, FTIC_IN1_DAC6, EVENT_COMMIT);
    SetCtrlVal(nvmPanel, NVM_DATA_3, "kept");
    uitest::CallCtrlCallback(nvmPanel, NVM_DATA_3, EVENT_VAL_CHANGED);
    uitest::CallMenuCallback(fticPanel, FTICMENU_WRITE);
    uitest::CallMenuCallback(nvmPanel, NVMMENU_WRITE);
    SetCtrlVal(fticPanel, FTIC_IN1_DAC6, 99);
    uitest::CallCtrlCallback(fticPanel, FTIC_IN1_DAC6, EVENT_COMMIT);
    SetCtrlVal(nvmPanel, NVM_DATA_3, "lost");
    uitest::CallCtrlCallback(nvmPanel, NVM_DATA_3, EVENT_VAL_CHANGED);

    kq3917e_resetCounter(instrSession);
    uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
    uitest::CallPanelCallback(nvmPanel, EVENT_GOT_FOCUS);
    EXPECT_EQ(value<int16_t>(fticPanel, FTIC_IN1_DAC6), 1234);
    EXPECT_EQ(text(nvmPanel, NVM_DATA_3), "kept");
}

} // namespace
