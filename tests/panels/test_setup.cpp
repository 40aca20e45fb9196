// SPDX-License-Identifier: GPL-3.0-or-later
// Setups: the file as written (a golden file), the round trip through the
// module, refusals in one report, and files that must change nothing.
#include "mainpaneltest.h"

class SetupTest : public FileTest
{
  protected:
    void save(const std::string &file) { use(MAIN_SAVE_SETUP, VAL_NEW_FILE_SELECTED, file); }
    void recall(const std::string &file) { use(MAIN_RECALL_SETUP, VAL_EXISTING_FILE_SELECTED, file); }
    void use(int button, int how, const std::string &f)
    {
        uitest::ScriptFileDialog(how, path(f));
        press(button);
    }
};

// The module at its start saved as the golden file; every setting changed in
// the module, then that file recalled: every query gives back what it gave
// before.
TEST_F(SetupTest, RecallGivesBackTheSavedModuleState)
{
    save("a.setup");
    EXPECT_EQ(readFile(path("a.setup")), readFile(UCT_PANEL_TEST_DATA "/golden_v1.setup"));
    accepted({kq3917e_confMeasurement(0, 2), kq3917e_confStandard(0, 1), kq3917e_confAperture(0, 10000),
              kq3917e_confMeasRes(0, 0, 1), kq3917e_confInputConditioning(0, 1, 1, 1, 1, 1),
              kq3917e_confInputConditioning(0, 2, 1, 1, 1, 1),
              kq3917e_confInputTriggering(0, 1, 1, 1.25, 1)});
    accepted({kq3917e_confInputTriggering(0, 2, 0, -0.5, 1), kq3917e_confInputSlopes(0, 1, 1),
              kq3917e_confInputHysteresis(0, 1, 1), kq3917e_confInputHysteresis(0, 2, 1),
              kq3917e_confExtArmHysteresis(0, 1), kq3917e_confAutoTrigMode(0, 2, 2)});
    accepted({kq3917e_confMinAutoTrigFreq(0, 1), kq3917e_confArming(0, 1, 1, 10),
              kq3917e_confArmingLevel(0, -2.5), kq3917e_confExtArmMode(0, 1), kq3917e_confDelay(0, 1, 0.0125),
              kq3917e_outputGate(0, 2), kq3917e_mathCalculation(0, 0, 3.5, 0, -7.25, 1)});
    save("b.setup");
    const std::string a = readFile(path("a.setup")), b = readFile(path("b.setup"));
    // Every setting changed: 33 lines of the file differ.
    const QStringList linesA = QString::fromStdString(a).split('\n'),
                      linesB = QString::fromStdString(b).split('\n');
    int changed = 0;
    for (int i = 0; i < std::min(linesA.size(), linesB.size()); i++)
        changed += linesA[i] != linesB[i];
    EXPECT_EQ(changed, 33);
    uitest::ClearPopups();
    recall("a.setup");
    save("c.setup");
    EXPECT_EQ(readFile(path("c.setup")), a);
    EXPECT_EQ(reports(), "");
    // Refused values: the rest is still applied, one report lists each refusal.
    press(MAIN_FN_02, EVENT_LEFT_CLICK);
    drvtest::Refuse("kq3917e_confAperture", refusedStatus);
    drvtest::Refuse("kq3917e_confDelay", refusedStatus);
    recall("a.setup");
    EXPECT_EQ(reports() + std::to_string(uitest::Popups().size()), "setting aperture|setting delay1");
    EXPECT_EQ(settings.function + 10 * val<int>(MAIN_FN_00), 10) << "the function was still applied";
}

// Nothing is sent for a file that is no setup, a newer format, a line that
// cannot be read, or a setting missing; nothing is saved that the module did
// not give.
TEST_F(SetupTest, FilesThatChangeNothingAndNoFileWithoutEverySetting)
{
    save("a.setup");
    const std::string good = readFile(path("a.setup"));
    const std::string notSetup = "This file is not a setup of this program.",
                      unreadable = "This setup holds a line this program cannot read:\n";
    const std::pair<std::string, std::string> files[] = {
        {"function 0\n", notSetup},
        {"uct-sfp setup 2\nfunction 0\n",
         "This setup has format version 2; this program reads version 1 and older."},
        {good + "colour blue\n", unreadable + "colour blue\n"},
        {good.substr(0, good.find("\naperture")) + "\naperture 1e3\n", unreadable + "aperture 1e3\n"},
        {good.substr(0, good.find("math_enable")), "This setup lacks the setting math_enable."}};
    for (const auto &[text, message] : files) {
        QFile out(QString::fromStdString(path("x.setup")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(text.c_str()) == (qint64)text.size());
        out.close();
        uitest::ClearPopups();
        drvtest::ClearCalls();
        recall("x.setup");
        EXPECT_EQ(popupTexts(),
                  "Setup|" + message + (message.back() == '\n' ? "" : " ") + "Nothing was applied.");
        EXPECT_EQ(calls().find("conf"), std::string::npos) << calls();
    }
    // A setting the module does not give is not written as if it had.
    for (const char *query : {"kq3917e_queryDelay", "kq3917e_queryMeasRes", "kq3917e_queryMathCalculation"}) {
        drvtest::ClearRefusals();
        drvtest::Refuse(query, refusedStatus);
        uitest::ClearPopups();
        save("y.setup");
        EXPECT_EQ(readFile(path("y.setup")) + "|" + uitest::Popups().at(0).text,
                  "<missing>|The module did not give every setting. Nothing was saved.")
            << query;
    }
    // The folder of the last file is offered first.
    EXPECT_EQ(uitest::FileDialogs().back().defaultDirectory, dir.path().toStdString());
}
