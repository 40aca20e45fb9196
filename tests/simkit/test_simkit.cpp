// SPDX-License-Identifier: GPL-3.0-or-later
// The chassis description and the resource expressions of the simkit.
#include "chassis.h"

#include <gtest/gtest.h>

namespace
{

using simkit::parseChassis;

TEST(ChassisTest, DevicesInOrderWithDefaults)
{
    const auto chassis =
        parseChassis(" PXI0::7-0.0::INSTR, slot=7 ; PXI0::9-0.0::INSTR,vendor=0x1234,model=5;"
                     "GPIB0::5::INSTR");
    ASSERT_EQ(chassis.error, "");
    ASSERT_EQ(chassis.devices.size(), 3u);
    EXPECT_EQ(chassis.devices[0].descriptor, "PXI0::7-0.0::INSTR");
    EXPECT_EQ(chassis.devices[0].slot, 7);
    EXPECT_EQ(chassis.devices[0].vendor, simkit::kMakerVendorId);
    EXPECT_EQ(chassis.devices[0].model, 1);
    EXPECT_EQ(chassis.devices[1].vendor, 0x1234);
    EXPECT_EQ(chassis.devices[1].model, 5);
    EXPECT_EQ(chassis.devices[1].slot, 3); // slot 2 + position when not given
    EXPECT_FALSE(chassis.devices[1].openFail);
    EXPECT_EQ(chassis.devices[2].descriptor, "GPIB0::5::INSTR");
}

TEST(ChassisTest, EmptyDescriptionHasNoDevice)
{
    for (const char *text : {"", "  ", ";;"}) {
        const auto chassis = parseChassis(text);
        EXPECT_EQ(chassis.error, "") << text;
        EXPECT_TRUE(chassis.devices.empty()) << text;
    }
}

struct SwitchCase {
    const char *item;
    ViStatus openFail, slotFail, initFail, initWarn; // 1: not set
    long answers;                                    // -1: not set
    int refusedBlock;                                // -1: not set
    int refusedCode;
    ViUInt16 slot;
};

class SwitchTest : public testing::TestWithParam<SwitchCase>
{
};

TEST_P(SwitchTest, FaultSwitch)
{
    const SwitchCase &c = GetParam();
    const auto chassis = parseChassis(std::string("PXI0::7-0.0::INSTR,") + c.item);
    ASSERT_EQ(chassis.error, "");
    ASSERT_EQ(chassis.devices.size(), 1u);
    const simkit::Device &d = chassis.devices[0];
    EXPECT_EQ(d.openFail.value_or(1), c.openFail);
    EXPECT_EQ(d.slotFail.value_or(1), c.slotFail);
    EXPECT_EQ(d.initFail.value_or(1), c.initFail);
    EXPECT_EQ(d.initWarn.value_or(1), c.initWarn);
    EXPECT_EQ(d.answers.value_or(-1), c.answers);
    EXPECT_EQ(d.refusedBlock.value_or(-1), c.refusedBlock);
    EXPECT_EQ(d.refusedCode, c.refusedCode);
    EXPECT_EQ(d.slot, c.slot);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SwitchTest,
    testing::Values(SwitchCase{"openfail", VI_ERROR_RSRC_LOCKED, 1, 1, 1, -1, -1, 4, 2},
                    SwitchCase{"openfail=0xBFFF0011", VI_ERROR_RSRC_NFOUND, 1, 1, 1, -1, -1, 4, 2},
                    SwitchCase{"noslot", 1, VI_ERROR_NSUP_ATTR, 1, 1, -1, -1, 4, 2},
                    SwitchCase{"initfail=-1073807343", 1, 1, VI_ERROR_RSRC_NFOUND, 1, -1, -1, 4, 2},
                    SwitchCase{"initfail", 1, 1, VI_ERROR_SYSTEM_ERROR, 1, -1, -1, 4, 2},
                    SwitchCase{"initwarn", 1, 1, 1, VI_WARN_CONFIG_NLOADED, -1, -1, 4, 2},
                    SwitchCase{"dieafter=0", 1, 1, 1, 1, 0, -1, 4, 2},
                    SwitchCase{"refuseblock=3", 1, 1, 1, 1, -1, 3, 4, 2},
                    SwitchCase{"refuseblock=0:5", 1, 1, 1, 1, -1, 0, 5, 2},
                    SwitchCase{"slot=65535", 1, 1, 1, 1, -1, -1, 4, 0xFFFF},
                    SwitchCase{"slot=-1", 1, 1, 1, 1, -1, -1, 4, 0xFFFF}));

TEST(ChassisTest, MalformedDescriptionsAreRefusedWhole)
{
    for (const char *text :
         {"PXI0", "PXI0::1::INSTR,slot", "PXI0::1::INSTR,slot=65536", "PXI0::1::INSTR,vendor=-1",
          "PXI0::1::INSTR,model=x", "PXI0::1::INSTR,refuseblock", "PXI0::1::INSTR,refuseblock=65535",
          "PXI0::1::INSTR,refuseblock=1:", "PXI0::1::INSTR,dieafter=-2", "PXI0::1::INSTR,openfail=1x",
          "PXI0::1::INSTR,bogus", "PXI0::1::INSTR;PXI0::2::INSTR,initwarn=0x1FFFFFFFF"}) {
        const auto chassis = parseChassis(text);
        EXPECT_NE(chassis.error, "") << text;
        EXPECT_TRUE(chassis.devices.empty()) << text;
    }
}

struct MatchCase {
    const char *expression;
    const char *text;
    bool matches;
};

class ExpressionTest : public testing::TestWithParam<MatchCase>
{
};

TEST_P(ExpressionTest, Matches)
{
    const MatchCase &c = GetParam();
    EXPECT_EQ(simkit::matchesExpression(c.expression, c.text), c.matches) << c.expression << " " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpressionTest,
    testing::Values(MatchCase{"PXI?*INSTR", "PXI0::7-0.0::INSTR", true},
                    MatchCase{"PXI?*INSTR", "pxi0::7-0.0::instr", true},
                    MatchCase{"PXI?*INSTR", "PXIINSTR", true}, MatchCase{"PXI?*INSTR", "PXI0INSTR", true},
                    MatchCase{"PXI?*INSTR", "GPIB0::5::INSTR", false},
                    MatchCase{"PXI?*INSTR", "PXI0::MEMACC", false},
                    MatchCase{"?*INSTR", "GPIB0::5::INSTR", true},
                    MatchCase{"PXI[0-9]+::?*", "PXI12::3", true}, MatchCase{"PXI[0-9]+::?*", "PXI::3", false},
                    MatchCase{"PXI[^0]::?*", "PXI0::3", false}, MatchCase{"PXI\\?", "PXI?", true},
                    MatchCase{"PXI\\?", "PXI0", false}));

} // namespace
