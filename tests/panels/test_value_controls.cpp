// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's value controls: a setting the module refuses is read back
// and shown, and a level typed with real key presses is sent only when the
// control takes it.
#include "mainpaneltest.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <tuple>

namespace
{

// Each value control with its setting refused: reported, then read back, so
// the control shows what the module kept (as the refresh showed it) instead
// of the value asked for.
TEST_F(MainPanelTest, RefusedSettingsShowTheModulesValue)
{
    const std::tuple<int, int, double, const char *, const char *> cases[] = {
        {MAIN_TRIG_LEVEL_1, EVENT_VAL_CHANGED, 2.5, "confInputTriggering", "setting trigger 1 level"},
        {MAIN_EXT_ARM_LEVEL, EVENT_COMMIT, 0.5, "confArmingLevel", "setting external arm level"},
        {MAIN_DELAY, EVENT_COMMIT, 0.5, "confDelay", "setting time interval delay"},
        {MAIN_APERTURE, EVENT_VAL_CHANGED, 5000, "confAperture", "setting aperture"},
        {MAIN_RESOLUTION, EVENT_VAL_CHANGED, 12, "confMeasRes", "setting resolution"},
        {MAIN_STOP_ARM_SOURCE, EVENT_COMMIT, 5, "confArming", "setting stop arm source"},
        {MAIN_GATE_OUTPUT, EVENT_COMMIT, 4, "outputGate", "setting gate output"}};
    refreshMainPanel();
    for (auto [control, event, asked, operation, reported] : cases) {
        const double kept = val(control);
        ASSERT_NE(kept, asked) << operation;
        SetCtrlVal(mainPanel, control, asked);
        drvtest::Refuse(std::string("kq3917e_") + operation, refusedStatus);
        uitest::ClearPopups();
        press(control, event);
        drvtest::ClearRefusals();
        EXPECT_EQ(reports(), reported);
        EXPECT_EQ(val(control), kept) << operation;
    }
}

// Real key presses in a trigger level: beyond the range nothing is sent and
// the field says why with the range; within it the level is sent. With
// common inputs input 2 offers input 1's x10 range, but the module takes
// input 2's level with input 2's own attenuator: it refuses 10 V, and the
// field shows the level the module kept.
TEST_F(MainPanelTest, TypedLevelsAreSentOnlyWhenTaken)
{
    accepted({kq3917e_confInputTriggering(instrSession, 1, 1, 0.0, 1)});
    refreshMainPanel();
    const struct {
        int control;
        const char *typed, *sent, *shown, *reported;
    } cases[] = {
        {MAIN_TRIG_LEVEL_2, "-51.5", "", "-51.5 V", ""},
        {MAIN_TRIG_LEVEL_2, "10", "confInputTriggering(2,0,10,1) queryInputTriggering(2)", "0.000 V",
         "setting trigger 2 level"},
        {MAIN_TRIG_LEVEL_1, "-51", "confInputTriggering(1,1,-51,1)", "-51.000 V", ""},
    };
    for (const auto &c : cases) {
        QWidget *level = uitest::ControlWidget(mainPanel, c.control);
        QTest::keyClick(level, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(level, c.typed);
        drvtest::ClearCalls();
        uitest::ClearPopups();
        QTest::keyClick(level, Qt::Key_Return);
        EXPECT_EQ(calls(), c.sent) << c.typed;
        EXPECT_EQ(reports(KQ3917E_ERROR_LEVEL), c.reported) << c.typed;
        EXPECT_EQ(level->findChild<QLineEdit *>()->text().toStdString(), c.shown);
        EXPECT_EQ(level->toolTip().startsWith("Not sent"), !*c.sent) << level->toolTip().toStdString();
        EXPECT_TRUE(level->toolTip().contains(QString::fromUtf8("Range \u221251 \u2026 51 V")));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(level, &out);
    }
}

} // namespace
