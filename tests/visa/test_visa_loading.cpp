// SPDX-License-Identifier: GPL-3.0-or-later
// VISA loaded at run time from the simkit's stand-in library, found through
// the ordinary library search path. Finding modules and the firmware mailbox
// over the same loader are pinned by the app's discovery tests and the
// maintenance firmware tests.
#include "kq3917e.h"
#include "visa.h"
#include "visa_testseam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

// One process per directory (see CMakeLists.txt).
TEST(LibrarySearch, LoadsTheExpectedName)
{
    ViSession rm = VI_NULL;
    EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_STREQ(visatest::LoadedLibrary(), std::getenv("UCT_TEST_VISA_LIBRARY"));
}

TEST(NoLibrary, EveryCallFailsWithoutCrashing)
{
    if (*visatest::LoadedLibrary())
        GTEST_SKIP() << "a VISA library is installed on this machine: " << visatest::LoadedLibrary();
    ViUInt32 rm = 77, vi = 77, list = 77, count = 77; // session, session, find list, count
    ViChar desc[VI_FIND_BUFLEN] = "";
    ViUInt16 value = 0;
    for (ViStatus status : {viOpenDefaultRM(&rm), viFindRsrc(1, "PXI?*INSTR", &list, &count, desc),
                            viFindNext(1, desc), viOpen(1, "PXI0::7-0.0::INSTR", 0, 0, &vi),
                            viGetAttribute(1, VI_ATTR_SLOT, &value), viIn16(1, VI_PXI_BAR0_SPACE, 0, &value),
                            viOut16(1, VI_PXI_BAR0_SPACE, 0, 1), viClose(1), viOpenDefaultRM(nullptr)})
        EXPECT_EQ(status, VI_ERROR_LIBRARY_NFOUND);
    EXPECT_EQ(std::vector<ViUInt32>({rm, vi, list, count}), std::vector<ViUInt32>(4, 0));
}

// The simulated PXI system: one module with the given switches, opened.
class Simkit : public testing::Test
{
  protected:
    ViSession module(const std::string &switches = "")
    {
        setenv("UCT_SIMKIT_CHASSIS", ("PXI0::7-0.0::INSTR" + switches).c_str(), 1);
        kq3917e_simulate(0);
        ViSession rm = VI_NULL, vi = VI_NULL;
        EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
        EXPECT_EQ(viOpen(rm, "PXI0::7-0.0::INSTR", 0, 0, &vi), VI_SUCCESS);
        return vi;
    }
};

// 16-bit attributes are written as 16 bits: a slot of 65535 reads as -1 and
// the bytes beside the value stay untouched.
TEST_F(Simkit, SixteenBitAttributes)
{
    const ViSession vi = module(",slot=65535,vendor=0xF00D,model=0x8001");
    for (auto [attr, expected] : {std::pair<ViAttr, int>{VI_ATTR_SLOT, -1},
                                  {VI_ATTR_MANF_ID, -0xFF3},
                                  {VI_ATTR_MODEL_CODE, -0x7FFF}}) {
        ViInt16 value[2] = {0x2AAA, 0x2AAA};
        ASSERT_EQ(viGetAttribute(vi, attr, value), VI_SUCCESS);
        EXPECT_EQ(value[0], expected) << std::hex << attr;
        EXPECT_EQ(value[1], 0x2AAA);
    }
}

// The bus address is 64-bit: an offset above 4 GiB must reach the library
// intact and be refused, not be cut to the response register below it.
TEST_F(Simkit, OffsetAbove4GiBArrivesIntact)
{
    const ViSession vi = module();
    ViUInt16 value = 0x1234;
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, (ViBusAddress{1} << 32) + 0x100010, &value), VI_ERROR_INV_OFFSET);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(viIn16(vi, VI_PXI_BAR0_SPACE, 0x100010, &value), VI_SUCCESS);
}
