// SPDX-License-Identifier: GPL-3.0-or-later
// The VISA specification version on the version panel, read from a module
// session of the simulated PXI system's stand-in VISA library.
#include "mainpaneltest.h"

#include <cstdlib>

namespace
{

struct SpecVersionCase {
    const char *name;
    const char *value; // the stand-in's attribute value, VISA layout
    const char *shown;
};

class VisaSpecVersion : public MainPanelHandlerTest, public ::testing::WithParamInterface<SpecVersionCase>
{
  protected:
    void TearDown() override
    {
        viClose(instrSession);
        instrSession = 0;
        unsetenv("UCT_SIMKIT_SPEC_VERSION");
        MainPanelHandlerTest::TearDown();
    }
};

TEST_P(VisaSpecVersion, FieldsAreMaskedToThreeThreeAndTwoBits)
{
    const SpecVersionCase &c = GetParam();
    setenv("UCT_SIMKIT_CHASSIS", "PXI3::10::INSTR;", 1);
    setenv("UCT_SIMKIT_SPEC_VERSION", c.value, 1);
    ViSession resourceManager = 0;
    ASSERT_GE(viOpenDefaultRM(&resourceManager), 0);
    ASSERT_GE(viOpen(resourceManager, "PXI3::10::INSTR", 0, 0, &instrSession), 0);
    demoMode = 0;

    ASSERT_EQ(press(MAIN_VERSION), 0);

    char text[32] = "";
    GetCtrlVal(versionPanel, VERSION_VISA, text);
    EXPECT_STREQ(text, c.shown);
    viClose(resourceManager);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VisaSpecVersion,
    ::testing::Values(
        // 5.8.0: the minor number loses its high bit.
        SpecVersionCase{"V580", "0x00500800", "5.0.0"}, SpecVersionCase{"V410", "0x00400100", "4.1.0"},
        SpecVersionCase{"V733", "0x00700303", "7.3.3"}, SpecVersionCase{"V1274", "0x01200704", "2.7.0"}),
    [](const ::testing::TestParamInfo<SpecVersionCase> &info) { return info.param.name; });

} // namespace
