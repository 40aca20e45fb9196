// SPDX-License-Identifier: GPL-3.0-or-later
// The chassis description and the resource expressions of the simkit, where
// the suites that use the simkit do not reach.
#include "chassis.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{

TEST(Chassis, DevicesInOrderWithDefaultsAndSwitches)
{
    const auto chassis = simkit::parseChassis(
        " PXI0::7-0.0::INSTR, slot=-1 ; ;PXI0::9::INSTR,openfail=0xBFFF0011,"
        "dieafter=0,refuseblock=0:5;GPIB0::5::INSTR,initfail, refuseblock=3,mailboxfail=count:2:-5");
    ASSERT_EQ(std::make_pair(chassis.error, chassis.devices.size()), std::make_pair(std::string(), 3ul));
    const simkit::Device &a = chassis.devices[0], &b = chassis.devices[1], &c = chassis.devices[2];
    EXPECT_EQ(std::make_tuple(a.descriptor, a.slot, a.vendor, a.model, a.seed, a.openFail.has_value()),
              std::make_tuple("PXI0::7-0.0::INSTR", 0xFFFF, 0x1A2B, 1, 1u, false));
    EXPECT_EQ(std::make_tuple(b.slot, b.seed, *b.openFail, *b.answers, *b.refusedBlock, b.refusedCode),
              std::make_tuple(3, 2u, VI_ERROR_RSRC_NFOUND, 0, 0, 5));
    EXPECT_EQ(std::make_tuple(*c.initFail, *c.refusedBlock, c.refusedCode),
              std::make_tuple(VI_ERROR_SYSTEM_ERROR, 3, 4));
    ASSERT_TRUE(c.mailboxFault && !a.mailboxFault);
    EXPECT_EQ(std::make_tuple(c.mailboxFault->step, c.mailboxFault->block, c.mailboxFault->status),
              std::make_tuple(uctsim::MailboxStep::ByteCount, 2, -5));
}

TEST(Chassis, MalformedDescriptionsAreRefusedWhole)
{
    for (const char *text :
         {"PXI0", "PXI0::1::INSTR,slot", "PXI0::1::INSTR,slot=65536", "PXI0::1::INSTR,vendor=-1",
          "PXI0::1::INSTR,refuseblock=65535", "PXI0::1::INSTR,refuseblock=1:", "PXI0::1::INSTR,dieafter=-2",
          "PXI0::1::INSTR,openfail=1x", "PXI0::1::INSTR,bogus", "PXI0::1::INSTR,mailboxfail=disk:1",
          "PXI0::1::INSTR,mailboxfail=data", "PXI0::1::INSTR,mailboxfail=data:65535",
          "PXI0::1::INSTR,mailboxfail=", "PXI0::1::INSTR,mailboxfail=code:1:2:3",
          "PXI0::1::INSTR;PXI0::2::INSTR,initwarn=0x1FFFFFFFF"}) {
        const auto chassis = simkit::parseChassis(text);
        EXPECT_TRUE(!chassis.error.empty() && chassis.devices.empty()) << text;
    }
}

TEST(Chassis, ResourceExpressions)
{
    // An expression, a text it matches and one it does not.
    for (auto [expression, match, other] : {std::tuple{"PXI?*INSTR", "pxi0::7-0.0::instr", "PXI0::MEMACC"},
                                            {"PXI[0-9]+::?*", "PXI12::3", "PXI::3"},
                                            {"PXI[^0]::?*", "PXI1::3", "PXI0::3"},
                                            {"PXI\\?", "PXI?", "PXI0"},
                                            {"PXI0.1", "PXI0.1", "PXI0x1"}}) {
        EXPECT_TRUE(simkit::matchesExpression(expression, match)) << expression;
        EXPECT_FALSE(simkit::matchesExpression(expression, other)) << expression;
    }
}

} // namespace
