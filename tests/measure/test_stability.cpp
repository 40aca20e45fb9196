// SPDX-License-Identifier: GPL-3.0-or-later
// The STABILITY panel over files: what it says about the data, its
// warnings, the table and plot of the chosen deviation, and Save Data.
#include "measuretest.h"

#include "stability.h"

#include <thread>

namespace
{

class Stability : public FileTest
{
  protected:
    void SetUp() override
    {
        FileTest::SetUp();
        ASSERT_EQ(press(MAIN_STABILITY), 0);
    }
    void TearDown() override
    {
        on(stabilityPanel, STABILITY_CLOSE);
        FileTest::TearDown();
    }
    static std::string panelText(int control) { return textOn(stabilityPanel, control); }
    // Loads file as the File source and follows the worker on the panel's
    // timer until the controls come back.
    void load(const std::string &name, const std::string &content)
    {
        QFile file(QString::fromStdString(path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.c_str());
        file.close();
        SetCtrlVal(stabilityPanel, STABILITY_SOURCE, 2);
        uitest::ScriptFileDialog(VAL_EXISTING_FILE_SELECTED, path(name));
        on(stabilityPanel, STABILITY_LOAD);
        int dimmed = 1;
        for (long i = 0; i < 100000000 && dimmed; ++i) {
            std::this_thread::yield();
            uitest::TimerTick(stabilityPanel, STABILITY_TIMER);
            GetCtrlAttribute(stabilityPanel, STABILITY_COMPUTE, ATTR_DIMMED, &dimmed);
        }
        ASSERT_EQ(dimmed, 0);
    }
};

// What the panel says about the data and its warnings; for the first file
// the published values in the table, one plot point per row, and Save
// Data. The deviation ring switches without computing again.
TEST_F(Stability, SaysWhatItAnalysedAndShowsTheDeviation)
{
    const char *const cases[][3] = {
        {"892\n809\n823\n798\n671\n644\n883\n903\n677\n", "9 readings from", "No warning."},
        {"# data: phase\n# aperture_s: 0.5\ntime_s,value\n0,1e-9\n1,2e-9\n2,\n3.1,2e-9\n4.1,1e-9\n",
         "phase x in seconds\ntau0 = 1 s (median spacing, spread 10.00 %); dead time 50.0 % (aperture 0.5 s)",
         "time stamps vary by up to 10.0 % of their spacing"},
        {"# data: frequency\n# unit: Hz\ntime_s,value\n0,10\n1,11\n2,9\n3,10\n",
         "fractional y = (v - v0)/v0, v0 = mean 10 Hz\ntau0 = 1 s (median spacing, spread 0.00 %); dead time "
         "unknown",
         "No warning."},
    };
    for (const auto &[content, info, warning] : cases) {
        SetCtrlVal(stabilityPanel, STABILITY_NOMINAL, content == cases[0][0] ? 1.0 : 0.0); // 0: the mean
        load("in.csv", content);
        EXPECT_NE(panelText(STABILITY_INFO).find(info), std::string::npos) << panelText(STABILITY_INFO);
        EXPECT_EQ(panelText(STABILITY_WARNINGS).find(warning), 0u) << panelText(STABILITY_WARNINGS);
        if (content != cases[0][0])
            continue;
        SetCtrlVal(stabilityPanel, STABILITY_DEVIATION, STABILITY_ADEV);
        on(stabilityPanel, STABILITY_DEVIATION);
        const std::string table = panelText(STABILITY_TABLE);
        for (const char *row : {"          1       1         8  white FM        9.1229e+01",
                                "          2       2         3  white FM        1.1581e+02"})
            EXPECT_NE(table.find(row), std::string::npos) << table;
        EXPECT_EQ(plotOn(stabilityPanel, STABILITY_GRAPH)->graph(0)->data()->size(), 3);
        saveWith(stabilityPanel, STABILITY_SAVE, path("table.csv"));
        EXPECT_EQ(readFile(path("table.csv"), 22), "tau,m,alpha,adev,adev_");
        EXPECT_NE(readFile(path("table.csv")).find("\n1,1,0,91.2294497"), std::string::npos);
    }
}

} // namespace
