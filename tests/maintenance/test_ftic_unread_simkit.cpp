// SPDX-License-Identifier: GPL-3.0-or-later
// A threshold DAC that cannot be read when the hysteresis is toggled: its
// control still holds the other state's code, so it is dimmed and marked
// until a code is read, and nothing typed into it reaches either DAC.
#include "caltest.h"

namespace
{

TEST_F(CalibrationTest, UnreadThresholdIsNeverSent)
{
    const struct {
        int button, threshold, otherDac;
    } inputs[] = {{FTIC_IN1_HYSTERESIS, FTIC_IN1_THRESHOLD, 1}, {FTIC_IN2_HYSTERESIS, FTIC_IN2_THRESHOLD, 8}};
    for (const auto &in : inputs) {
        SCOPED_TRACE(in.otherDac);
        ASSERT_EQ(kq3917e_confCalibrationDAC(instrSession, in.otherDac, (ViInt16)(100 + in.otherDac)),
                  VI_SUCCESS);
        uitest::CallPanelCallback(fticPanel, EVENT_GOT_FOCUS);
        QWidget *threshold = uitest::ControlWidget(fticPanel, in.threshold);
        auto state = [&] {
            char caption[64] = "";
            GetCtrlAttribute(fticPanel, in.threshold, ATTR_LABEL_TEXT, caption, sizeof caption);
            return std::to_string(value(fticPanel, in.threshold)) +
                   (threshold->isEnabled() ? " " : " dimmed ") + caption;
        };
        const std::string code = std::to_string(100 + in.otherDac), before = code + " THRESHOLD DAC";
        EXPECT_EQ(state(), before);

        drvtest::Refuse("kq3917e_queryCalibrationDAC", refusedStatus);
        QTest::mouseClick(uitest::ControlWidget(fticPanel, in.button), Qt::LeftButton);
        EXPECT_EQ(state(), code + " dimmed THRESHOLD DAC (NOT READ)");
        drvtest::ClearCalls();
        QTest::keyClicks(threshold, "7");
        QTest::keyClick(threshold, Qt::Key_Return);
        EXPECT_EQ(calls().find("confCalibrationDAC"), std::string::npos) << calls();

        // Back to the first state, read again.
        drvtest::ClearRefusals();
        QTest::mouseClick(uitest::ControlWidget(fticPanel, in.button), Qt::LeftButton);
        EXPECT_EQ(state(), before);
    }
}

} // namespace
