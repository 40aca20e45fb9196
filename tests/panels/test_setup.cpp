// SPDX-License-Identifier: GPL-3.0-or-later
// Setups: the file as written (a golden file), the round trip through the
// module, refusals in one report, and files that must change nothing.
#include "mainpaneltest.h"

#include <functional>

namespace
{

class SetupTest : public FileTest
{
  protected:
    void save(const std::string &file)
    {
        uitest::ScriptFileDialog(VAL_NEW_FILE_SELECTED, path(file));
        ASSERT_EQ(press(MAIN_SAVE_SETUP), 0);
    }
    void recall(const std::string &file)
    {
        uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, path(file));
        ASSERT_EQ(press(MAIN_RECALL_SETUP), 0);
    }
    void write(const std::string &file, const std::string &text)
    {
        QFile out(QString::fromStdString(path(file)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.c_str());
    }
    // The value of one setting in a setup text.
    static std::string value(const std::string &setup, const std::string &key)
    {
        const size_t at = setup.find("\n" + key + " ");
        return at == std::string::npos ? "<none>" : setup.substr(at, setup.find('\n', at + 1) - at);
    }
};

TEST_F(SetupTest, TheModuleAtItsStartMatchesTheGoldenFile)
{
    save("start.setup");
    EXPECT_EQ(readFile(path("start.setup")), readFile(UCT_PANEL_TEST_DATA "/golden_v1.setup"));
}

// Save, change every setting in the module, recall: every query gives back
// what it gave before.
TEST_F(SetupTest, RecallGivesBackTheSavedModuleState)
{
    save("a.setup");
    const std::pair<const char *, std::function<ViStatus()>> changes[] = {
        {"function", [] { return kq3917e_confMeasurement(instrSession, 2); }},
        {"standard", [] { return kq3917e_confStandard(instrSession, 1); }},
        {"aperture", [] { return kq3917e_confAperture(instrSession, 10000); }},
        {"averaging", [] { return kq3917e_confMeasRes(instrSession, 0, 1); }},
        {"common_input", [] { return kq3917e_confInputConditioning(instrSession, 1, 1, 1, 1, 1); }},
        {"in1_impedance", [] { return kq3917e_confInputConditioning(instrSession, 1, 1, 1, 1, 1); }},
        {"in2_coupling", [] { return kq3917e_confInputConditioning(instrSession, 2, 1, 1, 1, 1); }},
        {"in1_attenuation", [] { return kq3917e_confInputTriggering(instrSession, 1, 1, 1.25, 1); }},
        {"in2_level", [] { return kq3917e_confInputTriggering(instrSession, 2, 0, -0.5, 1); }},
        {"in1_slope", [] { return kq3917e_confInputSlopes(instrSession, 1, 1); }},
        {"in1_hysteresis", [] { return kq3917e_confInputHysteresis(instrSession, 1, 1); }},
        {"in2_hysteresis", [] { return kq3917e_confInputHysteresis(instrSession, 2, 1); }},
        {"arm_hysteresis", [] { return kq3917e_confExtArmHysteresis(instrSession, 1); }},
        {"in2_trigger_mode", [] { return kq3917e_confAutoTrigMode(instrSession, 2, 2); }},
        {"min_auto_trigger_frequency", [] { return kq3917e_confMinAutoTrigFreq(instrSession, 1); }},
        {"start_arm_source", [] { return kq3917e_confArming(instrSession, 1, 1, 10); }},
        {"ext_arm_level", [] { return kq3917e_confArmingLevel(instrSession, -2.5); }},
        {"arm_mode", [] { return kq3917e_confExtArmMode(instrSession, 1); }},
        {"delay", [] { return kq3917e_confDelay(instrSession, 1, 0.0125); }},
        {"gate_output", [] { return kq3917e_outputGate(instrSession, 2); }},
        {"math_value1", [] { return kq3917e_mathCalculation(instrSession, 0, 3.5, 0, -7.25, 1); }},
    };
    for (const auto &[key, change] : changes) {
        EXPECT_EQ(change(), VI_SUCCESS) << key;
    }
    save("b.setup");
    const std::string a = readFile(path("a.setup")), b = readFile(path("b.setup"));
    for (const auto &[key, change] : changes) {
        EXPECT_NE(value(a, key), value(b, key)) << "not changed: " << key;
    }
    uitest::ClearPopups();
    recall("a.setup");
    save("c.setup");
    EXPECT_EQ(readFile(path("c.setup")), a);
    EXPECT_EQ(reports(), "");
}

// A setting the module does not give is not written as if it had.
TEST_F(SetupTest, NothingIsSavedThatTheModuleDidNotGive)
{
    for (const char *query : {"kq3917e_queryDelay", "kq3917e_queryMeasRes", "kq3917e_queryMathCalculation"}) {
        drvtest::ClearRefusals();
        drvtest::Refuse(query, refusedStatus);
        uitest::ClearPopups();
        save("x.setup");
        EXPECT_EQ(readFile(path("x.setup")), "<missing>") << query;
        EXPECT_EQ(uitest::Popups().at(0).text, "The module did not give every setting. Nothing was saved.");
    }
}

// A refused value: the rest is still applied, one report lists each refusal.
TEST_F(SetupTest, RefusalsComeInOneReportAndTheRestIsApplied)
{
    save("a.setup");
    press(MAIN_FN_02, EVENT_LEFT_CLICK); // another function, chosen on the panel
    drvtest::Refuse("kq3917e_confAperture", refusedStatus);
    drvtest::Refuse("kq3917e_confDelay", refusedStatus);
    uitest::ClearPopups();
    recall("a.setup");
    EXPECT_EQ(uitest::Popups().size(), 1u);
    EXPECT_EQ(reports(), "setting aperture|setting delay");
    EXPECT_EQ(std::make_pair(settings.function, val<int>(MAIN_FN_00)), std::make_pair((int16_t)0, 1))
        << "the function was still applied";
}

// Nothing is sent for a file that is no setup, a newer format, a line that
// cannot be read, or a setting missing.
TEST_F(SetupTest, FilesThatChangeNothing)
{
    save("a.setup");
    const std::string good = readFile(path("a.setup"));
    const std::pair<std::string, const char *> files[] = {
        {"function 0\n", "This file is not a setup of this program. Nothing was applied."},
        {"", "This file is not a setup of this program. Nothing was applied."},
        {"uct-sfp setup 2\nfunction 0\n",
         "This setup has format version 2; this program reads version 1 and older. Nothing was applied."},
        {good + "colour blue\n",
         "This setup holds a line this program cannot read:\ncolour blue\nNothing was applied."},
        {good.substr(0, good.find("\naperture")) + "\naperture 1e3\n",
         "This setup holds a line this program cannot read:\naperture 1e3\nNothing was applied."},
        {good.substr(0, good.find("math_enable")),
         "This setup lacks the setting math_enable. Nothing was applied."},
    };
    for (const auto &[text, message] : files) {
        write("x.setup", text);
        uitest::ClearPopups();
        drvtest::ClearCalls();
        recall("x.setup");
        EXPECT_EQ(uitest::Popups().empty() ? "" : uitest::Popups()[0].text, message);
        EXPECT_EQ(calls().find("conf"), std::string::npos) << calls();
    }
    // The folder of the last file is offered first.
    EXPECT_EQ(uitest::FileDialogs().back().defaultDirectory, dir.path().toStdString());
}

} // namespace
