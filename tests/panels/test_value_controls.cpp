// SPDX-License-Identifier: GPL-3.0-or-later
// The main panel's value controls: a setting the module refuses is read back
// and shown, and a level typed with real key presses is sent only when the
// control takes it.
#include "mainpaneltest.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

namespace
{

// Each value control with its setting refused: reported, then read back, so
// the control shows what the module kept instead of the value asked for.
TEST_F(MainPanelTest, RefusedSettingsShowTheModulesValue)
{
    const struct {
        int control, event;
        double asked;
        const char *operation, *reported;
        double (*kept)(); // the module's value, read directly
    } cases[] = {
        {MAIN_TRIG_LEVEL_1, EVENT_VAL_CHANGED, 2.5, "confInputTriggering", "setting trigger 1 level",
         [] {
             ViInt16 a = 0;
             ViUInt16 common = 0;
             double v = 0;
             kq3917e_queryInputTriggering(instrSession, 1, &a, &v, &common);
             return v;
         }},
        {MAIN_EXT_ARM_LEVEL, EVENT_COMMIT, 0.5, "confArmingLevel", "setting external arm level",
         [] {
             double v = 0;
             kq3917e_queryArmingLevel(instrSession, &v);
             return v;
         }},
        {MAIN_DELAY, EVENT_COMMIT, 0.5, "confDelay", "setting time interval delay",
         [] {
             ViUInt16 on = 0;
             double v = 0;
             kq3917e_queryDelay(instrSession, &on, &v);
             return v;
         }},
        {MAIN_APERTURE, EVENT_VAL_CHANGED, 5000, "confAperture", "setting aperture",
         [] {
             ViInt32 v = 0;
             kq3917e_queryAperture(instrSession, &v);
             return double(v);
         }},
        {MAIN_RESOLUTION, EVENT_VAL_CHANGED, 12, "confMeasRes", "setting resolution",
         [] {
             ViInt16 v = 0;
             ViUInt16 averaging = 0;
             kq3917e_queryMeasRes(instrSession, &v, &averaging);
             return double(v);
         }},
        {MAIN_STOP_ARM_SOURCE, EVENT_COMMIT, 5, "confArming", "setting stop arm source",
         [] {
             ViInt16 start = 0, stop = 0, external = 0;
             kq3917e_queryArming(instrSession, &start, &stop, &external);
             return double(stop);
         }},
        {MAIN_GATE_OUTPUT, EVENT_COMMIT, 4, "outputGate", "setting gate output",
         [] {
             ViInt16 v = 0;
             kq3917e_queryOutputGate(instrSession, &v);
             return double(v);
         }},
    };
    for (const auto &c : cases) {
        const double kept = c.kept();
        ASSERT_NE(kept, c.asked) << c.operation;
        SetCtrlVal(mainPanel, c.control, c.asked);
        drvtest::Refuse(std::string("kq3917e_") + c.operation, refusedStatus);
        uitest::ClearPopups();
        press(c.control, c.event);
        drvtest::ClearRefusals();
        EXPECT_EQ(reports(), c.reported);
        EXPECT_EQ(val(c.control), kept) << c.operation;
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
